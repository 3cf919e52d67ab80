#include "common/regular_file.h"

#include "common/failure.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace RegularFile {

namespace {

// Closes the descriptor it is given when it goes.
struct Descriptor
{
    int value;
    ~Descriptor()
    {
        if (value >= 0)
            ::close(value);
    }
};

// Appends what is left of `descriptor` to `bytes`, one byte past `maxBytes` at
// most. False on an error.
bool readRest(int descriptor, QByteArray &bytes, qint64 maxBytes)
{
    while (bytes.size() <= maxBytes) {
        // Read straight into the array, in room made ahead: a script mostly comes
        // whole in the first read, and the second says it has ended.
        const qsizetype room = qsizetype(
            std::min<qint64>(std::max<qsizetype>(bytes.capacity() - bytes.size(), 4096), maxBytes + 1 - bytes.size()));
        const qsizetype before = bytes.size();
        bytes.resize(before + room);
        const ssize_t got = ::read(descriptor, bytes.data() + before, size_t(room));
        if (got < 0 && errno == EINTR) {
            bytes.resize(before);
            continue;
        }
        bytes.resize(before + std::max<qsizetype>(got, 0));
        if (got < 0)
            return false;
        if (got == 0)
            break;
    }
    return true;
}

} // namespace

Result tryRead(const QString &path, qint64 maxBytes)
{
    Result result;
    const Descriptor descriptor{::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (descriptor.value < 0)
        return result;
    // The descriptor is checked, not the name, so the file cannot be swapped for a
    // pipe between the check and the read.
    struct stat status = {};
    if (::fstat(descriptor.value, &status) != 0 || !S_ISREG(status.st_mode))
        return result;
    if (status.st_size > maxBytes) {
        result.status = Result::Status::TooLarge;
        return result;
    }
    // Read one byte past the limit whatever size was reported: a file may grow
    // meanwhile, and some file systems report no size at all.
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min<qint64>(status.st_size, maxBytes) + 1));
    if (!readRest(descriptor.value, bytes, maxBytes))
        return result;
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
