#include "checker/flow_path.h"

#include <QStringView>

#include <algorithm>

namespace FlowPath {

namespace {

using Decision = Diagnostic::Decision;
using Kind = FlowStep::Kind;

// How many choices a menu's text argument offers: a literal split at ":", else one.
int choicesIn(const Expression &argument, int line, const FlowGraph::LineText &text)
{
    if (argument.kind != Expression::Kind::Text || argument.first >= 0 || !text)
        return 1;
    const QStringView written = text(line + argument.token.line).mid(argument.token.column, argument.length);
    return int(written.count(u':')) + 1;
}

// The choice on the path through the `way`-th way of a switch: the case's value
// where the switch reads a select() or @menu, which the choice gave.
void caseChoice(const FlowGraph::Graph &graph, int node, int way, QVector<Decision> &found, qsizetype lastMenu)
{
    const FlowGraph::Node &at = graph.nodes.at(node);
    if (at.chooses < 0 || at.when.value(way) != FlowGraph::kCase)
        return;
    const FlowGraph::Node &head = graph.nodes.at(at.chooses);
    const FlowStep &value = *graph.nodes.at(at.next[way]).step;
    if (value.kind != Kind::Case || value.number <= 0)
        return;
    if (head.step->text == u"@menu" && lastMenu >= 0)
        found[lastMenu].value = value.number;
    else if (head.step->number > 0)
        found.append({Decision::Kind::Choice, head.line, value.number});
}

} // namespace

int menuChoice(const FlowGraph::Graph &graph, int node, int way, const FlowGraph::LineText &text)
{
    const FlowGraph::Node &at = graph.nodes.at(node);
    const FlowStep &step = *at.step;
    // The ways: on past the menu where a choice's label is "-", then each label found, in order.
    const bool goesOn = step.labels.contains(QStringLiteral("-"));
    int label = -1;
    if (goesOn && way == 0) {
        label = int(step.labels.indexOf(QStringLiteral("-")));
    } else {
        int found = goesOn ? 1 : 0;
        for (int i = 0; i < step.labels.size() && label < 0; ++i) {
            if (FlowGraph::labelNode(graph, step.labels.at(i)) < 0)
                continue;
            if (found++ == way)
                label = i;
        }
    }
    if (label < 0)
        return 0;
    // Each label follows its text: the choices before it are those of the texts before.
    int choice = 1, labels = 0;
    for (int e = step.root; e >= 0 && e < int(step.expressions.size()); e = step.expressions[size_t(e)].next) {
        const Expression &argument = step.expressions[size_t(e)];
        if (argument.kind == Expression::Kind::Label) {
            if (labels++ == label)
                return choice;
            continue;
        }
        if (labels < label)
            choice += choicesIn(argument, at.line, text);
    }
    return 0;
}

QVector<Decision> decisions(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, FeasiblePaths::Paths &paths,
                            const QVector<FeasiblePaths::Way> &path)
{
    QVector<Decision> found;
    if (path.isEmpty())
        return found;
    found.append({Decision::Kind::Start, graph.nodes.at(path.first().node).line, 0});
    const QVector<FeasiblePaths::GivenValue> values = paths.valuesAlong(path);
    qsizetype nextValue = 0;
    qsizetype lastMenu = -1;
    for (int i = 0; i < path.size(); ++i) {
        const auto &[node, way] = path.at(i);
        const FlowGraph::Node &at = graph.nodes.at(node);
        for (; nextValue < values.size() && values.at(nextValue).step == i; ++nextValue)
            found.append({Decision::Kind::Value, at.line, values.at(nextValue).value});
        if (way < 0 || way >= at.next.size())
            continue;
        if (at.step->kind == Kind::Command && at.step->word == FlowStep::Word::Menu) {
            // The choice itself waits for a switch on @menu when it only goes on.
            lastMenu = found.size();
            found.append({Decision::Kind::Choice, at.line, menuChoice(graph, node, way, text)});
            continue;
        }
        const qint8 when = at.when.value(way);
        if (when == 1 || when == -1)
            found.append({when == 1 ? Decision::Kind::Holds : Decision::Kind::Fails, at.line, 0});
        else
            caseChoice(graph, node, way, found, lastMenu);
    }
    // A menu whose choice the path does not tell is left to whoever runs it.
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const Decision &d) { return d.kind == Decision::Kind::Choice && d.value <= 0; }),
                found.end());
    return found;
}

} // namespace FlowPath
