#include "main_window/script_buffer.h"

#include "main_window/line_model.h"

#include <QPlainTextEdit>
#include <QTextDocument>

template <typename Edit> void ScriptBuffer::writeGenerated(Edit edit)
{
    QTextDocument *document = editor_->document();
    // Switching undo off makes the document compact its whole text now and then;
    // clearing the stacks afterwards keeps every press as cheap as the last.
    const QTextCursor after = edit(*document);
    document->clearUndoRedoStacks();
    editor_->setTextCursor(after);
    editor_->ensureCursorVisible();
}

void ScriptBuffer::AppendLine(const QString &line)
{
    writeGenerated([&](QTextDocument &document) { return LineModel::appendLine(document, line); });
}

QString ScriptBuffer::LastLine() const
{
    return LineModel::lastLine(*editor_->document());
}

void ScriptBuffer::ReplaceLastLine(const QString &line)
{
    writeGenerated([&](QTextDocument &document) { return LineModel::replaceLastLine(document, line); });
}

void ScriptBuffer::Clear()
{
    editor_->clear();
    editor_->document()->setModified(false);
}

void ScriptBuffer::Replace(const QString &text)
{
    editor_->setPlainText(text);
    editor_->moveCursor(QTextCursor::Start);
    editor_->document()->setModified(false);
}

bool ScriptBuffer::HoldsUnsavedChanges() const
{
    const QTextDocument *document = editor_->document();
    return document->isModified() && !document->isEmpty();
}

void ScriptBuffer::MarkSaved()
{
    editor_->document()->setModified(false);
}
