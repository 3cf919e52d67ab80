#include "checker/body_tokens.h"

#include "common/code_page_characters.h"
#include "common/text_position.h"

#include <limits>
#include <vector>

namespace BodyTokens {

namespace {

// A space, a tab, a line break, a vertical tab or form feed, or the full-width space.
bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    if (u > u' ')
        return u == u'\u3000';
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The server reads bytes: a backslash right after a byte above 0x7E (the second byte
// of a double-byte character, or a half-width katakana) is an ordinary byte, not an escape.
bool escapes(QStringView text, qsizetype backslash)
{
    if (backslash == 0)
        return true;
    const QChar before = text.at(backslash - 1);
    if (before.unicode() < 0x80 || before.isSurrogate())
        return true;
    return CodePage932::lastByte(before) <= 0x7E;
}

// The length of the operator or punctuation at `i`, longest first; 0 for none.
int punctLength(QStringView text, int i)
{
    const QChar c = text.at(i);
    const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
    const QChar third = i + 2 < text.size() ? text.at(i + 2) : QChar();
    switch (c.unicode()) {
    case u'<':
    case u'>':
        if (next == c)
            return third == u'=' ? 3 : 2;
        return next == u'=' ? 2 : 1;
    case u'&':
    case u'|':
    case u'+':
    case u'-':
        return next == c || next == u'=' ? 2 : 1;
    case u'*':
        if (next == u'*') // "**" and "**=": power, on today's servers
            return third == u'=' ? 3 : 2;
        return next == u'=' ? 2 : 1;
    case u'=':
    case u'!':
    case u'/':
    case u'%':
    case u'^':
        return next == u'=' ? 2 : 1;
    case u'~':
        return next == u'=' || next == u'!' ? 2 : 1; // "~=" "~!": a text against a pattern
    case u'?':
    case u':':
    case u',':
    case u';':
    case u'(':
    case u')':
    case u'[':
    case u']':
    case u'{':
    case u'}':
        return 1;
    default:
        return 0;
    }
}

} // namespace

bool isPlainName(QStringView name)
{
    if (name.isEmpty() || isDigit(name.front()))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) { return isNameChar(c); });
}

quint64 numberValue(QStringView number)
{
    QString digits = number.toString();
    digits.remove(u'_');
    int base = 10;
    if (digits.startsWith(u"0x") || digits.startsWith(u"0X") || digits.startsWith(u"0o") || digits.startsWith(u"0b")) {
        base = digits.at(1) == u'o' ? 8 : digits.at(1) == u'b' ? 2 : 16;
        digits.remove(0, 2);
    } else if (digits.size() > 1 && digits.startsWith(u'0')) {
        base = 8;
    }
    bool ok = false;
    const quint64 value = digits.toULongLong(&ok, base);
    return ok ? value : std::numeric_limits<quint64>::max();
}

qsizetype unknownEscapeAt(QStringView string)
{
    static constexpr QStringView kKnown = u"ntrabfv?\"'\\x0123";
    for (qsizetype i = 1; i + 2 < string.size(); ++i) {
        if (string.at(i) != u'\\' || !escapes(string, i))
            continue;
        if (!kKnown.contains(string.at(i + 1)))
            return i;
        ++i; // the escaped character is no backslash of its own
    }
    return -1;
}

bool isLabelName(QStringView name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) { return isNameChar(c); });
}

namespace {

// Where a string that opens at `i` ends, and whether its closing quote was found.
int stringEnd(QStringView text, int i, bool *closed)
{
    const int size = int(text.size());
    int end = i + 1;
    *closed = false;
    while (end < size) {
        const QChar d = text.at(end);
        if (d == u'\\' && escapes(text, end)) {
            end += 2;
            continue;
        }
        ++end;
        if (d == u'"') {
            *closed = true;
            break;
        }
    }
    return std::min(end, size);
}

// Where a number that begins at `i` ends: decimal, hexadecimal after "0x", and on
// today's servers octal after "0o", binary after "0b" and "_" between digits
// ("1_000"). Where a letter follows its digits and "_", the word is a name
// ("3rd_visit", "2019_cap"): -1 then. "12_" and "1__000" are numbers, written wrong.
int numberEnd(QStringView text, int i)
{
    const int size = int(text.size());
    const QChar prefix = i + 1 < size && text.at(i) == u'0' ? text.at(i + 1) : QChar();
    int end = i + 1;
    if ((prefix == u'x' || prefix == u'X') && i + 2 < size && isHexDigit(text.at(i + 2))) {
        end = i + 2;
        while (end < size && (isHexDigit(text.at(end)) || text.at(end) == u'_'))
            ++end;
        return end;
    }
    if ((prefix == u'o' || prefix == u'b') && i + 2 < size && isDigit(text.at(i + 2)))
        end = i + 2;
    while (end < size && (isDigit(text.at(end)) || text.at(end) == u'_'))
        ++end;
    return end < size && isNameChar(text.at(end)) ? -1 : end;
}

// Where the name characters from `end` on end, with a "$" suffix.
int nameRestEnd(QStringView text, int end)
{
    const int size = int(text.size());
    while (end < size && isNameChar(text.at(end)))
        ++end;
    if (end < size && text.at(end) == u'$')
        ++end;
    return end;
}

// Where a name that begins at `i` ends, with its prefix ($ $@ @ . .@ # ## ') and
// "$" suffix; `i` when no name begins there.
int nameEnd(QStringView text, int i)
{
    const int size = int(text.size());
    const QChar c = text.at(i);
    const QChar next = i + 1 < size ? text.at(i + 1) : QChar();
    int body = i;
    if (c == u'$' || c == u'.')
        body = i + 1 + (next == u'@' ? 1 : 0);
    else if (c == u'#')
        body = i + 1 + (next == u'#' ? 1 : 0);
    else if (c == u'@' || c == u'\'')
        body = i + 1;
    if (body >= size || !isNameChar(text.at(body)) || (body == i && isDigit(text.at(body))))
        return i;
    return nameRestEnd(text, body);
}

// Reads the token that begins at `i`, which is no blank and begins no comment, into
// `token`: written in place, field by field, since a token copied whole is stored
// and read back at once in a way the processor cannot forward.
void readTokenAt(QStringView text, int i, Token &token)
{
    token.column = i;
    const QChar c = text.at(i);
    if (isNameChar(c) && !isDigit(c)) {
        // Most tokens are plain names: no prefix to look for.
        token.kind = Token::Kind::Name;
        token.length = nameRestEnd(text, i + 1) - i;
        return;
    }
    if (c == u'"') {
        bool closed = false;
        const int end = stringEnd(text, i, &closed);
        token.kind = closed ? Token::Kind::String : Token::Kind::OpenString;
        token.length = end - i;
    } else if (isDigit(c)) {
        const int end = numberEnd(text, i);
        token.kind = end < 0 ? Token::Kind::Name : Token::Kind::Number;
        token.length = (end < 0 ? nameRestEnd(text, i) : end) - i;
    } else if (const int end = nameEnd(text, i); end > i) {
        token.kind = Token::Kind::Name;
        token.length = end - i;
    } else if (const int length = punctLength(text, i)) {
        token.kind = Token::Kind::Punct;
        token.length = length;
    } else {
        token.kind = Token::Kind::Unknown;
        token.length = TextPosition::characterLength(text, i);
    }
}

} // namespace

