#include "main_window/script_file.h"

#include "common/code_page.h"
#include "common/failure.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"
#include "common/text_position.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

namespace ScriptFile {

namespace {

Failure createFailure(const QString &path)
{
    return Failure(QStringLiteral("ファイル %1 を作成できません").arg(path));
}

Failure unencodable(const QString &text, qsizetype at)
{
    const QString character = text.mid(at, TextPosition::characterLength(text, at));
    const qsizetype line = QStringView(text).first(at).count(QStringLiteral("\r\n")) + 1;
    return Failure(QStringLiteral("%1行目の文字「%2」(%3) は Shift_JIS で保存できないため、保存しませんでした")
                       .arg(QString::number(line), character, TextPosition::codePointName(text, at)));
}

// A file with no write permission at all stays untouched, also for an
// administrator who could replace it.
bool isReadOnly(const QFileInfo &existing)
{
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !existing.isWritable() || !(existing.permissions() & anyWrite);
}

// Line number, from 1, of the first line whose bytes do not decode. CR and LF are
// never the second byte of a double-byte character, so lines split cleanly on them.
qsizetype firstUndecodableLine(QByteArrayView bytes)
{
    qsizetype line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        bool decodable = false;
        CodePage932::decode(bytes.sliced(start, i - start), &decodable);
        if (!decodable)
            return line;
        if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return line - 1;
}

} // namespace

QString fileName(const QDateTime &localTime)
{
    return QStringLiteral("npc") + QDir::separator() + QStringLiteral("npc_") +
           localTime.toString(QStringLiteral("MM-dd_HHmm")) + QStringLiteral(".txt");
}

QString fileText(const QTextDocument &document)
{
    QString text;
    text.reserve(document.characterCount() + document.blockCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += QStringLiteral("\r\n");
        text += block.text();
    }
    return text;
}

void save(const QString &path, const QString &text)
{
    bool encodable = false;
    const QByteArray bytes = CodePage932::encode(text, &encodable);
    if (!encodable)
        throw unencodable(text, CodePage932::firstUnencodable(text));

    const QFileInfo existing(path);
    if (existing.exists() && (existing.isDir() || isReadOnly(existing)))
        throw createFailure(path);
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw createFailure(path);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("ストリームへの書き込みエラー"));
}

QString textOf(const QString &path, QByteArrayView bytes)
{
    bool decodable = false;
    const QString text = CodePage932::decode(bytes, &decodable);
    if (!decodable)
        throw Failure(QStringLiteral("ファイル %1 の %2 行目に Shift_JIS ではないバイトがあるため、開きませんでした")
                          .arg(QDir::toNativeSeparators(path), QString::number(firstUndecodableLine(bytes))));
    return LineBreaks::normalised(text);
}

QString open(const QString &path)
{
    return textOf(path, RegularFile::read(path, kMaxOpenBytes));
}

} // namespace ScriptFile
