#include "file_readers.h"
#include "libconfig_document.h"

namespace ServerFolder::Readers {

Facts skillDbConf(const QByteArray &bytes, const QString &file)
{
    libconfig::Config config;
    if (const auto problem = LibconfigDocument::parse(bytes, file, config)) {
        return malformed(problem->file, problem->line, problem->message);
    }
    Facts facts;
    const libconfig::Setting &root = config.getRoot();
    if (!root.exists("skill_db")) {
        return facts;
    }
    const libconfig::Setting &list = root["skill_db"];
    if (!list.isList()) {
        return malformed(file, int(list.getSourceLine()), QStringLiteral("skill_db is not a list"));
    }
    for (int index = 0; index < list.getLength(); ++index) {
        const QString name = LibconfigDocument::stringMember(list[index], "Name");
        if (name.isEmpty()) {
            return malformed(file, int(list[index].getSourceLine()), QStringLiteral("a skill without Name"));
        }
        facts.skills.append(name);
    }
    return facts;
}

} // namespace ServerFolder::Readers
