#pragma once

#include <QChar>
#include <QStringView>

// Answers about single characters of code page 932, remembered once asked: for
// reading text a character at a time, where a converter per question would cost
// far more than the reading. The answers are those of CodePage932::encode.
namespace CodePage932 {

// Whether the character that begins at `index` of `text` can be saved in the code
// page; `length` receives its code units (2 for a surrogate pair).
bool isEncodable(QStringView text, qsizetype index, int *length = nullptr);

// The last byte the code page writes for `c`, or 0 when it cannot hold it.
quint8 lastByte(QChar c);

} // namespace CodePage932
