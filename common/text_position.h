#pragma once

#include <QString>
#include <QStringView>

// Characters in UTF-16 text: a character outside the basic plane is two code units.
namespace TextPosition {

// Code units of the character that begins at `index`: 2 for a surrogate pair, else 1.
inline int characterLength(QStringView text, qsizetype index)
{
    return text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate() ? 2 : 1;
}

// The code point of the character at `index`.
inline char32_t codePoint(QStringView text, qsizetype index)
{
    return characterLength(text, index) == 2 ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
                                             : char32_t(text.at(index).unicode());
}

// "U+1F600": the name of the character at `index`, as users look it up.
inline QString codePointName(QStringView text, qsizetype index)
{
    return QStringLiteral("U+%1").arg(uint(codePoint(text, index)), 4, 16, QLatin1Char('0')).toUpper();
}

// Characters before `index`: a surrogate pair counts once.
inline int characterColumn(QStringView text, qsizetype index)
{
    int column = 0;
    for (qsizetype i = 0; i < index && i < text.size(); i += characterLength(text, i))
        ++column;
    return column;
}

} // namespace TextPosition
