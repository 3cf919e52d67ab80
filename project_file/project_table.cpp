#include "project_file/project_table.h"

#include "common/failure.h"
#include "project_file/source_family.h"

namespace ProjectTable {

namespace {

// The table the commands come from, and the file it was read from.
std::pair<std::shared_ptr<const Commands::Table>, QString>
commandsOf(const Given &given, const ProjectFile::Settings &file, QList<ProjectFile::Warning> &warnings)
{
    if (given.commands)
        return {given.commands, given.commandsPath};
    if (file.commandsPath.isEmpty())
        return {given.fallback ? given.fallback : Commands::Table::builtIn(), QString()};
    try {
        return {Commands::withFile(file.commandsPath), file.commandsPath};
    } catch (const Failure &failure) {
        warnings.append({file.path, file.lines.value(QStringLiteral("commands")), failure.message()});
        return {Commands::Table::builtIn(), QString()};
    }
}

} // namespace

std::shared_ptr<const Commands::Table> make(const Given &given, const ProjectFile::Settings &file,
                                            QList<ProjectFile::Warning> &warnings)
{
    const auto [commands, source] = commandsOf(given, file, warnings);
    std::optional<Target::Servers> servers = given.servers ? given.servers : file.servers;
    if (!servers && !source.isEmpty())
        servers = SourceFamily::serversOfFile(source);
    Target target = servers ? Target(*servers) : Target();
    for (const QString &flag : file.flags + given.flags)
        target.setFlag(flag);
    if (target == commands->target())
        return commands;
    auto table = std::make_shared<Commands::Table>(*commands);
    table->setTarget(target);
    return table;
}

} // namespace ProjectTable
