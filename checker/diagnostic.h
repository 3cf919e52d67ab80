#pragma once

#include <QString>
#include <QVector>

enum class Rule : quint8;

// One problem found in a script. Lines and columns count from 0 here, the column
// in UTF-16 code units; the command-line report counts both from 1 and the
// column in characters.
struct Diagnostic
{
    enum class Severity
    {
        Warning,
        Error
    };

    int line = 0;
    int column = 0;
    int length = 1; // code units underlined, at least 1
    Severity severity = Severity::Error;
    Rule rule{};
    QString code; // "TW104"
    QString message;

    friend bool operator==(const Diagnostic &a, const Diagnostic &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.severity == b.severity &&
               a.rule == b.rule && a.message == b.message;
    }
    friend bool operator!=(const Diagnostic &a, const Diagnostic &b) { return !(a == b); }
};

using Diagnostics = QVector<Diagnostic>;
