#pragma once

#include <QByteArray>
#include <QString>

// Reads files that come from outside: only regular files, opened without blocking
// (a named pipe or a device cannot hold the caller up), and never more than a
// given number of bytes, however the file grows while it is read.
namespace RegularFile {

constexpr qint64 kDefaultMaxBytes = 16LL * 1024 * 1024;

struct Result
{
    enum class Status
    {
        Read,
        CannotOpen, // missing, unreadable, a folder, a pipe, a device
        TooLarge,
    };
    Status status = Status::CannotOpen;
    QByteArray bytes; // the whole file when read
};

Result tryRead(const QString &path, qint64 maxBytes);

// As tryRead, raising a failure that names the file when it is not read.
QByteArray read(const QString &path, qint64 maxBytes);

} // namespace RegularFile
