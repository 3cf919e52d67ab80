#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

class QTextDocument;

// Script files: saved in the folder "npc" under a name made from the local date and
// time, or under a name the user chose, holding the editor's text in code page 932
// with CR LF line breaks; and read back into the editor.
namespace ScriptFile {

// npc/npc_MM-DD_HHMM.txt (with the platform's separator); seconds are dropped.
QString fileName(const QDateTime &localTime);

// The editor's whole text as the file holds it: lines joined by CR LF.
QString fileText(const QTextDocument &document);

// Writes `text` to `path` through a temporary file that replaces the old one only
// when everything was written, so a failed save leaves an earlier file as it was.
// Never creates the folder. Raises the create or write failure, or a refusal when
// the text holds a character the code page cannot store.
void save(const QString &path, const QString &text);

// Scripts larger than this are refused unread; a whole server's scripts together
// stay far below it.
constexpr qint64 kMaxOpenBytes = 16LL * 1024 * 1024;

// The text a script file's bytes give: decoded from code page 932, every line end
// written as one "\n". Raises a failure naming `path` and the first line that holds
// bytes the code page does not have.
QString textOf(const QString &path, QByteArrayView bytes);

// Reads the script at `path` as textOf() gives it. Raises the open failure for
// anything that is not a readable regular file (without waiting on a pipe), and
// the size failure for a file over kMaxOpenBytes.
QString open(const QString &path);

} // namespace ScriptFile
