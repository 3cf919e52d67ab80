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
    Facts facts;
    const auto problem =
        LibconfigDocument::readMembers(bytes, file, "constants_db", LibconfigDocument::Shape::Group,
                                       [&](const libconfig::Setting &setting) -> std::optional<Problem> {
                                           // Notes kept in the table (strings) are no constants.
                                           if (const auto value = constantValue(setting)) {
                                               facts.constants.insert(QString::fromUtf8(setting.getName()), *value);
                                           }
                                           return std::nullopt;
                                       });
    return problem ? malformed(*problem) : facts;
}

} // namespace ServerFolder::Readers
