#include "libconfig_document.h"

#include "conf_text.h"

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
    return QString::fromUtf8(value);
}

} // namespace LibconfigDocument
