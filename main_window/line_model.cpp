#include "main_window/line_model.h"

#include <QTextDocument>

namespace LineModel {

namespace {
bool endsWithLineBreak(const QTextDocument &document)
{
    // A block's length counts its separator, so an empty block has length 1.
    return document.blockCount() > 1 && document.lastBlock().length() == 1;
}
} // namespace

int lineCount(const QTextDocument &document)
{
    if (document.blockCount() == 1 && document.lastBlock().length() == 1)
        return 0;
    return document.blockCount() - (endsWithLineBreak(document) ? 1 : 0);
}

QTextBlock lastLineBlock(const QTextDocument &document)
{
    const QTextBlock last = document.lastBlock();
    return endsWithLineBreak(document) ? last.previous() : last;
}

QString lastLine(const QTextDocument &document)
{
    return lastLineBlock(document).text();
}

QTextCursor appendLine(QTextDocument &document, const QString &line)
{
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    // One insert, so the layout, the highlighter and the checker hear of one change.
    if (document.lastBlock().length() == 1)
        cursor.insertText(line + QLatin1Char('\n'));
    else
        cursor.insertText(QLatin1Char('\n') + line);
    return cursor;
}

QTextCursor replaceLastLine(QTextDocument &document, const QString &line)
{
    const QTextBlock last = lastLineBlock(document);
    const QString old = last.text();
    // A line that only grows gets just its new tail: the document keeps replaced text
    // in memory, and an extended menu or shop line would otherwise pile up copies.
    const bool grows = line.startsWith(old);
    QTextCursor cursor(last);
    cursor.movePosition(QTextCursor::EndOfBlock, grows ? QTextCursor::MoveAnchor : QTextCursor::KeepAnchor);
    cursor.insertText(grows ? line.mid(old.size()) : line);
    return cursor;
}

} // namespace LineModel
