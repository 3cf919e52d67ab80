#pragma once

#include "checker/target.h"

#include <QStringView>
#include <QVector>

#include <vector>

// Cuts the text of a script body into tokens, one line at a time. Line breaks are
// blanks like any other, so the only thing a line hands on to the next is whether
// a /* comment is still open.
namespace BodyTokens {

struct Token
{
    enum class Kind : quint8
    {
        Name, // with its prefix ($ $@ @ . .@ # ## ') and "$" suffix
        Number,
        String,     // closed on its line
        OpenString, // runs to the end of the line
        Punct,      // an operator or ( ) [ ] { } , ; : ?
        Comment,    // // to the end of the line, or /* */ (or the part on this line)
        Unknown,    // a character no token begins with
    };
    Kind kind = Kind::Unknown;
    int column = 0;
    int length = 0;
};

struct Line
{
    std::vector<Token> tokens;
    bool endsInComment = false; // a /* is still open at the end of the line
};

// The tokens of `text` from column `from` on; `inComment` says whether a /* comment
// was open before it. Today's servers read a conditional comment ("/*@RENEWAL")
// as code when the target defines its flag; without a target, with the flags
// a server defines as it comes.
Line tokenize(QStringView text, int from, bool inComment, const Target *target = nullptr);
// The same into `line`, whose room for tokens is used again: for a reader that
// keeps no line's tokens once it has read them.
void tokenizeInto(QStringView text, int from, bool inComment, Line &line, const Target *target = nullptr);

// Whether `c` may stand in a name: letters, digits, "_" and every character of two
// bytes in the code page (the full-width space excepted). Inline: every character
// of every name is asked.
namespace Detail {
// The ASCII characters a name may hold, looked up rather than compared range by range.
struct AsciiNameChars
{
    bool of[128] = {};
    constexpr AsciiNameChars()
    {
        for (char16_t c = u'a'; c <= u'z'; ++c)
            of[c] = of[c - u'a' + u'A'] = true;
        for (char16_t c = u'0'; c <= u'9'; ++c)
            of[c] = true;
        of[u'_'] = true;
    }
};
inline constexpr AsciiNameChars kAsciiNameChars;
} // namespace Detail

inline bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 ? Detail::kAsciiNameChars.of[u] : u != 0x3000;
}

// Whether a number token is written in hexadecimal ("0x1F").
inline bool isHexNumber(QStringView number)
{
    return number.size() > 1 && (number.at(1) == u'x' || number.at(1) == u'X');
}

// Whether a number token is written as only today's servers read it: "0o17",
// "0b101", "1_000".
inline bool isTodaysNumber(QStringView number)
{
    return number.contains(u'_') || number.startsWith(u"0o") || number.startsWith(u"0b");
}

// Whether a number token groups its digits as no server reads: "_" at its end
// ("12_") or twice in a row ("1__000").
inline bool hasStrayUnderscore(QStringView number)
{
    return number.endsWith(u'_') || number.contains(u"__");
}

// Where in a closed string token (quotes included) the first backslash stands
// that today's servers do not read as an escape ("\\%", "\\q"), or -1.
qsizetype unknownEscapeAt(QStringView string);

// The value of a number token as written, before any server caps it: decimal,
// 0x, 0o, 0b or a leading 0 for octal, "_" between digits; past 64 bits, the
// largest value.
quint64 numberValue(QStringView number);

// Whether `name` is a plain name without prefix or suffix, as command words are.
bool isPlainName(QStringView name);

// Whether `name` may name a label: name characters only, a digit first allowed ("1000").
bool isLabelName(QStringView name);

} // namespace BodyTokens
