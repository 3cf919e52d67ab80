#pragma once

#include <QtGlobal>

// One node of an expression tree as the parser reads it, in the server's operator
// order. Nodes hold places, not texts: a statement's nodes live in its step, and
// whoever needs a name or a literal reads it from the line at the node's place, so
// that reading a script stays cheap. Operands and the roots of a statement are
// lists linked through `next`.
struct Expression
{
    enum class Kind : quint8
    {
        None,      // a part left out: "for (;;)"
        Number,    // the token: the literal
        Text,      // the token: the string with its quotes; operands: strings right after it, one text with it
        Variable,  // the token: the name
        Element,   // the token: the array's name; operand: the index
        Call,      // the token: the function; operands: the arguments
        Command,   // a command statement in a for's head; the token: the word; operands: the arguments
        Unary,     // the token: - + ! ~
        Binary,    // the token: the operator
        Assign,    // the token: = += -= ...; operands: target, value
        Ternary,   // operands: condition, then, else
        Increment, // the token: ++ or --; prefix says where it stands
        Label,     // a label argument (goto, menu, callsub); "-" goes on
    };
    struct Place
    {
        int line = 0; // lines after the line of the statement's step
        int column = 0;

        friend bool operator==(Place a, Place b) { return a.line == b.line && a.column == b.column; }
    };

    Kind kind = Kind::None;
    bool prefix = false;
    Place token;    // where the node's own token begins
    int length = 0; // of its token
    Place start;    // where the whole expression begins
    Place end;      // just after it ends
    int first = -1; // its first operand
    int next = -1;  // the next operand of its parent, or the statement's next root

    friend bool operator==(const Expression &a, const Expression &b)
    {
        return a.kind == b.kind && a.prefix == b.prefix && a.token == b.token && a.length == b.length &&
               a.start == b.start && a.end == b.end && a.first == b.first && a.next == b.next;
    }
};

Q_DECLARE_TYPEINFO(Expression, Q_PRIMITIVE_TYPE);
