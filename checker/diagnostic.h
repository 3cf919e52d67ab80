#pragma once

#include <QString>
#include <QVector>

// One problem found in a script. Lines and columns count from 0 here; the
// command-line report adds 1 to both, as editors expect.
struct Diagnostic
{
    enum class Severity
    {
        Warning,
        Error
    };

    int line = 0;
    int column = 0;
    int length = 1; // characters underlined, at least 1
    Severity severity = Severity::Error;
    QString message;

    friend bool operator==(const Diagnostic &a, const Diagnostic &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.severity == b.severity &&
               a.message == b.message;
    }
    friend bool operator!=(const Diagnostic &a, const Diagnostic &b) { return !(a == b); }
};

using Diagnostics = QVector<Diagnostic>;
