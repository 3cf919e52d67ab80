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

// "NAME: { Value: 1  Deprecated: true }": the server warns where a script uses it.
bool isDeprecated(const libconfig::Setting &setting)
{
    bool deprecated = false;
    return setting.isGroup() && setting.lookupValue("Deprecated", deprecated) && deprecated;
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
                                               const QString name = QString::fromUtf8(setting.getName());
                                               facts.constants.insert(name, *value);
                                               if (isDeprecated(setting))
                                                   facts.deprecatedConstants.insert(name);
                                           }
                                           return std::nullopt;
                                       });
    return problem ? malformed(*problem) : facts;
}

} // namespace ServerFolder::Readers
