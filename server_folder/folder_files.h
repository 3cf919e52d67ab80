#pragma once

#include "server_facts.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <optional>

// The files of a server's folder, by their path inside it.
namespace FolderFiles {

// The bytes of `relative`; nothing when it is missing (servers differ in what
// they have), nothing and a problem when it is there but cannot be read.
std::optional<QByteArray> read(const QDir &folder, const QString &relative, QList<ServerFolder::Problem> &problems);

// `db/re/name` when the folder has it, else `db/pre-re/name`.
QString renewalFirst(const QDir &folder, const QString &name);

// The paths of the files in `relativeDir` whose names match `pattern`, sorted.
QStringList matching(const QDir &folder, const QString &relativeDir, const QString &pattern);

} // namespace FolderFiles
