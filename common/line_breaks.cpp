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
    const QStringView all(text);
    // Room for lines of some thirty characters, grown seldom after.
    lines.reserve(all.size() / 32 + 1);
    // Most files break lines one way: a file without CR is cut at each LF, found
    // many characters at a time.
    const bool onlyLineFeeds = !all.contains(u'\r');
    qsizetype start = 0;
    for (;;) {
        qsizetype i = onlyLineFeeds ? all.indexOf(u'\n', start) : start;
        if (!onlyLineFeeds) {
            // Most characters lie above CR: one comparison lets each of them pass.
            const char16_t *const characters = all.utf16();
            const qsizetype size = all.size();
            while (i < size && (characters[i] > u'\r' || (characters[i] != u'\n' && characters[i] != u'\r')))
                ++i;
        }
        if (i < 0 || i >= all.size()) {
            lines.append(QString::fromRawData(text.constData() + start, all.size() - start));
            return lines;
        }
        lines.append(QString::fromRawData(text.constData() + start, i - start));
        if (i + 1 < all.size() && all.at(i) == u'\r' && all.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
}

} // namespace LineBreaks
