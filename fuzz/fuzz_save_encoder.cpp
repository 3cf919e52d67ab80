// Any UTF-16 text, lone surrogates included, through the save encoder. Text it
// accepts must read back as written, each Unicode twin as the code page's own
// character; for text it refuses, firstUnencodable must name a character that
// alone is refused (never ASCII nor a twin), with everything before it accepted.
//
// Input: UTF-16LE code units; an odd last byte is ignored.
#include "common/code_page.h"
#include "common/text_position.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Kept apart from the encoder's own table on purpose, ordered by the code page:
// each character the code page stores, after the Unicode twin that input methods
// and web pages give for the same glyph.
constexpr char16_t kTwins[][2] = {
    {0x2015, 0x2014}, // horizontal bar, em dash
    {0x2225, 0x2016}, // parallel, double vertical line
    {0xFF0D, 0x2212}, // full-width hyphen-minus, minus sign
    {0xFF5E, 0x301C}, // full-width tilde, wave dash
    {0xFFE0, 0x00A2}, // full-width cent sign, cent sign
    {0xFFE1, 0x00A3}, // full-width pound sign, pound sign
    {0xFFE2, 0x00AC}, // full-width not sign, not sign
    {0xFFE4, 0x00A6}, // full-width broken bar, broken bar
};

QChar storedTwin(QChar c)
{
    for (const auto &twin : kTwins) {
        if (c == QChar(twin[1]))
            return QChar(twin[0]);
    }
    return c;
}

bool encodes(QStringView text)
{
    bool ok = false;
    CodePage932::encode(text, &ok);
    return ok;
}

QByteArray shown(QStringView text)
{
    QByteArray out;
    for (QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    return out;
}

[[noreturn]] void fail(const char *what, QStringView text, qsizetype at = -1)
{
    fprintf(stderr, "save encoder: %s (index %lld) for: %s\n", what, static_cast<long long>(at),
            shown(text).constData());
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(data[2 * i] | data[2 * i + 1] << 8));

    bool ok = false;
    const QByteArray bytes = CodePage932::encode(text, &ok);
    const qsizetype first = CodePage932::firstUnencodable(text);

    if (ok) {
        QString expected = text;
        for (QChar &c : expected)
            c = storedTwin(c);
        bool readable = false;
        const QString back = CodePage932::decode(bytes, &readable);
        if (!readable || back != expected) {
            qsizetype at = 0;
            while (at < back.size() && at < expected.size() && back.at(at) == expected.at(at))
                ++at;
            fail("accepted text reads back changed", text, at);
        }
        if (first != -1)
            fail("accepted text has an unencodable character", text, first);
        return 0;
    }

    if (first < 0 || first >= text.size())
        fail("refused text without an unencodable character", text, first);
    if (text.at(first).unicode() < 0x80 || storedTwin(text.at(first)) != text.at(first))
        fail("ASCII or a Unicode twin reported unencodable", text, first);
    if (!encodes(QStringView(text).first(first)))
        fail("text before the unencodable character is refused", text, first);
    const qsizetype width = TextPosition::characterLength(text, first);
    if (encodes(QStringView(text).sliced(first, width)))
        fail("the unencodable character alone is accepted", text, first);
    return 0;
}
