#include "app/error_text.h"

#include "common/code_page.h"

QString errorDialogText(const QString &message)
{
    if (message.isEmpty())
        return message;
    qsizetype lastLength = 1;
    if (message.size() >= 2 && message.back().isLowSurrogate() && message.at(message.size() - 2).isHighSurrogate())
        lastLength = 2;
    // A character the code page lacks encodes as its substitute, a double-byte code: it gets the stop too.
    const QByteArray lastBytes = CodePage932::encode(QStringView(message).last(lastLength));
    const bool greaterThanStop = lastBytes.isEmpty() ? message.back().unicode() > u'.' : lastBytes > QByteArray(".");
    return greaterThanStop ? message + u'.' : message;
}
