#include "file_readers.h"
#include "libconfig_document.h"

namespace ServerFolder::Readers {

Facts skillDbConf(const QByteArray &bytes, const QString &file)
{
    Facts facts;
    const auto problem = LibconfigDocument::readMembers(
        bytes, file, "skill_db", LibconfigDocument::Shape::List,
        [&](const libconfig::Setting &skill) -> std::optional<Problem> {
            const QString name = LibconfigDocument::stringMember(skill, "Name");
            if (name.isEmpty()) {
                return Problem{file, int(skill.getSourceLine()), QStringLiteral("a skill without Name")};
            }
            facts.skills.append(name);
            return std::nullopt;
        });
    return problem ? malformed(*problem) : facts;
}

} // namespace ServerFolder::Readers
