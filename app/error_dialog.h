#pragma once

#include <QString>

// Shows a failure's message modally for the whole program: the application title
// as caption, the error icon and one OK button. Returns when the user closes it.
void showErrorDialog(const QString &message);
