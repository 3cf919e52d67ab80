#include "main_window/drop_down_typing.h"

#include "main_window/line_edit_state.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr int kTypeAheadMs = 500;

// Text a key press types, or empty for keys that edit or move instead.
QString typedText(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    for (const QChar c : text) {
        if (!c.isPrint() && !c.isSurrogate())
            return {};
    }
    return text;
}

class InlineCompletion : public QObject
{
public:
    explicit InlineCompletion(QComboBox *box) : QObject(box), box_(box)
    {
        // The box's own completer re-cases the text to the entry's when the focus
        // leaves or Enter is pressed; ours only searches.
        box->setCompleter(nullptr);
        // Typed keys reach the box, which hands them to its field without passing
        // event filters; keys sent to the field itself come through the field.
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Backspace)
                selectEntry(-1); // what is left is the user's own text, no entry
            return complete(typedText(key));
        }
        if (event->type() == QEvent::InputMethod) {
            // Japanese typed through an input method arrives as committed text.
            const auto *input = static_cast<QInputMethodEvent *>(event);
            if (input->preeditString().isEmpty() && input->replacementLength() == 0 && matches(input->commitString())) {
                QInputMethodEvent endComposing; // the field drops the text being composed
                QCoreApplication::sendEvent(box_->lineEdit(), &endComposing);
                return complete(input->commitString());
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The text to look up: what stands before the highlighted rest, and the new characters.
    QString searchText(const QString &typed) const
    {
        const QLineEdit *edit = box_->lineEdit();
        return (edit->hasSelectedText() ? edit->text().left(edit->selectionStart()) : edit->text()) + typed;
    }

    bool matches(const QString &typed)
    {
        if (typed.isEmpty())
            return false;
        matcher().setCompletionPrefix(searchText(typed));
        return matcher().completionCount() > 0;
    }

    // The list's selected entry, which an opened list shows highlighted. Selecting
    // through the box would also put the entry's text, in its own case, into the field.
    void selectEntry(int row)
    {
        if (box_->currentIndex() == row)
            return;
        QLineEdit *edit = box_->lineEdit();
        const LineEditState seen = LineEditState::of(*edit);
        box_->setCurrentIndex(row);
        seen.restore(*edit);
    }

    // Made on the first key, not at start-up, for a window with eight such boxes.
    QCompleter &matcher()
    {
        if (!matcher_) {
            matcher_ = new QCompleter(box_->model(), this);
            matcher_->setCaseSensitivity(Qt::CaseInsensitive);
            matcher_->setModelSorting(QCompleter::UnsortedModel);
            matcher_->setCompletionMode(QCompleter::InlineCompletion);
        }
        return *matcher_;
    }

    // Completes the field as if `typed` had been typed; false when nothing begins
    // so, and the text is then typed as usual.
    bool complete(const QString &typed)
    {
        if (!matches(typed))
            return false;
        QLineEdit *edit = box_->lineEdit();
        const QString search = searchText(typed);
        const QString rest = matcher().currentCompletion().mid(search.size());
        // The completer counts in its filtered list; the box in its own.
        const auto *filtered = qobject_cast<QAbstractProxyModel *>(matcher().completionModel());
        selectEntry(filtered ? filtered->mapToSource(matcher().currentIndex()).row() : -1);
        edit->setText(search + rest);
        if (rest.isEmpty())
            edit->setCursorPosition(search.size());
        else
            edit->setSelection(search.size(), rest.size());
        return true;
    }

    QComboBox *box_;
    QCompleter *matcher_ = nullptr;
};

class TypeToSelect : public QObject
{
public:
    explicit TypeToSelect(QComboBox *box) : QObject(box), box_(box)
    {
        // Also the interval the opened list uses for its own search.
        QApplication::setKeyboardInputInterval(kTypeAheadMs);
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        // The box would take Ctrl+Tab's tab for a search; let it reach the tab control.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier)) {
            key->ignore();
            return true;
        }
        const QString typed = typedText(key);
        if (typed.isEmpty())
            return false;
        const bool newSearch = !sinceLastKey_.isValid() || sinceLastKey_.elapsed() >= kTypeAheadMs;
        // A blank that starts a search opens the list, as it always does.
        if (newSearch && typed == QStringLiteral(" "))
            return false;
        search_ = newSearch ? typed : search_ + typed;
        sinceLastKey_.start();
        const int found = box_->findText(search_, Qt::MatchStartsWith);
        if (found >= 0)
            box_->setCurrentIndex(found);
        return true;
    }

private:
    QComboBox *box_;
    QString search_;
    QElapsedTimer sinceLastKey_;
};

} // namespace

void enableInlineCompletion(QComboBox *box)
{
    new InlineCompletion(box);
}

void enableTypeToSelect(QComboBox *box)
{
    new TypeToSelect(box);
}
