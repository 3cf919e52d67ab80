#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of the desktop: nothing, or "talewick --preview LINE
// FILE", which the VS Code extension runs to preview the conversation at a line.
struct StartArguments
{
    QString previewFile;
    int previewLine = 0; // from 1

    // The arguments after the program's name; nothing when they do not read.
    static std::optional<StartArguments> read(const QStringList &arguments);
};
