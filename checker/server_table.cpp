#include "checker/server_table.h"

#include "checker/command_source.h"
#include "common/failure.h"
#include "common/regular_file.h"
#include "server_folder/server_folder.h"

#include <QDir>
#include <QLocale>

namespace ServerTable {

namespace {

Target::Servers serversOf(ServerFolder::Family family)
{
    switch (family) {
    case ServerFolder::Family::ExactCase:
        return Target::TodayStrict;
    case ServerFolder::Family::AnyCase:
        return Target::TodayAnyCase;
    case ServerFolder::Family::Unknown:
        break;
    }
    return Target::kToday;
}

// `from` for `servers`, its conditional-comment flags kept.
Target narrowed(const Target &from, Target::Servers servers)
{
    Target target(servers);
    const QStringList defaults = target.flags();
    for (const QString &flag : defaults) {
        if (!from.flags().contains(flag))
            target.setFlag(u'!' + flag);
    }
    for (const QString &flag : from.flags())
        target.setFlag(flag);
    return target;
}

// The rows of the folder's command source; empty, with a problem, when it cannot be read.
QString sourceRows(const QDir &folder, const QString &relative, QStringList &problems)
{
    const QString path = folder.filePath(relative);
    try {
        const QString text = QString::fromUtf8(RegularFile::read(path, RegularFile::kDefaultMaxBytes));
        QString error;
        const QString rows = CommandSource::tableRows(text, &error);
        if (error.isEmpty())
            return rows;
        problems.append(QStringLiteral("%1: %2").arg(path, error));
    } catch (const Failure &failure) {
        problems.append(failure.message());
    }
    return {};
}

} // namespace

Folder read(const QString &dir)
{
    Folder folder;
    folder.dir = dir;
    auto facts = std::make_shared<ServerFolder::Facts>(ServerFolder::read(dir));
    const QDir root(dir);
    for (const ServerFolder::Problem &problem : std::as_const(facts->problems)) {
        const QString place = problem.line > 0
                                  ? QStringLiteral("%1:%2").arg(root.filePath(problem.file)).arg(problem.line)
                                  : root.filePath(problem.file);
        folder.problems.append(QStringLiteral("%1: %2").arg(place, problem.message));
    }
    if (!facts->commandSource.isEmpty())
        folder.rows = sourceRows(root, facts->commandSource, folder.problems);
    folder.facts = std::move(facts);
    return folder;
}

std::shared_ptr<const Commands::Table> forFolder(const Folder &folder, const Commands::Table &base, bool keepRows)
{
    auto table = std::make_shared<Commands::Table>(base);
    if (!keepRows && !folder.rows.isEmpty())
        table->addRows(folder.rows);
    const Target &target = base.target();
    if (target.servers() == Target::kEveryServer)
        table->setTarget(narrowed(target, serversOf(folder.facts->family)));
    table->setServerFacts(folder.facts);
    return table;
}

QString summary(const ServerFolder::Facts &facts)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto count = [&](qsizetype n) { return english.toString(qlonglong(n)); };
    const QString commands =
        facts.commandSource.isEmpty()
            ? QStringLiteral("built-in commands")
            : QStringLiteral("commands from %1 (%2)").arg(facts.commandSource, Target(serversOf(facts.family)).name());
    return QStringLiteral("server: %1 maps, %2 items, %3 monsters, %4 constants, %5 skills, %6")
        .arg(count(facts.maps.size()), count(facts.items.size()), count(facts.monsters.size()),
             count(facts.constants.size()), count(facts.skills.size()), commands);
}

} // namespace ServerTable
