#include "checker/server_table.h"

#include "common/failure.h"

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

} // namespace

std::shared_ptr<const Commands::Table> forFolder(const QString &dir, std::shared_ptr<const ServerFolder::Facts> facts,
                                                 const std::shared_ptr<const Commands::Table> &base, bool keepRows,
                                                 QStringList *problems)
{
    std::shared_ptr<Commands::Table> table = std::make_shared<Commands::Table>(*base);
    if (!keepRows && !facts->commandSource.isEmpty()) {
        try {
            table = std::make_shared<Commands::Table>(*Commands::withFile(QDir(dir).filePath(facts->commandSource)));
        } catch (const Failure &failure) {
            if (problems)
                problems->append(failure.message());
        }
    }
    const Target &target = base->target();
    table->setTarget(target.servers() == Target::kEveryServer ? narrowed(target, serversOf(facts->family)) : target);
    table->setServerFacts(std::move(facts));
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
