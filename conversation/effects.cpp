#include "conversation/effects.h"

namespace Conversation::Effects {

namespace {

// `text` with each "{k}" replaced by argument k (from 1); "?" for one not given.
QString filledIn(const QString &text, const QStringList &arguments)
{
    QString filled;
    filled.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype close = text.at(i) == u'{' ? text.indexOf(u'}', i + 1) : -1;
        bool number = false;
        const int argument = close > i ? QStringView(text).sliced(i + 1, close - i - 1).toInt(&number) : 0;
        if (!number || argument < 1) {
            filled += text.at(i);
            continue;
        }
        filled += arguments.value(argument - 1, QStringLiteral("?"));
        i = close;
    }
    return filled;
}

} // namespace

QString describe(const Commands::Command *command, const QString &lowerWord, const QStringList &arguments)
{
    const QString listed = arguments.join(QStringLiteral(", "));
    if (command && !command->effect.isEmpty())
        return filledIn(command->effect, arguments);
    const Commands::Window window = command ? command->window : Commands::Window::None;
    if (window == Commands::Window::Opens)
        return QStringLiteral("別のウィンドウを開く（%1 %2）").arg(lowerWord, listed).trimmed();
    if (window == Commands::Window::Moves)
        return QStringLiteral("%1 %2 でワープ").arg(lowerWord, listed);
    return arguments.isEmpty() ? lowerWord : QStringLiteral("%1 %2").arg(lowerWord, listed);
}

} // namespace Conversation::Effects
