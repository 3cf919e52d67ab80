#pragma once

#include "checker/diagnostic.h"

#include <QString>
#include <QStringView>
#include <QVector>

// What one line of a script is, read on its own. Columns are indices into the
// line's text.
enum class LineKind : quint8
{
    Blank,       // empty, white space or a comment only
    Header,      // an NPC or shop header: map.tsg,x,y,facing<TAB>script|shop<TAB>...
    OtherHeader, // a header of a kind the buttons do not write; left unchecked
    CloseBrace,
    LabelDefinition,
    Statement,    // a command word and its arguments
    Continuation, // more choices of a menu begun on an earlier line
    Unreadable,
};

struct LabelUse
{
    QString label;
    int column = 0;
    int length = 0;
    friend bool operator==(const LabelUse &a, const LabelUse &b)
    {
        return a.label == b.label && a.column == b.column && a.length == b.length;
    }
};

// What the rules that look past one line need to know about it. Two lines with
// equal facts give the same diagnostics to every other line of the script.
struct LineFacts
{
    LineKind kind = LineKind::Blank;
    bool opensBlock = false;    // a header ending in "{"
    bool menu = false;          // a menu statement, which a later line may continue
    bool endsStatement = false; // the code ends with ";"
    int anchorColumn = 0;       // where a diagnostic about the whole line goes:
    int anchorLength = 0;       //   the command word, the label, the brace
    int endColumn = 0;          // the last character of a menu or its choices
    QString label;              // the label a label line defines
    QVector<LabelUse> jumps;    // the labels a menu or goto jumps to

    friend bool operator==(const LineFacts &a, const LineFacts &b)
    {
        return a.kind == b.kind && a.opensBlock == b.opensBlock && a.menu == b.menu &&
               a.endsStatement == b.endsStatement && a.anchorColumn == b.anchorColumn &&
               a.anchorLength == b.anchorLength && a.endColumn == b.endColumn && a.label == b.label &&
               a.jumps == b.jumps;
    }
    friend bool operator!=(const LineFacts &a, const LineFacts &b) { return !(a == b); }
};

// Pieces of a line that the editor colours.
struct Token
{
    enum class Kind : quint8
    {
        Command,
        String,
        Label,
        Number,
        Brace,
        Comment
    };
    int column = 0;
    int length = 0;
    Kind kind = Kind::Command;
};

struct LineAnalysis
{
    LineFacts facts;
    Diagnostics diagnostics; // found in this line alone; their line number is 0
    QVector<Token> tokens;   // in column order
};

// Labels longer than this many bytes in the code page do not fit the server's buffer.
constexpr int kLongestLabelBytes = 23;

LineAnalysis analyseLine(QStringView text);
