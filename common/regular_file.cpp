#include "common/regular_file.h"

#include "common/failure.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace RegularFile {

Result tryRead(const QString &path, qint64 maxBytes)
{
    Result result;
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return result;
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return result;
    }
    // The descriptor is checked, not the name, so the file cannot be swapped for a
    // pipe between the check and the read.
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return result;
    if (status.st_size > maxBytes) {
        result.status = Result::Status::TooLarge;
        return result;
    }
    // Read one byte past the limit whatever size was reported: a file may grow
    // meanwhile, and some file systems report no size at all.
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min<qint64>(status.st_size, maxBytes) + 1));
    char chunk[16384];
    while (bytes.size() <= maxBytes) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            return result;
        if (got == 0)
            break;
        bytes.append(chunk, qsizetype(got));
    }
    if (bytes.size() > maxBytes) {
        result.status = Result::Status::TooLarge;
        return result;
    }
    result.status = Result::Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

QByteArray read(const QString &path, qint64 maxBytes)
{
    Result result = tryRead(path, maxBytes);
    switch (result.status) {
    case Result::Status::Read:
        break;
    case Result::Status::CannotOpen:
        throw Failure(QStringLiteral("ファイル %1 は開けません").arg(path));
    case Result::Status::TooLarge:
        throw Failure(QStringLiteral("ファイル %1 は大きすぎます（%2 バイトまで）").arg(path).arg(maxBytes));
    }
    return std::move(result.bytes);
}

} // namespace RegularFile
