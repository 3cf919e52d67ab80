#include "server_text.h"

#include "common/code_page.h"

#include <QStringDecoder>

namespace ServerText {

QString decode(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    bool ok = false;
    const QString codePageText = CodePage932::decode(bytes, &ok);
    return ok ? codePageText : text;
}

} // namespace ServerText
