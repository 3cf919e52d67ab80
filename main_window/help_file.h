#pragma once

#include <QByteArrayView>
#include <QString>

// Help texts: files in the folder "help" of the working folder, in code page 932,
// read anew each time. A working folder without "help" uses the help files
// installed with the program.
namespace HelpFile {

// Larger help files are refused unread: the panel could not take them.
constexpr qint64 kMaxBytes = 1024 * 1024;

// The help files installed with the program: share/talewick/help beside the
// program's bin/, wherever the whole tree was installed or unpacked.
QString installedFolder();

// "help/<name>" with the platform's separator; when the working folder has no
// "help" but `installed` is a folder, `name` in that folder.
QString path(const QString &name, const QString &installed = installedFolder());

// The text a help file's bytes give: decoded from code page 932 up to the first
// zero byte, line breaks normalised.
QString textOf(QByteArrayView bytes);

// Reads the help file at `path`. Raises the open failure for anything that is not
// a readable regular file (a folder or a named pipe included, without waiting on
// it), and the size failure for a file over kMaxBytes.
QString read(const QString &path);

} // namespace HelpFile
