#pragma once

#include <QDateTime>
#include <QString>

class QTextDocument;

// Saving the script: a file in the folder "npc" named after the local date and time,
// holding the editor's text in code page 932 with CR LF line breaks.
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

} // namespace ScriptFile
