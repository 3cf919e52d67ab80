#pragma once

#include "conversation/run.h"

// The inside of a run: the state a statement may change, and the engine that
// carries out one statement on it. A statement that must wait throws; the run
// keeps the state from before the statement and carries it out again, from the
// start, once the answer is in, so that a wait may come anywhere, even inside a
// function called from an expression.
namespace Conversation {

struct Run::Frame
{
    std::shared_ptr<const Body> body;
    int pc = 0;
    int lineOffset = 0;
    QString file;
    QVector<Value> arguments;
    QHash<QString, Value> locals; // ".@" variables, when the frame has a scope of its own
    QHash<int, Value> switchValues; // what each switch's head stored, by the head's statement
    bool ownScope = true;         // callsub shares its caller's
    bool calledFunction = false;  // callfunc or a function of the body: "}" returns
    bool inExpression = false;    // its return value goes to an expression
};

struct Run::State
{
    QVector<Frame> frames;
    QHash<QString, Value> variables; // "@", "$@" and every permanent one the run set
    bool windowOpen = false;
    bool pageDone = true; // the next message starts a page
    int steps = 0;
};

struct Run::Mark
{
    qsizetype pages = 0;
    qsizetype lines = 0;
    Button button = Button::None;
    qsizetype path = 0;
    qsizetype effects = 0;
};

// Thrown to wait for the player or the user.
struct Waiting
{
    Wait wait;
    QString key; // a question's key in the answers of the run
};
// Thrown when the run has ended; the transcript says how.
struct Finished
{
};
// Thrown inside a condition when a value depends on the world: the whole
// condition is asked instead.
struct NeedWorld
{
};

class Run::Engine
{
public:
    explicit Engine(Run &run) : run_(run), s_(*run.state_), t_(run.transcript_) {}

    // Carries out the statement the top frame stands at.
    void step();

private:
    friend class Run;
    const Instruction &current(int *frame) const;
    void command(const Instruction &in);
    void conversationCommand(const Instruction &in);
    bool controlCommand(const Instruction &in);
    void effect(const Instruction &in);
    void returnFrom(const Instruction &in);
    void jumpTo(const QString &label, int line);
    void callFunction(const QString &name, const QVector<Value> &arguments, bool inExpression, int line);
    void callOwn(const QString &lowerName, const QVector<Value> &arguments, bool inExpression, int line);
    void enter(Frame frame, const QVector<Value> &arguments, bool ownScope, bool calledFunction, bool inExpression);
    Value runNested(int base);
    void message(const QString &text, int line);
    void button(Button button, int line);
    int choose(const QStringList &choices, int line);
    void input(int target, int line);
    void setCommand(const Instruction &in);
    void setArray(const Instruction &in);
    Answer takeAnswer(const Wait &wait);
    [[noreturn]] void finish(Ending ending, int line, const QString &message = {});
    [[noreturn]] void stop(int line, const QString &message) { finish(Ending::Stopped, line, message); }
    Place placeOf(int line) const;
    void addStep(Step::Kind kind, const QString &text, int line);

    // expressions
    const Node &node(int index) const;
    Value evaluate(int index);
    bool condition(int index);
    QString describe(int index);
    QVector<Value> values(const QVector<int> &nodes, int from = 0);
    Value call(const Node &n);
    Value binary(const QString &op, const Value &l, const Value &r, int line);
    Value assign(const Node &n);
    Value increment(const Node &n);
    Value read(const Node &target);
    void store(const Node &target, const Value &value);
    QString variableName(const Node &target);
    QHash<QString, Value> &scopeOf(const QString &name);
    Value ask(const Node &n);
    bool resultRange(const Node &n, qint64 *low, qint64 *high);
    Value textLimited(const QString &text, int line);

    Run &run_;
    State &s_;
    Transcript &t_;
    int conditionFrames_ = -1; // the frame count while a condition is read; -1 outside
    int nesting_ = 0;          // functions called from expressions, one inside the other
    Value returned_;
};

} // namespace Conversation
