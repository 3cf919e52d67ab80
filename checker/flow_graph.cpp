#include "checker/flow_graph.h"

#include "checker/language.h"
#include "common/fnv_hash.h"

namespace FlowGraph {

namespace {

using Kind = FlowStep::Kind;
using Word = FlowStep::Word;

bool isStatement(Kind kind)
{
    return kind != Kind::VariableSet && kind != Kind::VariableRead && kind != Kind::TypeMismatch;
}

// A piece of the flow: where it begins (-1 when it holds nothing) and the nodes
// after which the server goes on with whatever follows it.
// Most pieces leave by one or two nodes: kept without an allocation each.
using Exits = QVarLengthArray<int, 4>;

struct Fragment
{
    int first = -1;
    Exits exits;
};

void join(Exits &to, const QVector<int> &more)
{
    to.append(more.constData(), more.size());
}

void join(Exits &to, const Exits &more)
{
    to.append(more.constData(), more.size());
}

class Builder
{
public:
    explicit Builder(const QVector<Located> &steps)
    {
        graph_.nodes.reserve(steps.size());
        for (const Located &located : steps) {
            if (located.step->kind == Kind::Broken)
                graph_.readable = false;
            if (isStatement(located.step->kind))
                graph_.nodes.append(Node{located.step, located.line, {}, {}, false, false});
        }
    }

    Graph run()
    {
        if (!graph_.readable)
            return std::move(graph_);
        sequence(false);
        for (const auto &[node, labels] : std::as_const(jumps_)) {
            for (const QString &label : labels) {
                const int target = labelNode(graph_, label);
                if (target >= 0)
                    graph_.nodes[node].next.append(target);
            }
        }
        for (const auto &[node, label] : std::as_const(calls_)) {
            const int target = labelNode(graph_, label);
            if (target >= 0)
                graph_.nodes[node].calls.append(target);
        }
        return std::move(graph_);
    }

private:
    Kind kindAt(int i) const { return i < graph_.nodes.size() ? graph_.nodes.at(i).step->kind : Kind::BodyEnd; }
    bool atEnd() const { return pos_ >= graph_.nodes.size(); }
    void link(int from, int to)
    {
        if (to >= 0)
            graph_.nodes[from].next.append(to);
    }
    template <typename Nodes> void link(const Nodes &from, int to)
    {
        for (const int node : from)
            link(node, to);
    }

    Fragment sequence(bool untilBlockClose);
    Fragment statement();
    Fragment command(int node);
    Fragment block();
    Fragment conditional();
    Fragment loop();
    Fragment doLoop();
    Fragment switchStatement();
    Fragment functionDefinition();
    bool covers(const FlowStep &head, const QVector<int> &cases) const;

