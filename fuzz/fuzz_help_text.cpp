// Any bytes as a help file: the panel's text never holds a CR or a zero, and has
// exactly as many line breaks as the bytes before the first zero.
//
// The break count is taken on the raw bytes, so it also asserts that decoding keeps
// every CR and LF byte. It does: CR and LF are never trail bytes of the code page,
// and the decoder ends a broken double-byte character before them (0x81 0x0D gives
// U+001A U+000D), so a lead byte cannot swallow a break.
#include "main_window/help_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

qsizetype breaksIn(QByteArrayView bytes)
{
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && !(i + 1 < bytes.size() && bytes[i + 1] == '\n')))
            ++breaks;
    }
    return breaks;
}

// Printable ASCII, tab and breaks only: the code page holds ASCII unchanged there,
// backslash and tilde included.
bool isPlainAscii(QByteArrayView bytes)
{
    for (const char b : bytes) {
        if (b == '\0')
            break;
        if (!((b >= 0x20 && b < 0x7F) || b == '\t' || b == '\r' || b == '\n'))
            return false;
    }
    return true;
}

QString asciiText(QByteArrayView bytes)
{
    QString text;
    for (qsizetype i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i] == '\r' ? QChar(u'\n') : QChar(char16_t(uchar(bytes[i])));
    }
    return text;
}

[[noreturn]] void fail(const char *what, const QString &text)
{
    fprintf(stderr, "help text: %s in \"%s\"\n", what, text.toUtf8().toHex(' ').constData());
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = HelpFile::textOf(bytes);

    if (text.contains(u'\r'))
        fail("CR left", text);
    if (text.contains(QChar(u'\0')))
        fail("zero character", text);
    if (text.count(u'\n') != breaksIn(bytes))
        fail("line breaks lost or added", text);
    if (isPlainAscii(bytes) && text != asciiText(bytes))
        fail("ASCII changed", text);
    return 0;
}
