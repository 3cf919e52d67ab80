#include "common/code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage932 {

namespace {
// ICU knows the code page under this name; "Shift_JIS" maps to the same table.
constexpr const char *kName = "windows-31j";

qsizetype characterLength(QStringView text, qsizetype at)
{
    return (text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) ? 2 : 1;
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
    QByteArray bytes = encoder.encode(text);
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

QString decode(QByteArrayView bytes, bool *ok)
{
    QStringDecoder decoder(kName, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        if (ok)
            *ok = false;
        return {};
    }
    QString text = decoder.decode(bytes);
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
    while (to - from > characterLength(text, from)) {
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
