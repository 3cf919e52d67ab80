#include "text_lines.h"

#include "server_text.h"

#include <QRegularExpression>

namespace TextLines {

QList<Line> contentLines(const QByteArray &bytes)
{
    QList<Line> lines;
    const QList<QByteArray> raw = bytes.split('\n');
    for (qsizetype index = 0; index < raw.size(); ++index) {
        QByteArray line = raw.at(index);
        const qsizetype comment = line.indexOf("//");
        if (comment >= 0) {
            line.truncate(comment);
        }
        const QString text = ServerText::decode(line).trimmed();
        if (!text.isEmpty()) {
            lines.append(Line{int(index + 1), text});
        }
    }
    return lines;
}

QStringList fields(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\t ]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

std::optional<qint64> integer(const QString &text)
{
    QStringView digits(text);
    const bool negative = digits.startsWith(u'-');
    if (negative || digits.startsWith(u'+')) {
        digits = digits.mid(1);
    }
    const bool hex = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QStringView body = hex ? digits.mid(2) : digits;
    bool ok = false;
    const qint64 value = body.toLongLong(&ok, hex ? 16 : 10);
    if (!ok || body.startsWith(u'-') || body.startsWith(u'+')) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace TextLines
