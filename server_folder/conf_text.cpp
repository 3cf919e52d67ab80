#include "conf_text.h"

#include <algorithm>

namespace {

bool isNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '*' ||
           c == '-' || c == '.';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// `0b1010`, `0o17`, `1_000`, `0xFF_FF` as libconfig reads them; anything that is
// not such a number is left for libconfig to judge.
QByteArray plainInteger(QByteArray token)
{
    QByteArray suffix;
    while (token.endsWith('L')) {
        token.chop(1);
        suffix += 'L';
    }
    const QByteArray prefix = token.left(2).toLower();
    const int base = prefix == "0b" ? 2 : prefix == "0o" ? 8 : prefix == "0x" ? 16 : 10;
    const QByteArray digits = (base == 10 ? token : token.mid(2)).replace('_', QByteArray());
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, base);
    if (!ok || digits.isEmpty()) {
        return token.replace('_', QByteArray()) + suffix; // a real number, or not a number at all
    }
    // libconfig keeps only the low 32 bits of a wider integer written without L.
    const qulonglong widest = base == 16 ? 0xFFFFFFFFULL : 0x7FFFFFFFULL;
    if (suffix.isEmpty() && value > widest) {
        suffix = "L";
    }
    return (base == 16 ? "0x" + digits : QByteArray::number(value)) + suffix;
}

class Rewriter
{
public:
    explicit Rewriter(const QByteArray &text) : in_(text) { out_.reserve(text.size() + text.size() / 16); }

    ConfText::Rewritten run()
    {
        while (at_ < in_.size()) {
            step();
        }
        return {out_, unclosedRawStringLine_};
    }

private:
    char peek(qsizetype ahead = 0) const { return at_ + ahead < in_.size() ? in_.at(at_ + ahead) : '\0'; }

    void copyUntil(qsizetype end)
    {
        out_.append(in_.constData() + at_, end - at_);
        at_ = end;
    }

    void step()
    {
        const char c = peek();
        if (c == '"') {
            copyString();
        } else if (c == '<' && peek(1) == '"') {
            rawString();
        } else if (c == '#' || (c == '/' && peek(1) == '/')) {
            const qsizetype end = in_.indexOf('\n', at_);
            copyUntil(end < 0 ? in_.size() : end);
        } else if (c == '/' && peek(1) == '*') {
            const qsizetype end = in_.indexOf("*/", at_ + 2);
            copyUntil(end < 0 ? in_.size() : end + 2);
        } else if (isDigit(c) && startsNumber()) {
            number();
        } else if (c == ',' && closesList(nextSignificant(at_ + 1))) {
            out_.append(' ');
            ++at_;
        } else {
            out_.append(c);
            ++at_;
        }
    }

    // A digit starts a number unless it continues a name; a sign before it
    // belongs to the number unless a name goes on through it (`a-1`).
    bool startsNumber() const
    {
        qsizetype before = at_ - 1;
        if (before >= 0 && (in_.at(before) == '-' || in_.at(before) == '+')) {
            --before;
            return before < 0 || !isNameByte(in_.at(before));
        }
        return before < 0 || !isNameByte(in_.at(before));
    }

    bool closesList(qsizetype at) const { return at < in_.size() && (in_.at(at) == ')' || in_.at(at) == ']'); }

    // Where the next character other than spaces and comments is.
    qsizetype nextSignificant(qsizetype at) const
    {
        while (at < in_.size()) {
            const char c = in_.at(at);
            const char next = at + 1 < in_.size() ? in_.at(at + 1) : '\0';
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++at;
            } else if (c == '#' || (c == '/' && next == '/')) {
                const qsizetype end = in_.indexOf('\n', at);
                at = end < 0 ? in_.size() : end;
            } else if (c == '/' && next == '*') {
                const qsizetype end = in_.indexOf("*/", at + 2);
                at = end < 0 ? in_.size() : end + 2;
            } else {
                return at;
            }
        }
        return at;
    }

    void copyString()
    {
        qsizetype end = at_ + 1;
        while (end < in_.size() && in_.at(end) != '"' && in_.at(end) != '\n') {
            end += in_.at(end) == '\\' ? 2 : 1;
        }
        copyUntil(qMin(in_.size(), end + 1));
    }

    // Each line of the raw string becomes an escaped string of its own, so the
    // line breaks stay where they were and libconfig joins the pieces.
    void rawString()
    {
        const qsizetype opening = at_;
        at_ += 2;
        out_.append('"');
        while (at_ < in_.size() && !(peek() == '"' && peek(1) == '>')) {
            const char c = in_.at(at_++);
            if (c == '\n') {
                out_.append("\\n\"\n\"");
            } else if (c == '\r') {
                out_.append("\\r");
            } else if (c == '"' || c == '\\') {
                out_.append('\\').append(c);
            } else {
                out_.append(c);
            }
        }
        out_.append('"');
        if (at_ < in_.size()) {
            at_ += 2;
        } else if (unclosedRawStringLine_ == 0) {
            unclosedRawStringLine_ = int(std::count(in_.cbegin(), in_.cbegin() + opening, '\n')) + 1;
        }
    }

    void number()
    {
        qsizetype end = at_;
        while (end < in_.size() &&
               (isNameByte(in_.at(end)) && in_.at(end) != '.' && in_.at(end) != '-' && in_.at(end) != '*')) {
            ++end;
        }
        out_.append(plainInteger(in_.mid(at_, end - at_)));
        at_ = end;
    }

    const QByteArray &in_;
    QByteArray out_;
    qsizetype at_ = 0;
    int unclosedRawStringLine_ = 0;
};

} // namespace

namespace ConfText {

Rewritten toLibconfig(const QByteArray &serverConf)
{
    return Rewriter(serverConf).run();
}

} // namespace ConfText
