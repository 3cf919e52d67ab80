#pragma once

#include "check_tool/check_report.h"

#include <QStringList>
#include <QVector>

#include <memory>

#include <functional>

namespace CheckAll {

// How one file is read and checked.
struct FileSetup
{
    std::shared_ptr<const Commands::Table> commands;
    ScriptEncoding encoding;
    QString failure; // when set, the file is not read and this is its failure
};
// The setup of the file at a path; called from every worker at once.
using SetupOf = std::function<FileSetup(const QString &path)>;

// As below, each file checked with its own setup.
QVector<CheckReport::FileResult> check(const QStringList &paths, const SetupOf &setupOf, bool keepBytes);

// Checks the files and the .txt files under the folders of `paths` side by side on
// every core, starting while the folders are still being walked. The results come
// in the order of `paths`, each folder's files sorted by name. `keepBytes` keeps
// the bytes of files with findings, for the diff of fixes. Files are read in `encoding`.
QVector<CheckReport::FileResult> check(const QStringList &paths, const std::shared_ptr<const Commands::Table> &commands,
                                       bool keepBytes, const ScriptEncoding &encoding = {});

} // namespace CheckAll
