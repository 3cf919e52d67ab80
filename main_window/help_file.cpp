#include "main_window/help_file.h"

#include "common/code_page.h"
#include "common/failure.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QDir>

namespace HelpFile {

QString path(const QString &name)
{
    return QStringLiteral("help") + QDir::separator() + name;
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
