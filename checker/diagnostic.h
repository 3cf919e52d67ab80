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

    // A step of the path a flow finding was found on that the player or the world
    // decides, in the order the path meets them, so that the preview can take the
    // same path: where it starts, a menu's or select's choice, a condition's
    // outcome, the value a command's result must be.
    struct Decision
    {
        enum class Kind : quint8
        {
            Start,  // the path's first statement: the body's top, an event label
            Choice, // value: the number chosen, from 1
            Holds,  // the condition on the line held
            Fails,  // it did not
            Value,  // value: what the command on the line gave (rand, a select stored)
        };
        Kind kind = Kind::Start;
        int line = 0;
        qint64 value = 0;
        friend bool operator==(const Decision &a, const Decision &b)
        {
            return a.kind == b.kind && a.line == b.line && a.value == b.value;
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
    QVector<Decision> path; // flow findings only; empty where no path is known

    friend bool operator==(const Diagnostic &a, const Diagnostic &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.severity == b.severity &&
               a.rule == b.rule && a.message == b.message && a.fixes == b.fixes && a.related == b.related &&
               a.path == b.path;
    }
    friend bool operator!=(const Diagnostic &a, const Diagnostic &b) { return !(a == b); }
};

// Their members move as their bytes do: lists of them grow by moving memory.
Q_DECLARE_TYPEINFO(Diagnostic::Edit, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic::Fix, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic::Related, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic::Decision, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(Diagnostic, Q_RELOCATABLE_TYPE);

using Diagnostics = QVector<Diagnostic>;
