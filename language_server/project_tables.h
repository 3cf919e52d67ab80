#pragma once

#include "checker/commands.h"
#include "project_file/finding_policy.h"
#include "project_file/project_file.h"
#include "project_file/project_table.h"

#include <QDateTime>
#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

namespace Lsp {

// The command table each open script is checked with: the command line, then the
// client's settings (talewick.target, talewick.commands, talewick.server), over
// the project file nearest the script, over the workspace's commands.tsv and the
// built-in table. Each project file is read once and again when it changes.
class ProjectTables
{
public:
    // What the command line gave: its table (null when --commands was not given),
    // target and flags.
    explicit ProjectTables(ProjectTable::Given commandLine);

    // The workspace's own commands.tsv, used where nothing names commands.
    void setWorkspaceCommands(std::shared_ptr<const Commands::Table> commands) { workspaceCommands_ = commands; }

    // Takes the client's settings: {"target", "commands", "server"}, also under
    // "talewick" or as "talewick.target" and so on. Relative paths are taken from
    // `folder`. Settings that name the same target, commands file and server
    // folder as before change nothing. Returns what does not read, one message each.
    QStringList setClientSettings(const QJsonValue &settings, const QString &folder);

    // The table of the script at `path` (empty for a script without a file).
    std::shared_ptr<const Commands::Table> forScript(const QString &path);
    // The server folder of the script at `path`: the client's, else its project file's.
    QString serverFolderOf(const QString &path);
    // What the project file of the script at `path` leaves out of its findings,
    // and the severities it gives.
    FindingPolicy findingsFor(const QString &path);
    // The encoding the project file nearest `folder` names for its scripts on
    // disk; empty when none does.
    QString encodingOfFolder(const QString &folder);

    // A file changed, appeared or went: true when it is a project file, whose
    // settings are then read again.
    bool fileChanged(const QString &path);

    // The project files' warnings since the last call.
    QList<ProjectFile::Warning> takeWarnings() { return std::exchange(warnings_, {}); }

private:
    struct Read
    {
        QDateTime modified;
        ProjectFile::Settings settings;
        std::shared_ptr<const Commands::Table> table;
    };
    const Read &projectOf(const QString &path);
    const Read &projectOfFolder(const QString &folder);
    ProjectTable::Given given() const;

    ProjectTable::Given commandLine_;
    ProjectTable::Given client_;
    QString clientServerFolder_;
    std::shared_ptr<const Commands::Table> workspaceCommands_;
    QHash<QString, QString> projectFileOfFolder_; // "" where none applies
    QHash<QString, Read> read_;                   // by the project file's path, "" for none
    QList<ProjectFile::Warning> warnings_;
};

} // namespace Lsp
