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

    // A change to the diagnostic's own line that mends it for sure.
    struct Edit
    {
        int column = 0;
        int length = 0; // code units replaced; 0 inserts
        QString text;
        friend bool operator==(const Edit &a, const Edit &b)
        {
            return a.column == b.column && a.length == b.length && a.text == b.text;
        }
    };
    struct Fix
    {
        QString title; // "「warp」に直す"
        QVector<Edit> edits;
        friend bool operator==(const Fix &a, const Fix &b) { return a.title == b.title && a.edits == b.edits; }
    };
    // Another place that belongs to the same mistake: where the "{" that is never
    // closed opens, and where the next definition runs into its body.
    struct Related
    {
        int line = 0;
        int column = 0;
        int length = 1;
        QString message;
        friend bool operator==(const Related &a, const Related &b)
        {
            return a.line == b.line && a.column == b.column && a.length == b.length && a.message == b.message;
        }
    };

    int line = 0;
    int column = 0;
    int length = 1; // code units underlined, at least 1
    Severity severity = Severity::Error;
    Rule rule{};
    QString code; // "TW104"
    QString message;
    QVector<Fix> fixes;
    QVector<Related> related;

    friend bool operator==(const Diagnostic &a, const Diagnostic &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.severity == b.severity &&
               a.rule == b.rule && a.message == b.message && a.fixes == b.fixes && a.related == b.related;
    }
    friend bool operator!=(const Diagnostic &a, const Diagnostic &b) { return !(a == b); }
};

// Their members move as their bytes do: lists of them grow by moving memory.
Q_DECLARE_TYPEINFO(Diagnostic::Edit, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic::Fix, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic::Related, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic, Q_RELOCATABLE_TYPE);

using Diagnostics = QVector<Diagnostic>;
