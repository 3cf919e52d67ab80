#pragma once

#include "checker/command_window.h"
#include "checker/expression.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

// One step of a body as the parser read it, in the order the server runs them:
// what the conversation's flow and the variable rules are built from. Each line
// keeps the steps that begin on it, so a body's steps are its lines' in order.
struct FlowStep
{
    enum class Kind : quint8
    {
        Label,   // text: the label
        Command, // text: the command word in lower case; labels: its label arguments ("-": go on)
        Call,    // a function of the body, or one no command has: text is its name
        If,      // guards the statement or block that follows
        Else,
        While,
        For,
        Do,
        Switch,
        Case, // number: its value when it is a plain number
        Default,
        Break,
        Continue,
        Return,
        Empty, // ";" where a head takes no statement
        Other, // an assignment or any other expression statement
        BlockOpen,
        BlockClose,
        BodyEnd,            // the "}" that ends the body
        FunctionDefinition, // text: the name; its block follows
        FunctionDeclaration,
        Broken,       // a statement the parser gave up on: the flow of this body is not judged
        VariableSet,  // text: a scope (.@name) or player (@name) variable given a value
        VariableRead, // text: a scope or player variable read
        TypeMismatch, // a literal of the other type stored in the variable text (number: 1 string into number)
    };
    // The commands the parser and the run read as syntax, named once when the step
    // is read; Other for any other command and every other step. What a command does
    // to the window is its window, from the command table.
    enum class Word : quint8
    {
        Other,
        Goto,
        Menu,
        End,
        Callsub,
        Callfunc,
        Input,
        Select,
        Prompt,
        Set,
        SetArray,
    };
    Kind kind = Kind::Other;
    Word word = Word::Other;
    int column = 0;
    int length = 0;
    QString text;
    QStringList labels;
    int number = 0;     // Case: its value; Command/Other/Switch: the choices a select() there offers, or 0
    bool waits = false; // a select(), prompt() or input the window waits on, inside the statement
    // The statement's expressions: a condition, a value, a command's or a call's
    // arguments in order (labels too), a for's three parts. `root` is the first,
    // the others follow through Expression::next.
    std::vector<Expression> expressions;
    int root = -1;
    Commands::Window window = Commands::Window::None; // Command: what its command does to the window

    // A statement of the body, not a note of a variable set or read inside one.
    bool isStatement() const
    {
        return kind != Kind::VariableSet && kind != Kind::VariableRead && kind != Kind::TypeMismatch;
    }

    friend bool operator==(const FlowStep &a, const FlowStep &b)
    {
        return a.kind == b.kind && a.word == b.word && a.column == b.column && a.length == b.length &&
               a.text == b.text && a.labels == b.labels && a.number == b.number && a.waits == b.waits &&
               a.window == b.window && a.root == b.root && a.expressions == b.expressions;
    }
    friend bool operator!=(const FlowStep &a, const FlowStep &b) { return !(a == b); }
};

// Its members move as their bytes do: a list of steps grows by moving memory.
Q_DECLARE_TYPEINFO(FlowStep, Q_RELOCATABLE_TYPE);

using FlowSteps = QVector<FlowStep>;
