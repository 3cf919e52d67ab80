#pragma once

class QComboBox;

// Inline completion for an editable drop-down box: each typed character looks for
// the first entry, in list order and without regard to case, that begins with the
// text before the highlighted part plus that character; the typed letters keep their
// case and the rest of the entry is shown highlighted. Backspace never completes,
// and leaving the box or pressing Enter keeps the text exactly as shown.
void enableInlineCompletion(QComboBox *box);

// Typing in a list-only drop-down box selects the first entry that begins with the
// characters typed less than 500 ms apart, without regard to case.
void enableTypeToSelect(QComboBox *box);
