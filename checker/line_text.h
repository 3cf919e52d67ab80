#pragma once

#include <QChar>
#include <QStringView>
#include <QVector>

#include <algorithm>

// Pieces of one line of a script, as the line reader cuts it.
namespace LineText {

struct Span
{
    int column = 0;
    int length = 0;
    QStringView text;
};

inline bool isBlankChar(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

inline bool isWordStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

inline bool isWordChar(QChar c)
{
    return isWordStart(c) || (c >= u'0' && c <= u'9');
}

inline bool isDigits(QStringView text, bool signAllowed = false)
{
    if (signAllowed && text.startsWith(u'-'))
        text = text.sliced(1);
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The span with the blanks at both ends left out; an all-blank span keeps its start.
inline Span trimmed(QStringView line, int from, int to)
{
    while (from < to && isBlankChar(line.at(from)))
        ++from;
    while (to > from && isBlankChar(line.at(to - 1)))
        --to;
    return Span{from, to - from, line.sliced(from, to - from)};
}

// Splits [from, to) at `separator`, outside double quotes when `quoted`.
inline QVector<Span> split(QStringView line, int from, int to, QChar separator, bool quoted = false)
{
    QVector<Span> parts;
    bool inString = false;
    int start = from;
    for (int i = from; i < to; ++i) {
        const QChar c = line.at(i);
        if (quoted && c == u'"')
            inString = !inString;
        else if (c == separator && !inString) {
            parts.append(Span{start, i - start, line.sliced(start, i - start)});
            start = i + 1;
        }
    }
    parts.append(Span{start, to - start, line.sliced(start, to - start)});
    return parts;
}

} // namespace LineText
