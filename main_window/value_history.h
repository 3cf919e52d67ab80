#pragma once

class QComboBox;

// Adds the box's current text to the end of its list unless an entry already
// equals it, ignoring case. The box's text, caret and selection stay as they are.
// Raises a failure when the list is full.
void RememberEntry(QComboBox *box);
