#include "main_window/help_file.h"

#include "common/code_page.h"
#include "common/failure.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HelpFile {

QString path(const QString &name)
{
    return QStringLiteral("help") + QDir::separator() + name;
}

QString normaliseLineBreaks(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            result += u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

QString textOf(QByteArrayView bytes)
{
    // A zero byte ends the text; it never occurs inside a double-byte character.
    const qsizetype zero = bytes.indexOf('\0');
    return normaliseLineBreaks(CodePage932::decode(zero < 0 ? bytes : bytes.first(zero)));
}

QString read(const QString &path)
{
    const auto openFailure = [&] { return Failure(QStringLiteral("ファイル %1 は開けません").arg(path)); };
    const auto tooLarge = [] { return Failure(QStringLiteral("文字列の大きさが メモ の制限を越えました")); };

    // Opened without blocking, so a named pipe cannot hold the window up; only
    // regular files are read.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        throw openFailure();
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw openFailure();
    }
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        throw openFailure();
    if (status.st_size > kMaxBytes)
        throw tooLarge();

    // One byte past what fstat saw tells whether the file grew beyond the limit meanwhile.
    const QByteArray bytes = file.read(std::min<qint64>(status.st_size, kMaxBytes) + 1);
    if (bytes.size() > kMaxBytes)
        throw tooLarge();
    return textOf(bytes);
}

} // namespace HelpFile
