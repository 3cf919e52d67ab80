#pragma once

#include <QString>

// The text the error dialog shows for a failure's message: "." is appended when
// the message is not empty and its last character, taken as its code-page-932
// bytes, compares greater than "." (so letters, digits and Japanese get one,
// while ".", "!", ")" or a blank do not).
QString errorDialogText(const QString &message);
