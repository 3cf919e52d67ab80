#include "main_window/help_file.h"

#include "common/code_page.h"
#include "common/failure.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace HelpFile {

QString installedFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/talewick/help"));
}

QString path(const QString &name, const QString &installed)
{
    const QString local = QStringLiteral("help");
    // The working folder's own help wins, even when a file is missing from it.
    if (QFileInfo(local).isDir() || installed.isEmpty() || !QFileInfo(installed).isDir())
        return local + QDir::separator() + name;
    return QDir::toNativeSeparators(installed + QLatin1Char('/') + name);
}

QString textOf(QByteArrayView bytes)
{
    // A zero byte ends the text; it never occurs inside a double-byte character.
    const qsizetype zero = bytes.indexOf('\0');
    return LineBreaks::normalised(CodePage932::decode(zero < 0 ? bytes : bytes.first(zero)));
}

QString read(const QString &path)
{
    RegularFile::Result file = RegularFile::tryRead(path, kMaxBytes);
    switch (file.status) {
    case RegularFile::Result::Status::Read:
        break;
    case RegularFile::Result::Status::CannotOpen:
        throw Failure(QStringLiteral("ファイル %1 は開けません").arg(path));
    case RegularFile::Result::Status::TooLarge:
        throw Failure(QStringLiteral("文字列の大きさが メモ の制限を越えました"));
    }
    return textOf(file.bytes);
}

} // namespace HelpFile
