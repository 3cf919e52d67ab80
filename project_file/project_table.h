#pragma once

#include "checker/commands.h"
#include "project_file/project_file.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The command table a script is checked with, from what its caller says (the
// command line, the editor's settings) over its project file over the defaults.
namespace ProjectTable {

struct Given
{
    // The caller's own table, or null to take the project file's commands.
    std::shared_ptr<const Commands::Table> commands;
    QString commandsPath; // the file `commands` was read from, for its family
    std::optional<Target::Servers> servers;
    QStringList flags; // applied after the project file's
    // The table when neither the caller nor the file names commands; null for the built-in one.
    std::shared_ptr<const Commands::Table> fallback = {};
};

// The given commands, else the file's, else the fallback table; checked for the
// given target, else the file's, else the family of the command source in use,
// else every server; with the file's flags and then the given ones. Commands the
// file names that cannot be read add a warning to `warnings` and leave the
// built-in table.
std::shared_ptr<const Commands::Table> make(const Given &given, const ProjectFile::Settings &file,
                                            QList<ProjectFile::Warning> &warnings);

} // namespace ProjectTable
