#pragma once

#include <QLineEdit>
#include <QString>

// What the user sees in a line edit: its text, the caret and the selection. A
// combo box that changes its current entry rewrites them; this puts them back,
// the caret on the side of the selection where it was.
struct LineEditState
{
    QString text;
    int cursor = 0;
    int selectionStart = -1;
    int selectionLength = 0;

    static LineEditState of(const QLineEdit &edit)
    {
        return LineEditState{edit.text(), edit.cursorPosition(), edit.selectionStart(), edit.selectionLength()};
    }

    void restore(QLineEdit &edit) const
    {
        if (edit.text() != text)
            edit.setText(text);
        if (selectionLength <= 0) {
            edit.setCursorPosition(cursor);
            return;
        }
        const bool caretAtStart = cursor == selectionStart;
        edit.setSelection(caretAtStart ? selectionStart + selectionLength : selectionStart,
                          caretAtStart ? -selectionLength : selectionLength);
    }
};
