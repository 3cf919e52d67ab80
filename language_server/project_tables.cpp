#include "language_server/project_tables.h"

#include "common/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace Lsp {

namespace {

// The setting `name` of the client's settings, wherever the client put it.
QString setting(const QJsonValue &settings, const QString &name)
{
    const QJsonObject all = settings.toObject();
    const QJsonValue nested = all.value(QStringLiteral("talewick")).toObject().value(name);
    if (nested.isString())
        return nested.toString().trimmed();
    const QJsonValue dotted = all.value(QStringLiteral("talewick.") + name);
    if (dotted.isString())
        return dotted.toString().trimmed();
    return all.value(name).toString().trimmed();
}

QString resolved(const QString &path, const QString &folder)
{
    if (path.isEmpty())
        return QString();
    return QDir::cleanPath(folder.isEmpty() ? path : QDir(folder).absoluteFilePath(path));
}

} // namespace

ProjectTables::ProjectTables(ProjectTable::Given commandLine) : commandLine_(std::move(commandLine)) {}

QStringList ProjectTables::setClientSettings(const QJsonValue &settings, const QString &folder)
{
    QStringList problems;
    ProjectTable::Given client;
    const QString target = setting(settings, QStringLiteral("target"));
    if (const std::optional<Target> named = Target::fromName(target); named && !target.isEmpty())
        client.servers = named->servers();
    else if (!target.isEmpty())
        problems.append(QStringLiteral("talewick.target の「%1」は知らない対象です（older、later、today、"
                                       "today-strict、today-anycase のどれか）")
                            .arg(target));
    client.commandsPath = resolved(setting(settings, QStringLiteral("commands")), folder);
    if (!client.commandsPath.isEmpty()) {
        try {
            client.commands = Commands::withFile(client.commandsPath);
        } catch (const Failure &failure) {
            problems.append(failure.message());
            client.commandsPath.clear();
        }
    }
    const QString serverFolder = resolved(setting(settings, QStringLiteral("server")), folder);
    // Settings of other things changed: the scripts keep the tables they were checked with.
    if (client.servers == client_.servers && client.commandsPath == client_.commandsPath &&
        serverFolder == clientServerFolder_)
        return problems;
    client_ = client;
    clientServerFolder_ = serverFolder;
    read_.clear(); // every table is made again with the new settings
    return problems;
}

// The command line's choices, and the client's where the command line made none.
ProjectTable::Given ProjectTables::given() const
{
    ProjectTable::Given given = commandLine_;
    if (!given.commands) {
        given.commands = client_.commands;
        given.commandsPath = client_.commandsPath;
    }
    if (!given.servers)
        given.servers = client_.servers;
    given.fallback = workspaceCommands_;
    return given;
}

const ProjectTables::Read &ProjectTables::projectOf(const QString &path)
{
    return projectOfFolder(path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
}

const ProjectTables::Read &ProjectTables::projectOfFolder(const QString &folder)
{
    auto projectFile = projectFileOfFolder_.constFind(folder);
    if (projectFile == projectFileOfFolder_.cend())
        projectFile = projectFileOfFolder_.insert(folder, folder.isEmpty() ? QString() : ProjectFile::find(folder));
    // A copy: fileChanged below empties the map it stands in.
    const QString file = *projectFile;
    // Gone without the client saying so: the folders look again.
    if (!file.isEmpty() && !QFileInfo(file).isFile()) {
        fileChanged(file);
        return projectOfFolder(folder);
    }
    const QDateTime modified = file.isEmpty() ? QDateTime() : QFileInfo(file).lastModified();
    auto read = read_.find(file);
    if (read == read_.end() || read->modified != modified) {
        Read fresh{modified, file.isEmpty() ? ProjectFile::Settings{} : ProjectFile::read(file), nullptr};
        warnings_ += fresh.settings.warnings;
        fresh.table = ProjectTable::make(given(), fresh.settings, warnings_);
        read = read_.insert(file, std::move(fresh));
    }
    return *read;
}

std::shared_ptr<const Commands::Table> ProjectTables::forScript(const QString &path)
{
    return projectOf(path).table;
}

QString ProjectTables::serverFolderOf(const QString &path)
{
    return clientServerFolder_.isEmpty() ? projectOf(path).settings.serverFolder : clientServerFolder_;
}

FindingPolicy ProjectTables::findingsFor(const QString &path)
{
    return FindingPolicy::of(projectOf(path).settings);
}

QString ProjectTables::encodingOfFolder(const QString &folder)
{
    return projectOfFolder(folder).settings.encoding;
}

bool ProjectTables::fileChanged(const QString &path)
{
    if (QFileInfo(path).fileName() != ProjectFile::fileName())
        return false;
    // One may have appeared nearer to some scripts, or gone: every folder looks again.
    projectFileOfFolder_.clear();
    read_.remove(path);
    return true;
}

} // namespace Lsp
