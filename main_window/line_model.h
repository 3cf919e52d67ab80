#pragma once

#include <QString>
#include <QTextBlock>
#include <QTextCursor>

class QTextDocument;

// The script's lines on the editor's document. Each block of the document is a
// line and a block boundary is a line break (CR LF in the saved file). The empty
// piece after a final line break is not a line: 'A' CR LF has one line, 'A' CR LF
// CR LF has two. Every function here touches only the end of the document.
namespace LineModel {

int lineCount(const QTextDocument &document);

// The block that holds the last line: the one before the final line break, or the
// single empty block of an empty document.
QTextBlock lastLineBlock(const QTextDocument &document);

// The whole last line; empty for an empty document.
QString lastLine(const QTextDocument &document);

// Adds `line` as a new line at the end: after a final line break (or into an empty
// document) as `line` CR LF, otherwise as CR LF `line`. Returns a cursor right after
// the inserted text.
QTextCursor appendLine(QTextDocument &document, const QString &line);

// Puts `line` in place of the last line's text, keeping the line break after it;
// an empty document becomes `line` alone. Returns a cursor right after it.
QTextCursor replaceLastLine(QTextDocument &document, const QString &line);

} // namespace LineModel
