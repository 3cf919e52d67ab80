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

    // Read one byte past the limit whatever size was reported: a file may grow
    // meanwhile, and some file systems report no size at all.
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min<qint64>(status.st_size, kMaxBytes) + 1));
    char chunk[16384];
    while (bytes.size() <= kMaxBytes) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            throw openFailure();
        if (got == 0)
            break;
        bytes.append(chunk, qsizetype(got));
    }
    if (bytes.size() > kMaxBytes)
        throw tooLarge();
    return textOf(bytes);
}

} // namespace HelpFile
