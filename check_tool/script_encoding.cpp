#include "check_tool/script_encoding.h"

#include "common/code_page.h"
#include "common/line_breaks.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// Code page 932's lines: LF and CR never occur inside one of its double-byte
// characters, so the bytes can be split before they are decoded, and the line of
// each unreadable byte is known exactly.
QStringList codePageLines(QByteArrayView bytes, QString &whole, QList<int> &undecodable)
{
    bool ok = true;
    whole = CodePage932::decode(bytes, &ok);
    if (ok)
        return LineBreaks::splitSharing(whole);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes.at(i) != '\n' && bytes.at(i) != '\r')
            continue;
        lines.append(CodePage932::decode(bytes.sliced(start, i - start), &ok));
        if (!ok)
            undecodable.append(int(lines.size()) - 1);
        if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    return lines;
}

} // namespace

std::optional<ScriptEncoding> ScriptEncoding::named(const QString &name)
{
    if (name.isEmpty() || !QStringDecoder(name.toLatin1().constData()).isValid())
        return std::nullopt;
    return ScriptEncoding(name);
}

QString ScriptEncoding::displayName() const
{
    return isCodePage932() ? QStringLiteral("Shift_JIS") : name_;
}

QStringList ScriptEncoding::lines(QByteArrayView bytes, QString &whole, QList<int> &undecodable) const
{
    if (isCodePage932())
        return codePageLines(bytes, whole, undecodable);
    // Other encodings may put a line end's byte inside a character (UTF-16 does),
    // so the file is decoded whole; the lines with what stands for unreadable
    // bytes are the undecodable ones.
    QStringDecoder decoder(name_.toLatin1().constData(), QStringConverter::Flag::Stateless);
    whole = decoder.decode(bytes);
    const QStringList lines = LineBreaks::splitSharing(whole);
    if (!decoder.hasError())
        return lines;
    for (int line = 0; line < lines.size(); ++line) {
        if (std::any_of(lines.at(line).cbegin(), lines.at(line).cend(), isSubstitute))
            undecodable.append(line);
    }
    // A converter that substitutes something else still leaves a file that did not decode.
    if (undecodable.isEmpty())
        undecodable.append(0);
    return lines;
}
