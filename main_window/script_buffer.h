#pragma once

#include <QString>

class QPlainTextEdit;

// The script is the text of the script editor and nothing else: these operations
// work on the editor's document at the moment of the call. Generated lines are not
// undoable; they empty the editor's undo history, since undo steps recorded before
// them no longer fit the text. Each call costs the same whatever the script's size.
class ScriptBuffer
{
public:
    explicit ScriptBuffer(QPlainTextEdit *editor) : editor_(editor) {}

    // Adds `line` as a new line at the end, wherever the caret stands.
    void AppendLine(const QString &line);

    // The whole last line, however long (an extended line must never lose text).
    QString LastLine() const;

    // Puts `line` in place of the last line; an empty script becomes `line`.
    void ReplaceLastLine(const QString &line);

    void Clear();

    // Puts `text` (lines joined by "\n") in place of the whole script, caret at the
    // start, as an opened script that has no changes yet.
    void Replace(const QString &text);

    // Whether the script holds text changed since it was last emptied, replaced or
    // saved: text the user would lose without a word.
    bool HoldsUnsavedChanges() const;
    void MarkSaved();

private:
    template <typename Edit> void writeGenerated(Edit edit);

    QPlainTextEdit *editor_;
};
