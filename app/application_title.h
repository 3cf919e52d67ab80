#pragma once

#include <QString>

// The program's title: the error dialog's caption and the application's name.
// The main window's caption is a different, longer text of its own.
inline QString applicationTitle()
{
    return QStringLiteral("Talewick (仮)");
}
