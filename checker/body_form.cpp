#include "checker/body_form.h"

#include "checker/body_nodes.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/script_check.h"

#include <QScopeGuard>

#include <optional>

namespace BodyForm {

namespace {

using Kind = FlowStep::Kind;
using Op = Instruction::Op;

// Where break and continue of the innermost loop or switch go.
struct Loop
{
    bool isSwitch = false;
    QVector<int> breaks;
    QVector<int> continues;
};

// Errors that make the server refuse the statement. Others wait for the run: a
// jump to a missing label breaks only when it is taken, a character the save
// cannot hold still shows.
bool refusedByServer(Rule rule)
{
    switch (rule) {
    case Rule::OpenString:
    case Rule::MissingSemicolon:
    case Rule::UnknownCommand:
    case Rule::UnexpectedToken:
    case Rule::MissingParenthesis:
    case Rule::MissingBracket:
    case Rule::OpenComment:
    case Rule::TooDeep:
    case Rule::UndeclaredFunctionCall:
    case Rule::MenuPairs:
    case Rule::StrayCloseBrace:
        return true;
    default:
        return false;
    }
}

// Lowers a body's statements, each to one instruction of its own, with the jumps
// that blocks, loops and switches need between them. Given the check the
// statements came from, it also turns their expressions into nodes and each
// statement the server refuses into a stop; without it, it gives the structure alone.
class Lowering
{
public:
    Lowering(const ScriptCheck *check, Body &body, const std::vector<Statement> &statements)
        : check_(check), body_(body), s_(statements)
    {
        if (check)
            nodes_.emplace(*check, body);
    }

    // Lowers every statement; the body ends at `lastLine` when its "}" is missing.
    void run(int lastLine)
    {
        while (!atEnd() && !ended_)
            statement();
        if (!ended_)
            add(Op::BodyEnd, lastLine);
    }

private:
    bool atEnd() const { return pos_ >= s_.size(); }
    Kind kindAt(size_t at) const { return at < s_.size() ? s_[at].step->kind : Kind::BodyEnd; }
    int lineHere() const { return atEnd() ? (s_.empty() ? body_.definitionLine : s_.back().line) : s_[pos_].line; }
    int here() const { return int(body_.code.size()); }
    int add(Op op, int line)
    {
        Instruction &instruction = body_.code.emplaceBack();
        instruction.op = op;
        instruction.line = line;
        return here() - 1;
    }
    int add(Op op, int line, QString word, QVector<int> arguments)
    {
        const int at = add(op, line);
        if (check_) { // the structure alone names no command and holds no argument
            Instruction &instruction = body_.code.data()[at];
            instruction.word = std::move(word);
            instruction.arguments = std::move(arguments);
        }
        return at;
    }
    // One argument, where arguments are kept.
    QVector<int> one(int node) const { return check_ ? QVector<int>{node} : QVector<int>(); }
    // The instruction statement number `index` stands for.
    int own(size_t index, Op op)
    {
        const int at = add(op, s_[index].line);
        body_.code.data()[at].statement = int(index);
        return at;
    }
    int own(size_t index, Op op, QString word, QVector<int> arguments)
    {
        const int at = add(op, s_[index].line, std::move(word), std::move(arguments));
        body_.code.data()[at].statement = int(index);
        return at;
    }
    void patch(int at, int target)
    {
        if (at >= 0 && at < body_.code.size())
            body_.code.data()[at].target = target;
    }
    void stop(size_t index, const QString &message)
    {
        // A statement the parser gave up on may carry its mistake twice.
        if (!body_.code.isEmpty() && body_.code.last().op == Op::Stop && body_.code.last().message == message) {
            own(index, Op::Nop);
            return;
        }
        body_.code[own(index, Op::Stop)].message = message;
    }

    void statement();
    void simple(size_t index);
    bool stopped(size_t index);
    QString refusal(const Statement &s) const;
    void block();
    void conditional();
    void whileLoop();
    void forLoop();
    void forPart(const Statement &s, int index);
    void doLoop();
    void switchStatement();
    void loopExit(size_t index, bool isBreak);
    void functionDefinition();

    // Nodes are made only where texts are wanted.
    QVector<int> roots(const Statement &s) { return nodes_ ? nodes_->roots(s) : QVector<int>(); }
    int root(const Statement &s, int index) { return nodes_ ? nodes_->root(s, index) : -1; }

