#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class ScriptCheck;
struct FlowStep;

// One body as a flat list of instructions, lowered from the statements and the
// expression trees the checker's parser keeps on each line: blocks, loops and
// switches become jumps, texts are read from the lines. This is the form the
// conversation preview runs. A statement the server would refuse (an error of the
// checker's there) becomes a stop carrying the checker's message.
namespace BodyForm {

struct Node
{
    enum class Kind : quint8
    {
        Number,
        Text,
        Variable,  // text: the name
        Element,   // text: the array's name; operands: the index
        Call,      // text: the function; operands: the arguments
        Unary,     // text: - + ! ~
        Binary,    // text: the operator
        Assign,    // text: = += -= ...; operands: target, value
        Ternary,   // operands: condition, then, else
        Increment, // text: ++ or --; prefix says where it stands
        Label,     // a label argument (menu, callsub); text "-" goes on
    };
    Kind kind = Kind::Number;
    bool prefix = false;
    qint64 number = 0;
    QString text;
    QVector<int> operands;
    int line = 0;
    QString source; // as written, for the questions the run asks
};

struct Instruction
{
    enum class Op : quint8
    {
        Command,    // word: the command in lower case; arguments
        Expression, // arguments[0]: an assignment, "++", a call
        CallOwn,    // word: a function of the body, in lower case
        Jump,       // to target
        JumpUnless, // arguments[0] false: to target
        JumpIf,     // arguments[0] true: to target
        SwitchValue, // a switch's head: stores arguments[0], what its cases are compared with
        Switch,      // compares what its head (subject) stored; cases: value node and target; target: default or end
        Goto,       // word: the label as written
        Return,     // arguments: the value, if any
        End,        // "end"
        BodyEnd,    // the body's "}", or the end of what could be read
        Stop,       // message
        Nop,        // a statement that does nothing when run: a label, a brace, a case
    };
    Op op = Op::Command;
    QString word;
    QVector<int> arguments;
    QVector<QPair<int, int>> cases;
    int target = -1;
    int line = 0;
    QString message;
    // The statement it stands for, counted among the body's statements (the flow
    // graph's nodes); -1 for the jumps that blocks and loops are lowered to. Each
    // statement stands for exactly one instruction.
    int statement = -1;
    // Switch: the statement of its head ("switch (...)"), which names what it chooses on.
    int subject = -1;
};

struct Body
{
    QString name; // the NPC's or function's
    int definitionLine = 0;
    std::vector<Node> nodes;
    QVector<Instruction> code;
    QHash<QString, int> labels;    // as written -> instruction
    QHash<QString, int> functions; // lower case -> instruction where it begins
    QSet<QString> declared;        // "function Name;", lower case
    // The first and last statement of each function of the body ("{" to "}").
    QVector<QPair<int, int>> functionStatements;

    // Where `label` is, found as the server finds it; -1 when the body lacks it.
    int labelIndex(const QString &label) const;
};

} // namespace BodyForm

// Their members move as their bytes do: a body's lists grow by moving memory.
Q_DECLARE_TYPEINFO(BodyForm::Node, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(BodyForm::Instruction, Q_RELOCATABLE_TYPE);

namespace BodyForm {

// The body of the definition on `definitionLine` of `check`, lowered, with its
// expressions as nodes and a stop for each statement the server refuses.
std::shared_ptr<const Body> read(const ScriptCheck &check, int definitionLine);

// The statements of one body in order (each with its line within the body), lowered
// to instructions and jumps without their expressions, labels or functions: how the
// flow rules see it.
struct Statement
{
    int line = 0;
    const FlowStep *step = nullptr;
};
// `into` is cleared first and keeps its room, so that judging body after body
// allocates little.
void lower(const std::vector<Statement> &statements, Body &into);

// Nesting of blocks deeper than this stops the lowering with a stop.
constexpr int kDeepestNesting = 200;

} // namespace BodyForm
