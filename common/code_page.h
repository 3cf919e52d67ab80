#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Scripts and help texts are stored in the Japanese code page 932 (windows-31j);
// everything inside the program is Unicode. These are the only conversions.
namespace CodePage932 {

// Bytes of `text`; `ok` turns false when a character has no code in the code page
// (its bytes are then substitutes and must not be written anywhere). Characters
// that have a twin under the same glyph in the code page (〜 for ～, − for －, ...)
// are written as that twin.
QByteArray encode(QStringView text, bool *ok = nullptr);

// Text of `bytes`; `ok` turns false on bytes that are not valid in the code page.
QString decode(QByteArrayView bytes, bool *ok = nullptr);

// Index of the first character of `text` that the code page cannot hold, or -1.
qsizetype firstUnencodable(QStringView text);

} // namespace CodePage932