namespace {

// The length of "/*@FLAG" or "/*@!FLAG" at `i`, and whether the target reads what
// follows as code; 0 when no flag follows "/*@" (an ordinary comment then).
int conditionalOpening(QStringView text, int i, const Target &target, bool *code)
{
    int at = i + 3;
    const bool negated = at < text.size() && text.at(at) == u'!';
    at += negated ? 1 : 0;
    int end = at;
    while (end < text.size() && isNameChar(text.at(end)) && text.at(end).unicode() < 0x80)
        ++end;
    const QStringView flag = text.sliced(at, end - at);
    if (!Target::isFlagWord(flag))
        return 0;
    *code = target.defines(flag) != negated;
    return end - i;
}

// The "*/" right after a conditional comment's flag, blanks allowed before it:
// where it ends, or `i` when none stands there.
int closingRightAfter(QStringView text, int i)
{
    int at = i;
    while (at < text.size() && (text.at(at) == u' ' || text.at(at) == u'\t'))
        ++at;
    return text.sliced(at).startsWith(u"*/") ? at + 2 : i;
}

// The tokens of `text` into `found`; whether a /* comment is left open.
bool read(QStringView text, int from, bool inComment, std::vector<Token> &found, const Target *target)
{
    static const Target kAsItComes;
    const Target &flags = target ? *target : kAsItComes;
    const bool conditional = flags.includes(Target::kToday);
    bool endsInComment = false;
    const int size = int(text.size());
    found.clear();
    int i = from;
    const auto add = [&](Token::Kind kind, int column, int length) { found.push_back(Token{kind, column, length}); };
    // A /* comment: up to its */, or open past the line.
    const auto comment = [&](int start, int after) {
        const qsizetype close = text.indexOf(u"*/", after);
        if (close < 0) {
            if (size > start)
                add(Token::Kind::Comment, start, size - start);
            endsInComment = true;
            return size;
        }
        add(Token::Kind::Comment, start, int(close) + 2 - start);
        return int(close) + 2;
    };
    if (inComment)
        i = comment(i, i);
    while (i < size && !endsInComment) {
        const QChar c = text.at(i);
        if (isBlank(c)) {
            ++i;
            continue;
        }
        const QChar next = i + 1 < size ? text.at(i + 1) : QChar();
        if (c == u'/' && next == u'/') {
            add(Token::Kind::Comment, i, size - i);
            break;
        }
        if (c == u'/' && next == u'*') {
            bool code = false;
            const int opening = conditional && i + 2 < size && text.at(i + 2) == u'@'
                                    ? conditionalOpening(text, i, flags, &code)
                                    : 0;
            if (opening > 0 && code) {
                // Only the opening is skipped: "/*@FLAG*/" or "/*@FLAG" and the code after it.
                const int end = closingRightAfter(text, i + opening);
                add(Token::Kind::Comment, i, end - i);
                i = end;
                continue;
            }
            // Up to the first "*/" after the flag; for "/*@FLAG*/", the next one after that.
            i = comment(i, opening > 0 ? closingRightAfter(text, i + opening) : i + 2);
            continue;
        }
        Token &token = found.emplace_back();
        readTokenAt(text, i, token);
        i += token.length;
    }
    return endsInComment;
}

// Tokens are gathered in a buffer kept from line to line.
thread_local std::vector<Token> tFound;

} // namespace

Line tokenize(QStringView text, int from, bool inComment, const Target *target)
{
    Line line;
    line.endsInComment = read(text, from, inComment, tFound, target);
    // Stored in one allocation of the right size (none for a line without tokens).
    if (!tFound.empty())
        line.tokens.assign(tFound.cbegin(), tFound.cend());
    return line;
}

void tokenizeInto(QStringView text, int from, bool inComment, Line &line, const Target *target)
{
    // Cleared, the array keeps its room.
    line.endsInComment = read(text, from, inComment, line.tokens, target);
}

} // namespace BodyTokens
