#include "file_readers.h"
#include "libconfig_document.h"

namespace ServerFolder::Readers {

namespace {

const char *listName(Table table)
{
    return table == Table::Items ? "item_db" : "mob_db";
}

const char *scriptNameKey(Table table)
{
    return table == Table::Items ? "AegisName" : "SpriteName";
}

} // namespace

Facts entryDbConf(const QByteArray &bytes, const QString &file, Table table)
{
    Facts facts;
    QList<Entry> &entries = table == Table::Items ? facts.items : facts.monsters;
    const auto problem = LibconfigDocument::readMembers(
        bytes, file, listName(table), LibconfigDocument::Shape::List,
        [&](const libconfig::Setting &group) -> std::optional<Problem> {
            const std::optional<qint64> id =
                group.isGroup() && group.exists("Id") ? LibconfigDocument::integer(group["Id"]) : std::nullopt;
            const QString scriptName = LibconfigDocument::stringMember(group, scriptNameKey(table));
            if (!id || scriptName.isEmpty()) {
                return Problem{file, int(group.getSourceLine()),
                               QStringLiteral("an entry without Id or %1").arg(QLatin1String(scriptNameKey(table)))};
            }
            entries.append(Entry{*id, scriptName, LibconfigDocument::stringMember(group, "Name")});
            return std::nullopt;
        });
    return problem ? malformed(*problem) : facts;
}

} // namespace ServerFolder::Readers
