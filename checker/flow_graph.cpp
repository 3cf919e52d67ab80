#include "checker/flow_graph.h"

#include "checker/body_form.h"
#include "checker/body_nodes.h"
#include "checker/language.h"
#include "common/fnv_hash.h"

namespace FlowGraph {

namespace {

using Kind = FlowStep::Kind;
using Word = FlowStep::Word;
using Op = BodyForm::Instruction::Op;

// The graph's ways on are read off the body's lowered form: from each statement's
// own instruction, through the jumps that blocks and loops became, to the next
// statements' own instructions.
class Linker
{
public:
    Linker(Graph &graph, const BodyForm::Body &form, const LineText &text)
        : graph_(graph), form_(form), text_(text), own_(tScratch.own), menuChoicesBefore_(tScratch.menuChoicesBefore),
          jumps_(tScratch.jumps), calls_(tScratch.calls)
    {
        jumps_.clear();
        calls_.clear();
        own_.assign(size_t(graph.nodes.size()), -1);
        for (int at = 0; at < form.code.size(); ++at) {
            const int statement = form.code.at(at).statement;
            if (statement >= 0 && statement < graph.nodes.size())
                own_[size_t(statement)] = at;
        }
    }

    void run()
    {
        markFunctions();
        nameLabels();
        for (int node = 0; node < graph_.nodes.size(); ++node)
            link(node);
        for (const int node : jumps_) {
            for (const QString &label : stepOf(node).labels)
                addNext(node, labelNode(graph_, label));
        }
        for (const int node : calls_) {
            const FlowStep &step = stepOf(node);
            const int target = labelNode(graph_, step.kind == Kind::Call ? step.text : step.labels.front());
            if (target >= 0)
                graph_.nodes[node].calls.append(target);
        }
    }

private:
    const FlowStep &stepOf(int node) const { return *graph_.nodes.at(node).step; }
    void addNext(int from, int to)
    {
        if (to >= 0) {
            graph_.nodes[from].next.append(to);
            graph_.nodes[from].when.append(when_);
        }
    }
    void markFunctions();
    void nameLabels();
    void link(int node);
    void linkInstruction(int node, int at);
    void follow(int node, int at);
    bool covers(int head, const BodyForm::Instruction &choose) const;
    bool hasDefault(const BodyForm::Instruction &choose) const
    {
        const int at = choose.target;
        const int statement = at >= 0 && at < form_.code.size() ? form_.code.at(at).statement : -1;
        return statement >= 0 && stepOf(statement).kind == Kind::Default;
    }

    // Whether the loop condition `at` stands for always holds: its false way is never taken.
    bool endless(const BodyForm::Instruction &at) const
    {
        const int statement = at.statement;
        return text_ && statement >= 0 && alwaysTrue(stepOf(statement), graph_.nodes.at(statement).line, text_);
    }