    const ScriptCheck *check_;
    Body &body_;
    std::optional<NodeReader> nodes_;
    const std::vector<Statement> &s_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool ended_ = false;
    QVector<Loop> loops_;
};

void Lowering::statement()
{
    if (++depth_ > kDeepestNesting) { // the rest is left unlowered: no statement runs past the stop
        body_.code[add(Op::Stop, lineHere())].message =
            QStringLiteral("%1 行目: 入れ子が深すぎます").arg(lineHere() + 1);
        pos_ = s_.size();
        ended_ = true;
        return;
    }
    const auto leave = qScopeGuard([this] { --depth_; });
    switch (kindAt(pos_)) {
    case Kind::BlockOpen:
        return block();
    case Kind::If:
        return conditional();
    case Kind::While:
        return whileLoop();
    case Kind::For:
        return forLoop();
    case Kind::Do:
        return doLoop();
    case Kind::Switch:
        return switchStatement();
    case Kind::FunctionDefinition:
        return functionDefinition();
    default:
        break;
    }
    simple(pos_++);
}

// A statement that neither guards nor holds others.
void Lowering::simple(size_t index)
{
    const Statement &s = s_[index];
    const FlowStep &step = *s.step;
    if (step.kind == Kind::Broken) {
        if (!stopped(index))
            own(index, Op::Nop);
        return;
    }
    if (stopped(index))
        return;
    switch (step.kind) {
    case Kind::Label:
        if (check_ && !body_.labels.contains(step.text))
            body_.labels.insert(step.text, here());
        own(index, Op::Nop);
        return;
    case Kind::Command:
        if (step.word == FlowStep::Word::Goto)
            own(index, Op::Goto, step.labels.value(0), {});
        else if (step.word == FlowStep::Word::End)
            own(index, Op::End);
        else
            own(index, Op::Command, step.text, roots(s));
        return;
    case Kind::Call:
        own(index, Op::CallOwn, check_ ? step.text.toLower() : QString(), roots(s));
        return;
    case Kind::Other:
        own(index, Op::Expression, {}, roots(s));
        return;
    case Kind::Return:
        own(index, Op::Return, {}, roots(s));
        return;
    case Kind::Break:
    case Kind::Continue:
        return loopExit(index, step.kind == Kind::Break);
    case Kind::FunctionDeclaration:
        if (check_)
            body_.declared.insert(step.text.toLower());
        own(index, Op::Nop);
        return;
    case Kind::BodyEnd:
        own(index, Op::BodyEnd);
        ended_ = true;
        return;
    default: // ";", a stray "}" or else, a case outside a switch: what follows runs as it stands
        own(index, Op::Nop);
        return;
    }
}

// Makes the statement a stop when the server refuses it; says whether it did.
bool Lowering::stopped(size_t index)
{
    const QString message = check_ ? refusal(s_[index]) : QString();
    if (message.isEmpty())
        return false;
    stop(index, message);
    return true;
}

// The checker's first error that the server refuses, from where the statement
// begins to where its last expression ends.
QString Lowering::refusal(const Statement &s) const
{
    const FlowStep &step = *s.step;
    Expression::Place end{0, step.column + std::max(step.length, 1)};
    for (const Expression &e : step.expressions) {
        if (e.end.line > end.line || (e.end.line == end.line && e.end.column > end.column))
            end = e.end;
    }
    for (int line = s.line; line <= s.line + end.line; ++line) {
        for (const Diagnostic &d : check_->diagnostics(line)) {
            if (d.severity != Diagnostic::Severity::Error || !refusedByServer(d.rule))
                continue;
            if ((line == s.line && d.column < step.column) || (line == s.line + end.line && d.column >= end.column))
                continue;
            return QStringLiteral("%1 行目: %2").arg(line + 1).arg(d.message);
        }
    }
    return {};
}

void Lowering::block()
{
    own(pos_++, Op::Nop);
    while (!atEnd() && !ended_ && kindAt(pos_) != Kind::BlockClose)
        statement();
    if (!atEnd() && kindAt(pos_) == Kind::BlockClose)
        own(pos_++, Op::Nop);
}

void Lowering::conditional()
{
    const size_t index = pos_++;
    if (stopped(index))
        return;
    const int skip = own(index, Op::JumpUnless, {}, one(root(s_[index], 0)));
    if (!atEnd())
        statement();
    if (kindAt(pos_) != Kind::Else || atEnd()) {
        patch(skip, here());
        return;
    }
    const int over = add(Op::Jump, s_[pos_].line);
    patch(skip, here());
    own(pos_++, Op::Nop);
    if (!atEnd())
        statement();
    patch(over, here());
}

void Lowering::whileLoop()
{
    const size_t index = pos_++;
    if (stopped(index))
        return;
    const int top = own(index, Op::JumpUnless, {}, one(root(s_[index], 0)));
    loops_.append(Loop());
    if (!atEnd())
        statement();
    patch(add(Op::Jump, s_[index].line), top);
    const Loop loop = loops_.takeLast();
    for (const int at : loop.continues)
        patch(at, top);
    for (const int at : loop.breaks + QVector<int>{top})
        patch(at, here());
}

// "for (init; condition; step)": the condition is the loop's own instruction; a
// loop without one leaves only by break.
void Lowering::forLoop()
{
    const size_t index = pos_++;
    const Statement &s = s_[index];
    if (stopped(index))
        return;
    forPart(s, 0);
    const Expression *given = part(*s.step, 1);
    const bool tested = given && given->kind != Expression::Kind::None;
    const int top = tested ? own(index, Op::JumpUnless, {}, one(root(s, 1))) : own(index, Op::Nop);
    loops_.append(Loop());
    if (!atEnd())
        statement();
    const int stepAt = here();
    forPart(s, 2);
    patch(add(Op::Jump, s.line), top);
    const Loop loop = loops_.takeLast();
    for (const int at : loop.continues)
        patch(at, stepAt);
    for (const int at : loop.breaks)
        patch(at, here());
    if (tested)
        patch(top, here());
}

// The first or last part of a for's head: a command, an expression, or nothing.
void Lowering::forPart(const Statement &s, int index)
{
    const Expression *given = part(*s.step, index);
    if (!check_ || !given || given->kind == Expression::Kind::None)
        return;
    const Expression &e = *given;
    const int local = int(given - s.step->expressions.data());
    if (e.kind != Expression::Kind::Command) {
        add(Op::Expression, s.line, {}, one(nodes_->convert(s, local)));
        return;
    }
    QVector<int> arguments;
    for (int operand = e.first; operand >= 0; operand = s.step->expressions[size_t(operand)].next)
        arguments.append(nodes_->convert(s, operand));
    add(Op::Command, s.line + e.token.line, nodes_->tokenText(s, e).toLower(), arguments);
}

// "do statement while (condition);"
void Lowering::doLoop()
{
    own(pos_++, Op::Nop);
    const int top = here();
    loops_.append(Loop());
    if (!atEnd())
        statement();
    const int conditionAt = here();
    if (kindAt(pos_) != Kind::While || atEnd()) {
        const Loop loop = loops_.takeLast();
        if (check_) {
            body_.code[add(Op::Stop, lineHere())].message =
                QStringLiteral("%1 行目: do の後に while がありません").arg(lineHere() + 1);
        }
        for (const int at : loop.breaks + loop.continues)
            patch(at, check_ ? here() - 1 : here());
        return;
    }
    const size_t index = pos_++;
    if (!stopped(index))
        patch(own(index, Op::JumpIf, {}, one(root(s_[index], 0))), top);
    if (kindAt(pos_) == Kind::Empty && !atEnd())
        own(pos_++, Op::Nop);
    const Loop loop = loops_.takeLast();
    for (const int at : loop.continues)
        patch(at, conditionAt);
    for (const int at : loop.breaks)
        patch(at, here());
}

// "switch (value) { case ...: ... }": the head stores the value, and the "{" chooses
// the case. The server compiles a switch as straight-line code: the value is stored
// first, then the statements before its first case run, each time it is reached,
// and only then is the stored value compared with the cases.
void Lowering::switchStatement()
{
    const size_t head = pos_++;
    if (stopped(head))
        return;
    own(head, Op::SwitchValue, {}, one(root(s_[head], 0)));
    if (kindAt(pos_) != Kind::BlockOpen || atEnd()) {
        if (check_)
            body_.code[add(Op::Stop, s_[head].line)].message =
                QStringLiteral("%1 行目: switch の後に「{」がありません").arg(s_[head].line + 1);
        return;
    }
    loops_.append(Loop{true, {}, {}});
    const size_t open = pos_++;
    const auto beforeCases = [this] {
        const Kind kind = kindAt(pos_);
        return !atEnd() && !ended_ && kind != Kind::Case && kind != Kind::Default && kind != Kind::BlockClose;
    };
    int choose = -1;
    if (beforeCases()) {
        own(open, Op::Nop);
        while (beforeCases())
            statement();
        choose = add(Op::Switch, s_[open].line);
    } else {
        choose = own(open, Op::Switch);
    }
    body_.code.data()[choose].subject = int(head);
    int fallback = -1;
    while (!atEnd() && !ended_ && kindAt(pos_) != Kind::BlockClose) {
        const size_t index = pos_;
        if (kindAt(index) == Kind::Case) {
            ++pos_;
            if (!stopped(index)) {
                body_.code.data()[choose].cases.append({root(s_[index], 0), here()});
                own(index, Op::Nop);
            }
        } else if (kindAt(index) == Kind::Default) {
            ++pos_;
            fallback = own(index, Op::Nop);
        } else {
            statement();
        }
    }
    const int end = here();
    if (!atEnd() && kindAt(pos_) == Kind::BlockClose)
        own(pos_++, Op::Nop);
    patch(choose, fallback >= 0 ? fallback : end);
    const Loop loop = loops_.takeLast();
    for (const int exit : loop.breaks)
        patch(exit, end);
    if (loop.continues.isEmpty())
        return;
    // A continue in a switch belongs to the loop around it.
    for (qsizetype i = loops_.size() - 1; i >= 0; --i) {
        if (!loops_.at(i).isSwitch) {
            loops_[i].continues += loop.continues;
            return;
        }
    }
}

void Lowering::loopExit(size_t index, bool isBreak)
{
    for (qsizetype i = loops_.size() - 1; i >= 0; --i) {
        if (!isBreak && loops_.at(i).isSwitch)
            continue;
        (isBreak ? loops_[i].breaks : loops_[i].continues).append(own(index, Op::Jump));
        return;
    }
    if (!check_) {
        own(index, Op::Nop);
        return;
    }
    const int line = s_[index].line;
    stop(index, QStringLiteral("%1 行目: %2 が繰り返しの外にあります")
                    .arg(line + 1)
                    .arg(isBreak ? QStringLiteral("break") : QStringLiteral("continue")));
}

// "function Name { ... }": running through the body steps over it.
void Lowering::functionDefinition()
{
    const size_t index = pos_++;
    const Statement &s = s_[index];
    if (stopped(index))
        return;
    const int over = own(index, Op::Jump);
    // The flow graph names its own labels; the run looks functions up here.
    if (check_) {
        const QString lower = s.step->text.toLower();
        if (!body_.functions.contains(lower))
            body_.functions.insert(lower, here());
        if (!body_.labels.contains(s.step->text))
            body_.labels.insert(s.step->text, here());
    }
    if (kindAt(pos_) == Kind::BlockOpen && !atEnd()) {
        const size_t first = pos_;
        block();
        body_.functionStatements.append({int(first), int(pos_) - 1});
    }
    add(Op::Return, pos_ > 0 ? s_[pos_ - 1].line : s.line);
    patch(over, here());
}

} // namespace

int Body::labelIndex(const QString &label) const
{
    const QString found = Language::reachedLabel(label, [this](const QString &s) { return labels.contains(s); });
    return found.isEmpty() ? -1 : labels.value(found);
}

std::shared_ptr<const Body> read(const ScriptCheck &check, int definitionLine)
{
    auto body = std::make_shared<Body>();
    body->definitionLine = definitionLine;
    const DefinitionLine::Definition *definition = check.definitionOn(definitionLine);
    if (definition)
        body->name = definition->name;
    const auto [first, last] = check.bodyAround(definitionLine);
    std::vector<Statement> statements;
    if (first == definitionLine && definition) {
        for (int line = first; line <= last; ++line) {
            for (const FlowStep &step : check.stepsOn(line)) {
                if (step.isStatement())
                    statements.push_back({line, &step});
            }
        }
    }
    Lowering(&check, *body, statements).run(last < 0 ? definitionLine : last);
    return body;
}

void lower(const std::vector<Statement> &statements, Body &into)
{
    into.code.clear();
    into.functionStatements.clear();
    into.code.reserve(qsizetype(statements.size()) * 3 / 2 + 8);
    Lowering(nullptr, into, statements).run(statements.empty() ? 0 : statements.back().line);
}

} // namespace BodyForm
