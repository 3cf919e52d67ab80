#include "conversation/colour_codes.h"

#include <cctype>

namespace Conversation::ColourCodes {

namespace {

// The colour the code at `at` names, or -1 when no code stands there.
qint64 codeAt(const QString &message, qsizetype at)
{
    if (message.at(at) != u'^' || at + 7 > message.size())
        return -1;
    bool ok = false;
    const uint rgb = QStringView(message).mid(at + 1, 6).toUInt(&ok, 16);
    for (qsizetype i = at + 1; i < at + 7; ++i) {
        if (!std::isxdigit(message.at(i).toLatin1()) || message.at(i).unicode() > 0x7F)
            return -1;
    }
    return ok ? qint64(0xFF000000u | rgb) : -1;
}

} // namespace

QVector<ColouredText> split(const QString &message)
{
    QVector<ColouredText> pieces;
    ColouredText current;
    for (qsizetype i = 0; i < message.size(); ++i) {
        const qint64 colour = codeAt(message, i);
        if (colour < 0) {
            current.text.append(message.at(i));
            continue;
        }
        if (!current.text.isEmpty())
            pieces.append(current);
        current = {QString(), quint32(colour)};
        i += 6;
    }
    if (!current.text.isEmpty() || pieces.isEmpty())
        pieces.append(current);
    return pieces;
}

QString plain(const QString &message)
{
    QString text;
    for (const ColouredText &piece : split(message))
        text += piece.text;
    return text;
}

} // namespace Conversation::ColourCodes