    Graph &graph_;
    const BodyForm::Body &form_;
    const LineText &text_;
    // Bodies are linked one after another on each thread: the arrays keep their room.
    struct Scratch
    {
        std::vector<int> own, menuChoicesBefore, jumps, calls;
    };
    static thread_local Scratch tScratch;
    std::vector<int> &own_;               // each node's own instruction
    std::vector<int> &menuChoicesBefore_; // per node: the choices of the last menu before it
    std::vector<int> &jumps_;             // nodes that jump to their labels: goto, menu
    std::vector<int> &calls_;             // nodes that run a label and come back: callsub, a function
    QVarLengthArray<int, 16> visiting_;   // jumps followed from one instruction
    qint8 when_ = 0;                      // how the condition stands on the ways being added
};

thread_local Linker::Scratch Linker::tScratch;

// A function's nodes keep their own window states: its return goes back to the caller.
void Linker::markFunctions()
{
    for (const auto &[first, last] : form_.functionStatements) {
        for (int node = first; node <= last && node < graph_.nodes.size(); ++node)
            graph_.nodes[node].inFunction = true;
        graph_.nodes[first].reachableHead = true;
        graph_.functionStarts.append(first);
        graph_.functionEnds.append(last);
    }
}

// Labels and function names in the order the server reads them; a later
// definition of a name wins, as the server's label table keeps the last.
void Linker::nameLabels()
{
    menuChoicesBefore_.assign(size_t(graph_.nodes.size()), 0);
    int choices = 0;
    QVarLengthArray<std::pair<int, int>, 4> functionEnds; // last node, first node
    for (const auto &[first, last] : form_.functionStatements)
        functionEnds.append({last, first});
    for (int node = 0; node < graph_.nodes.size(); ++node) {
        menuChoicesBefore_[size_t(node)] = choices;
        const FlowStep &step = stepOf(node);
        if (step.kind == Kind::Label) {
            graph_.labels.insert_or_assign(step.text, node);
            graph_.nodes[node].reachableHead = true;
        } else if (step.kind == Kind::Command && step.word == Word::Menu) {
            choices = int(step.labels.size());
        }
        for (const auto &[last, first] : functionEnds) {
            if (last == node && first > 0)
                graph_.labels.insert_or_assign(stepOf(first - 1).text, first);
        }
    }
}

void Linker::link(int node)
{
    const int at = own_[size_t(node)];
    if (at < 0)
        return; // past a nesting too deep to lower
    const FlowStep &step = stepOf(node);
    if (step.kind == Kind::Command) {
        if (step.word == Word::Goto) {
            jumps_.push_back(node);
            return;
        }
        if (step.word == Word::Menu) {
            jumps_.push_back(node);
            if (step.labels.contains(QStringLiteral("-")))
                follow(node, at + 1);
            return;
        }
        if (step.word == Word::End || step.window == Commands::Window::Closes || step.window == Commands::Window::Ends)
            return;
        if (step.word == Word::Callsub && !step.labels.isEmpty())
            calls_.push_back(node);
    } else if (step.kind == Kind::Call) {
        calls_.push_back(node);
    }
    linkInstruction(node, at);
}

// The ways on from instruction `at`, which stands for `node` or for a jump on its way.
void Linker::linkInstruction(int node, int at)
{
    const BodyForm::Instruction &in = form_.code.at(at);
    switch (in.op) {
    case Op::Goto:
    case Op::End:
    case Op::Return:
    case Op::BodyEnd:
    case Op::Stop:
        return;
    case Op::Jump:
        follow(node, in.target);
        return;
    case Op::JumpUnless:
    case Op::JumpIf: {
        // A loop on a true constant neither leaves by its condition nor falls out of a do.
        const bool endlessLoop = endless(in);
        const qint8 onTarget = in.op == Op::JumpIf ? 1 : -1;
        when_ = qint8(-onTarget);
        if (!(endlessLoop && in.op == Op::JumpIf))
            follow(node, at + 1);
        when_ = onTarget;
        if (!(endlessLoop && in.op == Op::JumpUnless))
            follow(node, in.target);
        when_ = 0;
        return;
    }
    case Op::Switch:
        graph_.nodes[node].chooses = in.subject;
        when_ = kCase;
        for (const auto &[value, target] : in.cases)
            follow(node, target);
        when_ = kPastCases;
        if (hasDefault(in) || !covers(in.subject, in))
            follow(node, in.target);
        when_ = 0;
        return;
    default:
        follow(node, at + 1);
        return;
    }
}

// To the statement whose own instruction `at` is, or on through a jump.
void Linker::follow(int node, int at)
{
    if (at < 0 || at >= form_.code.size())
        return;
    const int statement = form_.code.at(at).statement;
    if (statement >= 0) {
        addNext(node, statement);
        return;
    }
    if (std::find(visiting_.cbegin(), visiting_.cend(), at) != visiting_.cend())
        return; // a loop of jumps alone leads nowhere
    visiting_.append(at);
    linkInstruction(node, at);
    visiting_.removeLast();
}

// Whether the cases cover every choice of the select() the switch reads, or of the
// menu just before a switch on @menu: then no path goes past them.
bool Linker::covers(int head, const BodyForm::Instruction &choose) const
{
    if (head < 0)
        return false;
    const FlowStep &step = stepOf(head);
    const int choices = step.text == u"@menu" ? menuChoicesBefore_[size_t(head)] : step.number;
    if (choices <= 0)
        return false;
    for (int choice = 1; choice <= choices; ++choice) {
        const bool found = std::any_of(choose.cases.cbegin(), choose.cases.cend(), [&](const auto &c) {
            const int statement = form_.code.at(c.second).statement;
            return statement >= 0 && stepOf(statement).number == choice;
        });
        if (!found)
            return false;
    }
    return true;
}

} // namespace

Graph build(const QVector<Located> &steps, const LineText &text)
{
    Graph graph;
    graph.nodes.reserve(steps.size());
    thread_local std::vector<BodyForm::Statement> statements;
    statements.clear();
    for (const Located &located : steps) {
        if (located.step->kind == Kind::Broken)
            graph.readable = false;
        if (located.step->isStatement()) {
            graph.nodes.append(Node{located.step, located.line, {}, {}, -1, {}, false, false});
            statements.push_back({located.line, located.step});
        }
    }
    if (!graph.readable)
        return graph;
    // Bodies are judged one after another on each thread: the form keeps its room.
    thread_local BodyForm::Body form;
    BodyForm::lower(statements, form);
    Linker(graph, form, text).run();
    return graph;
}

bool alwaysTrue(const FlowStep &step, int line, const LineText &text)
{
    if (step.kind != Kind::While && step.kind != Kind::For)
        return false;
    // A for's condition is its second part; a while's its only one.
    const Expression *condition = BodyForm::part(step, step.kind == Kind::For ? 1 : 0);
    if (!condition || condition->kind != Expression::Kind::Number)
        return false;
    const Expression &number = *condition;
    const QStringView written = text(line + number.token.line).mid(number.token.column, number.length);
    bool ok = false;
    const qint64 value = written.toString().remove(u'_').toLongLong(&ok, 0);
    return ok && value != 0;
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
