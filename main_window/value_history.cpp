#include "main_window/value_history.h"

#include "common/failure.h"
#include "main_window/line_edit_state.h"

#include <QComboBox>
#include <QLineEdit>

void RememberEntry(QComboBox *box)
{
    QLineEdit *edit = box->lineEdit();
    const QString text = box->currentText();
    // Whole entries compared without case; an empty text matches an empty entry too.
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return;
    }
    if (box->count() >= box->maxCount())
        throw Failure(QStringLiteral("行を挿入できません"));

    const LineEditState seen = LineEditState::of(*edit);
    const int current = box->currentIndex();

    box->addItem(text);

    // The first entry of an empty list becomes the current one and replaces the
    // typed text; put back what the user sees.
    if (box->currentIndex() != current)
        box->setCurrentIndex(current);
    seen.restore(*edit);
}
