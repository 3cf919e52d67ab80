#include "checker/variable_stores.h"

#include "checker/language.h"

#include <algorithm>

namespace VariableStores {

namespace {

using Kind = FlowStep::Kind;
using Word = FlowStep::Word;
using ExpressionKind = Expression::Kind;

// The text of node `e` of a step on line `line`, as written.
QStringView tokenOf(const Expression &e, int line, const FlowGraph::LineText &text)
{
    return text(line + e.token.line).mid(e.token.column, e.length);
}

bool isVariable(const Expression &e)
{
    return e.kind == ExpressionKind::Variable || e.kind == ExpressionKind::Element;
}

Place placeOf(const Expression &e, int line)
{
    return {line + e.token.line, e.token.column};
}

// The arguments of a call of a subroutine or function from `first` on, the one
// numbered 0 first: those in a position getarg sets are stores.
void argumentStores(const FlowStep &step, int first, int line, quint32 positions, QVector<Place> &into)
{
    int position = 0;
    for (int at = first; at >= 0 && position < 32; at = step.expressions[size_t(at)].next, ++position) {
        const Expression &argument = step.expressions[size_t(at)];
        if (isVariable(argument) && ((positions >> position) & 1u))
            into.append(placeOf(argument, line));
    }
}

// The argument after the first (the label or the function's name) of a callsub or callfunc.
int afterFirst(const FlowStep &step, int first)
{
    return first >= 0 ? step.expressions[size_t(first)].next : -1;
}

// Stores inside the expression trees of one statement.
void treeStores(const FlowStep &step, int line, const FlowGraph::LineText &text, quint32 positions,
                QVector<Place> &into)
{
    for (const Expression &e : step.expressions) {
        if ((e.kind == ExpressionKind::Increment || e.kind == ExpressionKind::Assign) && e.first >= 0) {
            const Expression &target = step.expressions[size_t(e.first)];
            if (isVariable(target))
                into.append(placeOf(target, line));
        } else if (e.kind == ExpressionKind::Call && positions != 0) {
            const QString name = Language::lowered(tokenOf(e, line, text).toString());
            if (name == u"callfunc" || name == u"callsub")
                argumentStores(step, afterFirst(step, e.first), line, positions, into);
        }
    }
}

} // namespace

quint32 argumentSetThroughGetarg(const FlowStep &step, int line, const FlowGraph::LineText &text)
{
    if (step.kind != Kind::Command || (step.word != Word::Set && step.word != Word::SetArray) || step.root < 0)
        return 0;
    const Expression &target = step.expressions[size_t(step.root)];
    if (target.kind != ExpressionKind::Call || target.first < 0)
        return 0;
    const QString name = Language::lowered(tokenOf(target, line, text).toString());
    const Expression &index = step.expressions[size_t(target.first)];
    if (Language::functionOf(name) != Language::Function::GetArg || index.kind != ExpressionKind::Number)
        return 0;
    bool ok = false;
    const int position = tokenOf(index, line, text).toString().toInt(&ok, 0);
    return ok && position >= 0 && position < 32 ? 1u << position : 0;
}

QVector<Place> hiddenStores(const QVector<FlowGraph::Located> &steps, const FlowGraph::LineText &text,
                            quint32 setThroughGetarg)
{
    QVector<Place> found;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (!step.isStatement())
            continue;
        treeStores(step, located.line, text, setThroughGetarg, found);
        if (setThroughGetarg == 0)
            continue;
        if (step.kind == Kind::Call)
            argumentStores(step, step.root, located.line, setThroughGetarg, found);
        else if (step.kind == Kind::Command && (step.word == Word::Callsub || step.word == Word::Callfunc))
            argumentStores(step, afterFirst(step, step.root), located.line, setThroughGetarg, found);
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace VariableStores