    Graph graph_;
    int pos_ = 0;
    QVector<std::pair<int, QStringList>> jumps_;
    QVector<std::pair<int, QString>> calls_;
    QVector<QVector<int>> breaks_;    // per loop or switch, innermost last
    QVector<QVector<int>> continues_; // per loop
    QVector<QVector<int>> cases_;     // per switch
    int lastMenuChoices_ = 0;
};

Fragment Builder::sequence(bool untilBlockClose)
{
    Fragment whole;
    Exits open;
    bool started = false;
    while (!atEnd() && !(untilBlockClose && kindAt(pos_) == Kind::BlockClose)) {
        const Fragment piece = statement();
        if (piece.first < 0)
            continue;
        if (!started)
            whole.first = piece.first;
        link(open, piece.first);
        open = piece.exits;
        started = true;
    }
    whole.exits = open;
    return whole;
}

Fragment Builder::statement()
{
    // A loop or condition whose head is the body's last step has no statement.
    if (atEnd())
        return {};
    const int node = pos_;
    switch (kindAt(node)) {
    case Kind::BlockOpen:
        return block();
    case Kind::If:
        return conditional();
    case Kind::While:
    case Kind::For:
        return loop();
    case Kind::Do:
        return doLoop();
    case Kind::Switch:
        return switchStatement();
    case Kind::FunctionDefinition:
        return functionDefinition();
    default:
        break;
    }
    ++pos_;
    switch (kindAt(node)) {
    case Kind::Label:
        graph_.labels.insert_or_assign(graph_.nodes.at(node).step->text, node);
        graph_.nodes[node].reachableHead = true;
        return {node, {node}};
    case Kind::Case:
    case Kind::Default:
        if (!cases_.isEmpty())
            cases_.last().append(node);
        return {node, {node}};
    case Kind::Break:
        if (breaks_.isEmpty())
            return {node, {node}};
        breaks_.last().append(node);
        return {node, {}};
    case Kind::Continue:
        if (continues_.isEmpty())
            return {node, {node}};
        continues_.last().append(node);
        return {node, {}};
    case Kind::Return:
    case Kind::BodyEnd:
        return {node, {}};
    case Kind::Command:
        return command(node);
    case Kind::Call:
        calls_.append({node, graph_.nodes.at(node).step->text});
        return {node, {node}};
    default:
        return {node, {node}};
    }
}

Fragment Builder::command(int node)
{
    const FlowStep &step = *graph_.nodes.at(node).step;
    if (step.word == Word::Goto) {
        jumps_.append({node, step.labels});
        return {node, {}};
    }
    if (step.word == Word::Menu) {
        lastMenuChoices_ = int(step.labels.size());
        jumps_.append({node, step.labels});
        return {node, step.labels.contains(QStringLiteral("-")) ? Exits{node} : Exits{}};
    }
    if (step.word == Word::End || step.window == Commands::Window::Closes || step.window == Commands::Window::Ends)
        return {node, {}};
    if (step.word == Word::Callsub && !step.labels.isEmpty())
        calls_.append({node, step.labels.front()});
    return {node, {node}};
}

Fragment Builder::block()
{
    const int open = pos_++;
    const Fragment inside = sequence(true);
    if (atEnd())
        return {open, inside.first < 0 ? Exits{open} : inside.exits};
    const int close = pos_++;
    link(open, inside.first < 0 ? close : inside.first);
    link(inside.exits, close);
    return {open, {close}};
}

Fragment Builder::conditional()
{
    const int head = pos_++;
    const Fragment then = statement();
    link(head, then.first);
    Fragment result{head, then.first < 0 ? Exits{head} : then.exits};
    if (kindAt(pos_) != Kind::Else || atEnd()) {
        result.exits.append(head); // the condition does not hold
        return result;
    }
    const int otherwise = pos_++;
    link(head, otherwise);
    const Fragment alternative = statement();
    link(otherwise, alternative.first);
    join(result.exits, alternative.first < 0 ? Exits{otherwise} : alternative.exits);
    return result;
}

Fragment Builder::loop()
{
    const int head = pos_++;
    breaks_.append(QVector<int>());
    continues_.append(QVector<int>());
    const Fragment body = statement();
    link(head, body.first);
    link(body.exits, head);
    link(continues_.takeLast(), head);
    Fragment result{head, {head}};
    join(result.exits, breaks_.takeLast());
    return result;
}

// "do statement while (condition);"
Fragment Builder::doLoop()
{
    const int head = pos_++;
    breaks_.append(QVector<int>());
    continues_.append(QVector<int>());
    const Fragment body = statement();
    link(head, body.first);
    Fragment result{head, body.exits};
    if (kindAt(pos_) == Kind::While && !atEnd()) {
        const int condition = pos_++;
        link(body.exits, condition);
        link(condition, body.first);
        result.exits = {condition};
        if (kindAt(pos_) == Kind::Empty && !atEnd()) {
            const int after = pos_++;
            link(condition, after);
            result.exits = {after};
        }
        link(continues_.last(), condition);
    }
    continues_.removeLast();
    join(result.exits, breaks_.takeLast());
    return result;
}

Fragment Builder::switchStatement()
{
    const int head = pos_++;
    if (kindAt(pos_) != Kind::BlockOpen || atEnd())
        return {head, {head}};
    const int open = pos_++;
    link(head, open);
    breaks_.append(QVector<int>());
    cases_.append(QVector<int>());
    const Fragment inside = sequence(true);
    const QVector<int> cases = cases_.takeLast();
    Exits exits = inside.exits;
    join(exits, breaks_.takeLast());
    int close = -1;
    if (!atEnd()) {
        close = pos_++;
        link(exits, close);
        exits = {close};
    }
    for (const int node : cases)
        link(open, node);
    const bool hasDefault = std::any_of(cases.cbegin(), cases.cend(),
                                        [&](int node) { return graph_.nodes.at(node).step->kind == Kind::Default; });
    if (!hasDefault && !covers(*graph_.nodes.at(head).step, cases)) {
        // No case matched: on past the switch.
        if (close >= 0)
            link(open, close);
        else
            exits.append(open);
    }
    return {head, exits};
}

// Whether the cases cover every choice of the select() the switch reads, or of the
// menu just before a switch on @menu: then no path goes past them.
bool Builder::covers(const FlowStep &head, const QVector<int> &cases) const
{
    const int choices = head.text == u"@menu" ? lastMenuChoices_ : head.number;
    if (choices <= 0)
        return false;
    for (int choice = 1; choice <= choices; ++choice) {
        const bool found = std::any_of(cases.cbegin(), cases.cend(),
                                       [&](int node) { return graph_.nodes.at(node).step->number == choice; });
        if (!found)
            return false;
    }
    return true;
}

// "function Name { ... }": running through the body steps over it; it is reached
// by its calls, which are not followed here.
Fragment Builder::functionDefinition()
{
    const int definition = pos_++;
    if (kindAt(pos_) != Kind::BlockOpen || atEnd())
        return {definition, {definition}};
    const int first = pos_;
    block();
    for (int node = first; node < pos_; ++node)
        graph_.nodes[node].inFunction = true;
    graph_.nodes[first].reachableHead = true;
    graph_.functionStarts.append(first);
    // Its name is a label of the body too: goto and callsub reach it.
    graph_.labels.insert_or_assign(graph_.nodes.at(definition).step->text, first);
    return {definition, {definition}};
}

} // namespace

Graph build(const QVector<Located> &steps)
{
    return Builder(steps).run();
}

size_t LabelHash::operator()(const QString &label) const noexcept
{
    quint32 hash = FnvHash::kBasis;
    for (const QChar c : label)
        hash = FnvHash::step(hash, c.unicode());
    return hash;
}

int labelNode(const Graph &graph, const QString &label)
{
    const auto lower = graph.labels.find(Language::lowered(label));
    if (lower != graph.labels.cend())
        return lower->second;
    const auto written = graph.labels.find(label);
    return written != graph.labels.cend() ? written->second : -1;
}

} // namespace FlowGraph
