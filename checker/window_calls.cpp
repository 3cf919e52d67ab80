#include "checker/window_calls.h"

#include "checker/language.h"

#include <algorithm>

namespace WindowCalls {

namespace {

using Kind = FlowStep::Kind;
using Word = FlowStep::Word;

class Reader
{
public:
    Reader(const FlowGraph::Graph &graph, int node, const FlowGraph::LineText &text, const IsFileFunction &isFile)
        : graph_(graph), step_(*graph.nodes.at(node).step), line_(graph.nodes.at(node).line), text_(text),
          isFile_(isFile)
    {
    }

    Calls read()
    {
        if (step_.kind == Kind::Call)
            byName(step_.text, false);
        else if (step_.kind == Kind::Command && step_.word == Word::Callfunc)
            callfunc(step_.root);
        else if (step_.kind == Kind::Command && step_.word == Word::Callsub)
            callsub(step_.labels.isEmpty() ? QString() : step_.labels.front());
        for (const Expression &node : step_.expressions) {
            if (node.kind == Expression::Kind::Call)
                inExpression(node);
        }
        return calls_;
    }

private:
    QString tokenOf(const Expression &node) const
    {
        if (!text_)
            return {};
        return text_(line_ + node.token.line).mid(node.token.column, node.length).toString();
    }

    void inExpression(const Expression &call)
    {
        const QString word = Language::lowered(tokenOf(call));
        if (word == u"callfunc")
            callfunc(call.first);
        else if (word == u"callsub")
            callsub(call.first >= 0 ? tokenOf(step_.expressions[size_t(call.first)]) : QString());
        else
            byName(word, true);
    }

    // A function named in the script: one of the body's first, then one of the file.
    // Called in an expression, a word that is neither is a command.
    void byName(const QString &name, bool inExpression)
    {
        const int node = FlowGraph::labelNode(graph_, name);
        if (node >= 0 && graph_.functionStarts.contains(node)) {
            calls_.append({Call::Kind::Body, QString(), node});
            return;
        }
        const QString lower = Language::lowered(name);
        if (isFile_ && isFile_(lower))
            calls_.append({Call::Kind::File, lower, -1});
        else if (!inExpression)
            calls_.append({});
    }

    // callfunc "Name": a name in quotes is known before the script runs; any other is not.
    void callfunc(int argument)
    {
        const Expression *name =
            argument >= 0 && argument < int(step_.expressions.size()) ? &step_.expressions[size_t(argument)] : nullptr;
        const QString quoted = name && name->kind == Expression::Kind::Text ? tokenOf(*name) : QString();
        const QString lower = quoted.size() >= 2 ? Language::lowered(quoted.mid(1, quoted.size() - 2)) : QString();
        if (!lower.isEmpty() && isFile_ && isFile_(lower))
            calls_.append({Call::Kind::File, lower, -1});
        else
            calls_.append({});
    }

    void callsub(const QString &label)
    {
        const int node = label.isEmpty() ? -1 : FlowGraph::labelNode(graph_, label);
        calls_.append(node >= 0 ? Call{Call::Kind::Body, QString(), node} : Call{});
    }

    const FlowGraph::Graph &graph_;
    const FlowStep &step_;
    const int line_;
    const FlowGraph::LineText &text_;
    const IsFileFunction &isFile_;
    Calls calls_;
};

} // namespace

Calls of(const FlowGraph::Graph &graph, int node, const FlowGraph::LineText &text, const IsFileFunction &isFileFunction)
{
    const FlowStep &step = *graph.nodes.at(node).step;
    const bool mayCall = step.kind == Kind::Call || step.word == Word::Callfunc || step.word == Word::Callsub ||
                         std::any_of(step.expressions.cbegin(), step.expressions.cend(),
                                     [](const Expression &e) { return e.kind == Expression::Kind::Call; });
    if (!mayCall)
        return {};
    return Reader(graph, node, text, isFileFunction).read();
}

} // namespace WindowCalls
