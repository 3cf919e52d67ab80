#pragma once

#include <QByteArrayView>
#include <QString>

// Text in a server's files: UTF-8 in today's servers, code page 932 in older
// Japanese ones (item and monster names), so a text that is not valid UTF-8 but
// is valid code page 932 is read as the latter.
namespace ServerText {

QString decode(QByteArrayView bytes);

} // namespace ServerText
