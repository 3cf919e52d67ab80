#include "common/code_page.h"

#include "common/text_position.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace CodePage932 {

namespace {
// ICU knows the code page under this name; "Shift_JIS" maps to the same table.
constexpr const char *kName = "windows-31j";

// Characters that Unicode spells twice: Japanese input and web pages give the
// first, the code page holds the second under the same glyph.
constexpr char16_t kTwins[][2] = {
    {u'\u301C', u'\uFF5E'}, // wave dash
    {u'\u2016', u'\u2225'}, // double vertical line
    {u'\u2212', u'\uFF0D'}, // minus sign
    {u'\u00A2', u'\uFFE0'}, // cent sign
    {u'\u00A3', u'\uFFE1'}, // pound sign
    {u'\u00AC', u'\uFFE2'}, // not sign
    {u'\u2014', u'\u2015'}, // em dash
    {u'\u00A6', u'\uFFE4'}, // broken bar
};

// The converter's table rotates three control codes against code page 932 as
// Windows has it: its byte 0x1A reads as U+001C, 0x1C as U+007F and 0x7F as
// U+001A. Each control is handed to it as the one it would turn into the right
// byte, and each byte as the one it would read as the right control. None of the
// three bytes is ever part of a double-byte character.
constexpr char16_t kControlForConverter[][2] = {{u'\x1A', u'\x1C'}, {u'\x1C', u'\x7F'}, {u'\x7F', u'\x1A'}};
constexpr char kByteForConverter[][2] = {{'\x1A', '\x7F'}, {'\x1C', '\x1A'}, {'\x7F', '\x1C'}};

// `text` as the converter must see it: twins folded, controls rotated; a null
// string when nothing needs changing.
QString textForConverter(QStringView text)
{
    QString result;
    const auto put = [&](qsizetype at, char16_t replacement) {
        if (result.isNull())
            result = text.toString();
        result[at] = QChar(replacement);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        for (const auto &twin : kTwins) {
            if (c == twin[0])
                put(i, twin[1]);
        }
        for (const auto &control : kControlForConverter) {
            if (c == control[0])
                put(i, control[1]);
        }
    }
    return result;
}

QByteArray withControlBytesForConverter(QByteArrayView bytes)
{
    // The three bytes are rare: the text is searched for them many bytes at a time,
    // and copied only when one is there.
    const auto isRotated = [](char byte) { return byte == '\x1A' || byte == '\x1C' || byte == '\x7F'; };
    const char *first = std::find_if(bytes.begin(), bytes.end(), isRotated);
    if (first == bytes.end())
        return {};
    QByteArray result = bytes.toByteArray();
    for (qsizetype i = first - bytes.begin(); i < result.size(); ++i) {
        for (const auto &control : kByteForConverter) {
            if (result.at(i) == control[0]) {
                result[i] = control[1];
                break;
            }
        }
    }
    return result;
}

// The converter encodes a few private-use characters one way only (U+F86F becomes
// the bytes of "№"): such a character must count as one the code page cannot hold.
bool privateUseRoundTrips(QStringView text, QStringEncoder &encoder)
{
    QStringDecoder decoder(kName, QStringConverter::Flag::Stateless);
    for (const QChar c : text) {
        if (c.unicode() < 0xE000 || c.unicode() > 0xF8FF)
            continue;
        const QByteArray bytes = encoder.encode(QStringView(&c, 1));
        if (decoder.decode(bytes) != QString(c))
            return false;
    }
    return true;
}

} // namespace

QByteArray encode(QStringView text, bool *ok)
{
    QStringEncoder encoder(kName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        if (ok)
            *ok = false;
        return {};
    }
    const QString folded = textForConverter(text);
    const QStringView toEncode = folded.isNull() ? text : QStringView(folded);
    QByteArray bytes = encoder.encode(toEncode);
    if (ok)
        *ok = !encoder.hasError() && privateUseRoundTrips(toEncode, encoder);
    return bytes;
}

QString decode(QByteArrayView bytes, bool *ok)
{
    // Opening the converter costs as much as decoding a short script: each thread keeps
    // one. Resetting it does not clear an error it met, so it is replaced after one.
    thread_local std::optional<QStringDecoder> kept;
    if (!kept || kept->hasError())
        kept.emplace(kName, QStringConverter::Flag::Stateless);
    QStringDecoder &decoder = *kept;
    if (!decoder.isValid()) {
        if (ok)
            *ok = false;
        return {};
    }
    const QByteArray rotated = withControlBytesForConverter(bytes);
    QString text = decoder.decode(rotated.isNull() ? bytes : QByteArrayView(rotated));
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

qsizetype firstUnencodable(QStringView text)
{
    bool ok = true;
    encode(text, &ok);
    if (ok)
        return -1;
    // Halve the text until one character is left: only the failure path pays for this.
    qsizetype from = 0;
    qsizetype to = text.size();
    if (to == 0)
        return -1;
    while (to - from > TextPosition::characterLength(text, from)) {
        qsizetype middle = from + (to - from) / 2;
        if (middle > 0 && text.at(middle).isLowSurrogate() && text.at(middle - 1).isHighSurrogate())
            ++middle;
        encode(text.sliced(from, middle - from), &ok);
        if (ok)
            from = middle;
        else
            to = middle;
    }
    return from;
}

} // namespace CodePage932
