#include "main_window/script_editor.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {
bool holdsSeparator(const QString &text)
{
    return text.contains(QChar::LineSeparator) || text.contains(QChar::ParagraphSeparator);
}

bool carriesFiles(const QMimeData &source)
{
    const QList<QUrl> urls = source.urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); });
}
} // namespace

ScriptEditor::ScriptEditor(QWidget *parent) : QPlainTextEdit(parent) {}

QString ScriptEditor::withLineBreaks(QString text)
{
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void ScriptEditor::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers breakModifiers = Qt::ShiftModifier | Qt::ControlModifier;
    if (enter && (event->modifiers() & breakModifiers) &&
        !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
        // Shift+Enter and Ctrl+Enter break the line as Enter does.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~breakModifiers, event->text(),
                        event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    if (holdsSeparator(event->text())) {
        insertPlainText(withLineBreaks(event->text()));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ScriptEditor::inputMethodEvent(QInputMethodEvent *event)
{
    if (!holdsSeparator(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent broken(event->preeditString(), event->attributes());
    broken.setCommitString(withLineBreaks(event->commitString()), event->replacementStart(),
                           event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&broken);
    event->setAccepted(broken.isAccepted());
}

void ScriptEditor::insertFromMimeData(const QMimeData *source)
{
    // Pasted and dropped text alike: the editor takes only plain text anyway.
    if (!source->hasText() || !holdsSeparator(source->text())) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData plain;
    plain.setText(withLineBreaks(source->text()));
    QPlainTextEdit::insertFromMimeData(&plain);
}

QString ScriptEditor::scriptFileIn(const QMimeData &source)
{
    const QList<QUrl> urls = source.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return QString();
    const QString path = urls.front().toLocalFile();
    return path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) ? path : QString();
}

// A dragged script file is taken whole; other files are refused rather than have
// their addresses typed into the script. Dragged text goes in as before.
void ScriptEditor::dragEnterEvent(QDragEnterEvent *event)
{
    if (!carriesFiles(*event->mimeData()))
        QPlainTextEdit::dragEnterEvent(event);
    else if (!scriptFileIn(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ScriptEditor::dragMoveEvent(QDragMoveEvent *event)
{
    if (!carriesFiles(*event->mimeData()))
        QPlainTextEdit::dragMoveEvent(event);
    else if (!scriptFileIn(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ScriptEditor::dropEvent(QDropEvent *event)
{
    if (!carriesFiles(*event->mimeData())) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    const QString path = scriptFileIn(*event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit scriptFileDropped(path);
}
