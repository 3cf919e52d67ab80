#pragma once

#include "check_tool/check_all.h"
#include "check_tool/options.h"
#include "project_file/finding_policy.h"
#include "project_file/project_file.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <mutex>

// What each script is checked with: the command line over the project file
// nearest the script (talewick-check.ini) over the defaults.
namespace ProjectSetup {

struct Setup
{
    CheckAll::FileSetup reading;
    FindingPolicy findings; // the command line's codes to leave out, and the project file's
    QString serverFolder; // --server, else the project file's
};

// Reads each project file once, however many scripts share it; called from every
// worker at once.
class Resolver
{
public:
    // `commands` is the table of --commands, or null when it was not given.
    Resolver(const CheckOptions::Options &options, std::shared_ptr<const Commands::Table> commands);

    std::shared_ptr<const Setup> forScript(const QString &path);

    // What the project files read so far did not understand, each file's in its line order.
    QList<ProjectFile::Warning> warnings() const;

private:
    std::shared_ptr<const Setup> make(const ProjectFile::Settings &file);

    const CheckOptions::Options &options_;
    std::shared_ptr<const Commands::Table> commands_;
    mutable std::mutex mutex_;
    QHash<QString, QString> projectFileOfFolder_;                     // "" where none applies
    QHash<QString, std::shared_ptr<const Setup>> setupOfProjectFile_; // by path, "" for none
    QList<ProjectFile::Warning> warnings_;
};

} // namespace ProjectSetup
