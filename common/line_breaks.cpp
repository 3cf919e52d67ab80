#include "common/line_breaks.h"

namespace LineBreaks {

QString normalised(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            result += u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

QStringList splitSharing(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != u'\n' && text.at(i) != u'\r')
            continue;
        lines.append(QString::fromRawData(text.constData() + start, i - start));
        if (i + 1 < text.size() && text.at(i) == u'\r' && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    return lines;
}

} // namespace LineBreaks
