#include "checker/command_source.h"

#include <QRegularExpression>

namespace CommandSource {

namespace {

const QRegularExpression &definitions()
{
    // 1: old form's word, 2: its letters; 3: BUILDIN_DEF's word, 4: its letters;
    // 5: BUILDIN_DEF2's word, 6: its letters.
    static const char kPattern[] = R"re(\{\s*buildin_\w+\s*,\s*"(\w+)"\s*,\s*"([^"]*)")re"
                                   R"re(|\bBUILDIN_DEF\s*\(\s*(\w+)\s*,\s*"([^"]*)"\s*\))re"
                                   R"re(|\bBUILDIN_DEF2\s*\(\s*\w+\s*,\s*"(\w+)"\s*,\s*"([^"]*)"\s*\))re";
    static const QRegularExpression pattern(QString::fromLatin1(kPattern));
    return pattern;
}

// `text` with its comments blanked out, strings, character literals and line
// breaks kept, so that a definition commented out is not read.
QString withoutComments(QStringView text)
{
    QString kept = text.toString();
    QChar quote; // the quote of the string or character literal we are in
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QChar c = kept.at(i);
        const QChar next = i + 1 < kept.size() ? kept.at(i + 1) : QChar();
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote || c == u'\n')
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'/' && next == u'/') {
            for (; i < kept.size() && kept.at(i) != u'\n'; ++i)
                kept[i] = u' ';
        } else if (c == u'/' && next == u'*') {
            const qsizetype end = kept.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? kept.size() : end + 2;
            for (; i < stop; ++i) {
                if (kept.at(i) != u'\n')
                    kept[i] = u' ';
            }
            --i;
        }
    }
    return kept;
}

// The checker's shape letter for one of the server's argument letters: `s` a
// string and `l` a label; a variable (`r`), a value of any type (`v`, `?`) and
// every other letter, an expression.
QChar shapeLetter(QChar letter)
{
    return letter == u's' || letter == u'l' ? letter : QChar(u'e');
}

// One row of the table from the server's argument letters. Each `?` is one
// optional argument of any type; the letters after the first `?` are optional
// too, and a `*` lets any number of further arguments follow.
QString row(const QString &word, QStringView letters)
{
    int count = 0;
    int optionalFrom = -1;
    bool unlimited = false;
    QString shape;
    for (const QChar letter : letters) {
        if (letter == u'*') {
            unlimited = true;
            break;
        }
        if (letter.isSpace())
            continue;
        if (letter == u'?' && optionalFrom < 0)
            optionalFrom = count;
        ++count;
        shape += shapeLetter(letter);
    }
    if (unlimited)
        shape += u'…';
    const int min = optionalFrom < 0 ? count : optionalFrom;
    return QStringLiteral("%1\t%2\t%3\t%4\n")
        .arg(word, QString::number(min), unlimited ? QStringLiteral("-") : QString::number(count), shape);
}

} // namespace

bool looksLikeSource(QStringView text)
{
    static const char kMarker[] = R"re(\bBUILDIN_DEF2?\s*\(|\{\s*buildin_\w+\s*,\s*")re";
    static const QRegularExpression marker(QString::fromLatin1(kMarker));
    return marker.match(text).hasMatch();
}

QString tableRows(QStringView text, QString *error)
{
    const QString source = withoutComments(text);
    QString rows;
    for (auto it = definitions().globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        for (int group = 1; group <= 5; group += 2) {
            if (match.hasCaptured(group))
                rows += row(match.captured(group), match.capturedView(group + 1));
        }
    }
    if (rows.isEmpty() && error)
        *error = QStringLiteral("命令の定義（BUILDIN_DEF(...) などの行）が見つかりません");
    return rows;
}

} // namespace CommandSource
