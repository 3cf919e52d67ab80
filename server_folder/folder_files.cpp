#include "folder_files.h"

#include "common/regular_file.h"

#include <QFileInfo>

namespace FolderFiles {

namespace {

// Several times the largest item table a server ships, so that a device or a
// runaway file cannot fill the memory.
constexpr qint64 kMaxBytes = 128LL * 1024 * 1024;

} // namespace

std::optional<QByteArray> read(const QDir &folder, const QString &relative, QList<ServerFolder::Problem> &problems)
{
    const QString path = folder.filePath(relative);
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    RegularFile::Result result = RegularFile::tryRead(path, kMaxBytes);
    switch (result.status) {
    case RegularFile::Result::Status::Read:
        return std::move(result.bytes);
    case RegularFile::Result::Status::TooLarge:
        problems.append(ServerFolder::Problem{relative, 0, QStringLiteral("too large to read")});
        return std::nullopt;
    case RegularFile::Result::Status::CannotOpen:
        break;
    }
    problems.append(ServerFolder::Problem{relative, 0, QStringLiteral("cannot be read")});
    return std::nullopt;
}

QString renewalFirst(const QDir &folder, const QString &name)
{
    const QString renewal = QStringLiteral("db/re/") + name;
    return QFileInfo::exists(folder.filePath(renewal)) ? renewal : QStringLiteral("db/pre-re/") + name;
}

QStringList matching(const QDir &folder, const QString &relativeDir, const QString &pattern)
{
    const QDir dir(folder.filePath(relativeDir));
    QStringList paths;
    const QStringList names = dir.entryList({pattern}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        paths.append(relativeDir + u'/' + name);
    }
    return paths;
}

} // namespace FolderFiles
