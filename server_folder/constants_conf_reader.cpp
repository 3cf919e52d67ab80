#include "file_readers.h"
#include "libconfig_document.h"

namespace ServerFolder::Readers {

namespace {

// A constant is a number, or a group whose `Value:` is one (with flags beside it).
std::optional<qint64> constantValue(const libconfig::Setting &setting)
{
    if (setting.isGroup()) {
        return setting.exists("Value") ? LibconfigDocument::integer(setting["Value"]) : std::nullopt;
    }
    return LibconfigDocument::integer(setting);
}

} // namespace

Facts constantsConf(const QByteArray &bytes, const QString &file)
{
    libconfig::Config config;
    if (const auto problem = LibconfigDocument::parse(bytes, file, config)) {
        return malformed(problem->file, problem->line, problem->message);
    }
    Facts facts;
    const libconfig::Setting &root = config.getRoot();
    if (!root.exists("constants_db")) {
        return facts;
    }
    const libconfig::Setting &table = root["constants_db"];
    if (!table.isGroup()) {
        return malformed(file, int(table.getSourceLine()), QStringLiteral("constants_db is not a group"));
    }
    for (int index = 0; index < table.getLength(); ++index) {
        const libconfig::Setting &setting = table[index];
        // Notes kept in the table (strings) are no constants.
        if (const auto value = constantValue(setting)) {
            facts.constants.insert(QString::fromUtf8(setting.getName()), *value);
        }
    }
    return facts;
}

} // namespace ServerFolder::Readers
