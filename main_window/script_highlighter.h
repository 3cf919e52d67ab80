#pragma once

#include "checker/script_check.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QPlainTextEdit;
class QTextDocument;

// Colours the script editor's command words, strings, labels, numbers, variables,
// braces and comments as the checker reads them, and puts a wavy line under every
// mistake it finds. The check follows
// each edit of the document: an edit reads only its own lines again, and lines
// elsewhere are repainted only when their diagnostics changed.
class ScriptHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    // `commands` is the table of commands the check knows.
    ScriptHighlighter(QPlainTextEdit *editor, std::shared_ptr<const Commands::Table> commands);

    // The diagnostics of a line of the editor, numbered from 0.
    Diagnostics diagnostics(int line) const { return check_.diagnostics(line); }
    Diagnostics allDiagnostics() const { return check_.allDiagnostics(); }

protected:
    void highlightBlock(const QString &text) override;

private:
    void takeChange(int position, int removed, int added);
    void repaintOtherLines();
    void readWholeDocument(const QTextDocument &document);
    QStringList linesOf(int first, int count) const;

    ScriptCheck check_;
    int knownLines_ = 0;
    QVector<int> toRepaint_;
    bool repaintAll_ = false;
    QTextCharFormat colourFormats_[int(Colour::Kind::Variable) + 1]; // one per kind of piece
    QTextCharFormat errorFormat_;
    QTextCharFormat warningFormat_;
};
