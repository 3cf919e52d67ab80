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
    libconfig::Config config;
    if (const auto problem = LibconfigDocument::parse(bytes, file, config)) {
        return malformed(problem->file, problem->line, problem->message);
    }
    Facts facts;
    QList<Entry> &entries = table == Table::Items ? facts.items : facts.monsters;
    const libconfig::Setting &root = config.getRoot();
    if (!root.exists(listName(table))) {
        return facts;
    }
    const libconfig::Setting &list = root[listName(table)];
    if (!list.isList()) {
        return malformed(file, int(list.getSourceLine()),
                         QStringLiteral("%1 is not a list").arg(QLatin1String(listName(table))));
    }
    for (int index = 0; index < list.getLength(); ++index) {
        const libconfig::Setting &group = list[index];
        const std::optional<qint64> id =
            group.isGroup() && group.exists("Id") ? LibconfigDocument::integer(group["Id"]) : std::nullopt;
        const QString scriptName = LibconfigDocument::stringMember(group, scriptNameKey(table));
        if (!id || scriptName.isEmpty()) {
            return malformed(file, int(group.getSourceLine()),
                             QStringLiteral("an entry without Id or %1").arg(QLatin1String(scriptNameKey(table))));
        }
        entries.append(Entry{*id, scriptName, LibconfigDocument::stringMember(group, "Name")});
    }
    return facts;
}

} // namespace ServerFolder::Readers
