#include "file_readers.h"
#include "server_text.h"

#include <yaml-cpp/yaml.h>

#include <optional>
#include <string>

namespace ServerFolder::Readers {

namespace {

int lineOf(const YAML::Mark &mark)
{
    return mark.is_null() ? 0 : mark.line + 1;
}

std::optional<qint64> idOf(const YAML::Node &entry)
{
    const YAML::Node id = entry["Id"];
    long long value = 0;
    if (!id || !id.IsScalar() || !YAML::convert<long long>::decode(id, value)) {
        return std::nullopt;
    }
    return qint64(value);
}

QString scalar(const YAML::Node &entry, const char *key)
{
    const YAML::Node node = entry[key];
    return node && node.IsScalar()
               ? ServerText::decode(QByteArrayView(node.Scalar().data(), qsizetype(node.Scalar().size())))
               : QString();
}

// Monsters are named by AegisName in this family; SpriteName is taken as well.
QString scriptName(const YAML::Node &entry, Table table)
{
    const QString aegisName = scalar(entry, "AegisName");
    return aegisName.isEmpty() && table == Table::Monsters ? scalar(entry, "SpriteName") : aegisName;
}

Facts readBody(const YAML::Node &body, const QString &file, Table table)
{
    Facts facts;
    QList<Entry> &entries = table == Table::Items ? facts.items : facts.monsters;
    if (!body.IsSequence()) {
        return malformed(file, lineOf(body.Mark()), QStringLiteral("Body is not a list"));
    }
    for (const YAML::Node &entry : body) {
        const std::optional<qint64> id = entry.IsMap() ? idOf(entry) : std::nullopt;
        const QString name = entry.IsMap() ? scriptName(entry, table) : QString();
        if (!id || name.isEmpty()) {
            return malformed(file, lineOf(entry.Mark()), QStringLiteral("an entry without Id or AegisName"));
        }
        entries.append(Entry{*id, name, scalar(entry, "Name")});
    }
    return facts;
}

} // namespace

Facts entryDbYaml(const QByteArray &bytes, const QString &file, Table table)
{
    try {
        const YAML::Node document = YAML::Load(bytes.toStdString());
        // A file of imports alone (the Footer) has no Body.
        const YAML::Node body = document.IsMap() ? document["Body"] : YAML::Node();
        return body ? readBody(body, file, table) : Facts();
    } catch (const YAML::Exception &exception) {
        return malformed(file, lineOf(exception.mark), QString::fromStdString(exception.msg));
    }
}

} // namespace ServerFolder::Readers
