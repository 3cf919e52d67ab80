#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The plain text files of a server's folder: lines with `//` comments, fields
// between tabs or spaces.
namespace TextLines {

struct Line
{
    int number = 0; // from 1
    QString text;   // without its comment and the spaces around it; never empty
};

// The lines that say something, as UTF-8 text.
QList<Line> contentLines(const QByteArray &bytes);

// The fields of a line split at tabs and spaces.
QStringList fields(const QString &text);

// A decimal or 0x-hexadecimal integer, with an optional sign.
std::optional<qint64> integer(const QString &text);

} // namespace TextLines
