#include "libconfig_document.h"

#include "conf_text.h"
#include "server_text.h"

namespace {

// libconfig would open the file an `@include` names, whatever it is; the
// server's database files need none.
int includeLine(const QByteArray &text)
{
    int line = 1;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char c = text.at(at);
        if (c == '\n') {
            ++line;
        } else if (c == '@' && text.mid(at, 8) == "@include") {
            return line;
        }
    }
    return 0;
}

} // namespace

namespace LibconfigDocument {

std::optional<ServerFolder::Problem> parse(const QByteArray &bytes, const QString &file, libconfig::Config &config)
{
    const ConfText::Rewritten rewritten = ConfText::toLibconfig(bytes);
    const QByteArray &text = rewritten.text;
    if (rewritten.unclosedRawStringLine > 0) {
        return ServerFolder::Problem{file, rewritten.unclosedRawStringLine,
                                     QStringLiteral("<\" is never closed by \">")};
    }
    if (const int line = includeLine(text)) {
        return ServerFolder::Problem{file, line, QStringLiteral("@include is not followed")};
    }
    try {
        config.readString(text.constData());
    } catch (const libconfig::ParseException &exception) {
        return ServerFolder::Problem{file, exception.getLine(), QString::fromUtf8(exception.getError())};
    } catch (const libconfig::ConfigException &exception) {
        return ServerFolder::Problem{file, 0, QString::fromUtf8(exception.what())};
    }
    return std::nullopt;
}

std::optional<ServerFolder::Problem> readMembers(const QByteArray &bytes, const QString &file, const char *name,
                                                 Shape shape, const MemberReader &read)
{
    libconfig::Config config;
    if (auto problem = parse(bytes, file, config)) {
        return problem;
    }
    const libconfig::Setting &root = config.getRoot();
    if (!root.exists(name)) {
        return std::nullopt;
    }
    const libconfig::Setting &members = root[name];
    if (shape == Shape::List ? !members.isList() : !members.isGroup()) {
        return ServerFolder::Problem{
            file, int(members.getSourceLine()),
            QStringLiteral("%1 is not a %2").arg(QLatin1String(name), shape == Shape::List ? u"list" : u"group")};
    }
    for (int index = 0; index < members.getLength(); ++index) {
        if (auto problem = read(members[index])) {
            return problem;
        }
    }
    return std::nullopt;
}

std::optional<qint64> integer(const libconfig::Setting &setting)
{
    switch (setting.getType()) {
    case libconfig::Setting::TypeInt:
        return qint64(int(setting));
    case libconfig::Setting::TypeInt64:
        return qint64(static_cast<long long>(setting));
    case libconfig::Setting::TypeBoolean:
        return bool(setting) ? 1 : 0;
    default:
        return std::nullopt;
    }
}

QString stringMember(const libconfig::Setting &group, const char *name)
{
    const char *value = nullptr;
    if (!group.isGroup() || !group.lookupValue(name, value) || value == nullptr) {
        return {};
    }
    return ServerText::decode(value);
}

} // namespace LibconfigDocument
