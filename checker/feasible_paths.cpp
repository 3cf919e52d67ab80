#include "checker/feasible_paths.h"

#include "checker/body_nodes.h"
#include "checker/call_sites.h"
#include "checker/commands.h"
#include "checker/language.h"
#include "checker/value_knowledge.h"

#include <QHash>
#include <QVarLengthArray>

#include <optional>

namespace FeasiblePaths {

namespace {

using Kind = FlowStep::Kind;
using EKind = Expression::Kind;
using Compare = ValueKnowledge::Compare;

// Rounds of the knowledge per node before the paths are taken as they are.
constexpr int kRoundsPerNode = 32;

Compare negated(Compare compare)
{
    switch (compare) {
    case Compare::Equal:
        return Compare::NotEqual;
    case Compare::NotEqual:
        return Compare::Equal;
    case Compare::Less:
        return Compare::GreaterOrEqual;
    case Compare::LessOrEqual:
        return Compare::Greater;
    case Compare::Greater:
        return Compare::LessOrEqual;
    case Compare::GreaterOrEqual:
        return Compare::Less;
    }
    return compare;
}

// "3 < x" is "x > 3".
Compare mirrored(Compare compare)
{
    switch (compare) {
    case Compare::Less:
        return Compare::Greater;
    case Compare::LessOrEqual:
        return Compare::GreaterOrEqual;
    case Compare::Greater:
        return Compare::Less;
    case Compare::GreaterOrEqual:
        return Compare::LessOrEqual;
    default:
        return compare;
    }
}

std::optional<Compare> comparison(QStringView op)
{
    static constexpr std::pair<QStringView, Compare> kOperators[] = {
        {u"==", Compare::Equal},       {u"!=", Compare::NotEqual}, {u"<", Compare::Less},
        {u"<=", Compare::LessOrEqual}, {u">", Compare::Greater},   {u">=", Compare::GreaterOrEqual},
    };
    for (const auto &[written, compare] : kOperators) {
        if (op == written)
            return compare;
    }
    return std::nullopt;
}

// What one statement's step says, read from its line.
class StepReader
{
public:
    StepReader(const FlowGraph::Graph &graph, int node, const FlowGraph::LineText &text,
               const Commands::Table *commands)
        : step_(*graph.nodes.at(node).step), line_(graph.nodes.at(node).line), text_(text), commands_(commands)
    {
    }

    const Expression &at(int index) const { return step_.expressions[size_t(index)]; }
    bool has(int index) const { return index >= 0 && index < int(step_.expressions.size()); }

    QString token(const Expression &e) const
    {
        return text_(line_ + e.token.line).mid(e.token.column, e.length).toString();
    }

    // A variable whose stores every statement shows: a scope or player variable of numbers.
    std::optional<QString> tracked(const Expression &e) const
    {
        if (e.kind != EKind::Variable)
            return std::nullopt;
        const QString name = Language::lowered(token(e));
        const bool kind = name.startsWith(u".@") || (name.startsWith(u'@') && !name.startsWith(u"@@"));
        if (!kind || name.endsWith(u'$') || Language::isSetByTheServer(name))
            return std::nullopt;
        return name;
    }

    std::optional<qint64> constant(const Expression &e) const
    {
        if (e.kind == EKind::Number)
            return CallSites::integerOf(token(e));
        if (e.kind == EKind::Unary && has(e.first) && token(e) == u"-") {
            const std::optional<qint64> value = constant(at(e.first));
            return value ? std::optional<qint64>(-*value) : std::nullopt;
        }
        return std::nullopt;
    }

    // The values an expression may give: a constant, or a command's result range.
    std::optional<ValueKnowledge::Range> range(const Expression &e) const
    {
        if (const std::optional<qint64> value = constant(e))
            return ValueKnowledge::Range{*value, *value};
        if (e.kind != EKind::Call || !commands_)
            return std::nullopt;
        const Commands::Command *command = commands_->find(token(e));
        if (!command || !command->result.known)
            return std::nullopt;
        const std::optional<qint64> low = bound(command->result.low, e), high = bound(command->result.high, e);
        return low && high ? std::optional<ValueKnowledge::Range>({*low, *high}) : std::nullopt;
    }

    // Whether the statement may run code of the script that changes variables.
    bool callsScript() const
    {
        if (step_.kind == Kind::Call || step_.word == FlowStep::Word::Callfunc ||
            step_.word == FlowStep::Word::Callsub || step_.window == Commands::Window::Runs)
            return true;
        for (const Expression &e : step_.expressions) {
            if (e.kind != EKind::Call)
                continue;
            const QString word = token(e);
            if (Language::lowered(word) == u"callfunc" || Language::lowered(word) == u"callsub" || !commands_ ||
                !commands_->find(word))
                return true;
        }
        return false;
    }

    const FlowStep &step() const { return step_; }

private:
    // A bound of the result column: a number, or one more than a count the call gives.
    std::optional<qint64> bound(const Commands::Bound &bound, const Expression &call) const
    {
        switch (bound.base) {
        case Commands::Bound::Base::Number:
            return bound.offset;
        case Commands::Bound::Base::FirstArgument: {
            // "0..n-1" reads the call with one argument only: rand(1, 5) gives 1 to 5.
            const bool one = has(call.first) && at(call.first).next < 0;
            const std::optional<qint64> n = one ? constant(at(call.first)) : std::nullopt;
            return n ? std::optional<qint64>(*n + bound.offset) : std::nullopt;
        }
        case Commands::Bound::Base::Choices:
            return step_.number > 0 ? std::optional<qint64>(step_.number + bound.offset) : std::nullopt;
        }
        return std::nullopt;
    }

    const FlowStep &step_;
    const int line_;
    const FlowGraph::LineText &text_;
    const Commands::Table *commands_;
};

class Analysis
{
public:
    Analysis(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, const Commands::Table *commands)
        : g_(graph), text_(text), commands_(commands)
    {
    }

    Blocked run();
    QVector<GivenValue> valuesAlong(const QVector<Way> &path);

private:
    bool gatherCompared();
    bool comparesAny();
    void enter(int node, const ValueKnowledge &knowledge);
    // What a statement does to the knowledge, read once per statement.
    struct Transfer
    {
        bool forgetAll = false; // it runs code of the script
        QVarLengthArray<int, 2> forgets;
        int sets = -1; // the variable given a value in `range`
        ValueKnowledge::Range range;
        bool fromCommand = false; // the range is a command's result, not a constant
    };
    Transfer readTransfer(int node) const;
    const Transfer &transfer(int node)
    {
        if (transfers_.empty()) {
            transfers_.resize(size_t(g_.nodes.size()));
            transferRead_.assign(size_t(g_.nodes.size()), false);
        }
        if (!transferRead_[size_t(node)]) {
            transfers_[size_t(node)] = readTransfer(node);
            transferRead_[size_t(node)] = true;
        }
        return transfers_[size_t(node)];
    }
    ValueKnowledge after(int node, ValueKnowledge knowledge) { return applied(transfer(node), knowledge); }
    static ValueKnowledge applied(const Transfer &transfer, ValueKnowledge knowledge);
    void forgetStored(const StepReader &reader, Transfer &transfer) const;
    ValueKnowledge assuming(const StepReader &reader, int index, bool holds, ValueKnowledge knowledge) const;
    ValueKnowledge along(int node, int way, const ValueKnowledge &out) const;
    ValueKnowledge choosing(int node, int way, ValueKnowledge knowledge) const;

    const FlowGraph::Graph &g_;
    const FlowGraph::LineText &text_;
    const Commands::Table *commands_;
    // The variables some condition names, numbered: only those are followed.
    QHash<QString, int> compared_;
    QHash<int, int> conditionsOn_; // by variable: the statements whose ways compare it
    int variable(const StepReader &reader, const Expression &e) const
    {
        const std::optional<QString> name = reader.tracked(e);
        return name ? compared_.value(*name, -1) : -1;
    }
    std::vector<Transfer> transfers_; // read as first asked for
    std::vector<bool> transferRead_;
    std::optional<bool> comparesAny_;
    std::vector<ValueKnowledge> in_;
    std::vector<bool> reached_;
    std::vector<int> work_;
};

void Analysis::enter(int node, const ValueKnowledge &knowledge)
{
    if (!reached_[size_t(node)]) {
        reached_[size_t(node)] = true;
        in_[size_t(node)] = knowledge;
        work_.push_back(node);
        return;
    }
    ValueKnowledge merged = ValueKnowledge::either(in_[size_t(node)], knowledge);
    if (merged == in_[size_t(node)])
        return;
    in_[size_t(node)] = std::move(merged);
    work_.push_back(node);
}

// The variables the body's conditions name; false when there are none, and so
// nothing to follow.
bool Analysis::gatherCompared()
{
    for (int node = 0; node < g_.nodes.size(); ++node) {
        const FlowGraph::Node &at = g_.nodes.at(node);
        if (std::all_of(at.when.cbegin(), at.when.cend(), [](qint8 w) { return w == 0; }))
            continue;
        // A switch's ways compare the variable its head names.
        const StepReader reader(g_, at.chooses >= 0 ? at.chooses : node, text_, commands_);
        QVarLengthArray<int, 4> counted;
        for (const Expression &e : reader.step().expressions) {
            const std::optional<QString> name = reader.tracked(e);
            if (name && !compared_.contains(*name))
                compared_.insert(*name, int(compared_.size()));
            const int id = name ? compared_.value(*name) : -1;
            if (id >= 0 && !counted.contains(id)) {
                counted.append(id);
                ++conditionsOn_[id];
            }
        }
    }
    return !compared_.isEmpty();
}

// The compared variables, gathered once however often asked.
bool Analysis::comparesAny()
{
    if (!comparesAny_)
        comparesAny_ = gatherCompared();
    return *comparesAny_;
}

Blocked Analysis::run()
{
    if (!comparesAny())
        return {};
    in_.resize(size_t(g_.nodes.size()));
    reached_.assign(size_t(g_.nodes.size()), false);
    bool stored = false;
    for (int node = 0; node < g_.nodes.size(); ++node)
        stored = transfer(node).sets >= 0 || stored;
    // A way is closed only by what an earlier store or condition told of its
    // variable: with neither, every way stays open.
    const bool testedAgain = std::any_of(conditionsOn_.cbegin(), conditionsOn_.cend(), [](int n) { return n > 1; });
    if (!stored && !testedAgain)
        return {};
    // The server may start at the top, at a label, at a function or a subroutine
    // knowing nothing.
    for (int node = 0; node < g_.nodes.size(); ++node) {
        if (node == 0 || g_.nodes.at(node).reachableHead)
            enter(node, {});
        for (const int callee : g_.nodes.at(node).calls)
            enter(callee, {});
    }
    qsizetype rounds = qsizetype(g_.nodes.size()) * kRoundsPerNode;
    while (!work_.empty()) {
        if (--rounds < 0)
            return {}; // left unsettled: every way stays open
        const int node = work_.back();
        work_.pop_back();
        const ValueKnowledge out = after(node, in_[size_t(node)]);
        const FlowGraph::Node &at = g_.nodes.at(node);
        for (int way = 0; way < at.next.size(); ++way) {
            if (at.when[way] == 0) {
                enter(at.next[way], out);
                continue;
            }
            const ValueKnowledge along = this->along(node, way, out);
            if (along.possible())
                enter(at.next[way], along);
        }
    }
    Blocked blocked(size_t(g_.nodes.size()), 0);
    for (int node = 0; node < g_.nodes.size(); ++node) {
        const FlowGraph::Node &at = g_.nodes.at(node);
        if (!reached_[size_t(node)] || std::all_of(at.when.cbegin(), at.when.cend(), [](qint8 w) { return w == 0; }))
            continue;
        const ValueKnowledge out = after(node, in_[size_t(node)]);
        for (int way = 0; way < at.next.size() && way < 8; ++way) {
            if (!along(node, way, out).possible())
                blocked[size_t(node)] |= quint8(1u << way);
        }
    }
    return blocked;
}

// Follows the knowledge along one path. A command's result stored in a variable
// is settled where the variable is stored again, or the path ends: the lowest
// value the conditions taken since left it.
QVector<GivenValue> Analysis::valuesAlong(const QVector<Way> &path)
{
    QVector<GivenValue> found;
    if (!comparesAny())
        return found;
    ValueKnowledge knowledge;
    QVarLengthArray<std::pair<int, int>, 4> pending; // variable, the step of the path that stored it
    const auto settle = [&](int name) {
        for (qsizetype i = pending.size() - 1; i >= 0; --i) {
            if (name >= 0 && pending.at(i).first != name)
                continue;
            if (const std::optional<qint64> value = knowledge.lowest(pending.at(i).first))
                found.append({pending.at(i).second, *value});
            pending.remove(i);
        }
    };
    for (int at = 0; at < path.size(); ++at) {
        const Way &step = path.at(at);
        const Transfer &transfer = this->transfer(step.node);
        if (transfer.forgetAll)
            settle(-1);
        for (const int name : transfer.forgets)
            settle(name);
        if (transfer.sets >= 0)
            settle(transfer.sets);
        knowledge = applied(transfer, std::move(knowledge));
        if (transfer.sets >= 0 && transfer.fromCommand)
            pending.append({transfer.sets, at});
        if (step.way >= 0 && step.way < g_.nodes.at(step.node).next.size())
            knowledge = along(step.node, step.way, knowledge);
        if (!knowledge.possible())
            return {};
    }
    settle(-1);
    std::sort(found.begin(), found.end(), [](const GivenValue &a, const GivenValue &b) { return a.step < b.step; });
    return found;
}

// What is known on the node's `way`-th way on: its condition assumed to hold or not.
ValueKnowledge Analysis::along(int node, int way, const ValueKnowledge &out) const
{
    const FlowGraph::Node &at = g_.nodes.at(node);
    const qint8 when = way < at.when.size() ? at.when[way] : 0;
    if (when == 0)
        return out;
    if (when == FlowGraph::kCase || when == FlowGraph::kPastCases)
        return choosing(node, way, out);
    const StepReader reader(g_, node, text_, commands_);
    const Expression *forCondition = at.step->kind == Kind::For ? BodyForm::part(*at.step, 1) : nullptr;
    const int condition = forCondition ? int(forCondition - at.step->expressions.data()) : at.step->root;
    if (at.step->kind == Kind::For && !forCondition)
        return out;
    if (!reader.has(condition))
        return out;
    return assuming(reader, condition, when > 0, out);
}

// What is known on a way a switch on a variable chooses: the variable equals the
// case's constant, or, past the cases, none of them.
ValueKnowledge Analysis::choosing(int node, int way, ValueKnowledge knowledge) const
{
    const FlowGraph::Node &at = g_.nodes.at(node);
    if (at.chooses < 0)
        return knowledge;
    const StepReader head(g_, at.chooses, text_, commands_);
    const int name = head.has(head.step().root) ? variable(head, head.at(head.step().root)) : -1;
    if (name < 0)
        return knowledge;
    const auto caseValue = [&](int target) -> std::optional<qint64> {
        const StepReader reader(g_, target, text_, commands_);
        if (reader.step().kind != Kind::Case || !reader.has(reader.step().root))
            return std::nullopt;
        return reader.constant(reader.at(reader.step().root));
    };
    if (at.when[way] == FlowGraph::kCase) {
        if (const std::optional<qint64> value = caseValue(at.next[way]))
            knowledge.keep(name, Compare::Equal, *value);
        return knowledge;
    }
    for (int other = 0; other < at.next.size(); ++other) {
        const std::optional<qint64> value =
            at.when[other] == FlowGraph::kCase ? caseValue(at.next[other]) : std::nullopt;
        if (value)
            knowledge.keep(name, Compare::NotEqual, *value);
    }
    return knowledge;
}

// What is known after the statement of `node` ran: a constant or a command's
// range stored in a variable is known; any other store of a variable the statement
// names forgets it, and code of the script it runs forgets everything.
Analysis::Transfer Analysis::readTransfer(int node) const
{
    Transfer transfer;
    const StepReader reader(g_, node, text_, commands_);
    const FlowStep &step = reader.step();
    if (reader.callsScript()) {
        transfer.forgetAll = true;
        return transfer;
    }
    const bool head = step.kind == Kind::If || step.kind == Kind::While || step.kind == Kind::For ||
                      step.kind == Kind::Switch || step.kind == Kind::Case;
    const bool stores = std::any_of(step.expressions.cbegin(), step.expressions.cend(), [](const Expression &e) {
        return e.kind == EKind::Assign || e.kind == EKind::Increment;
    });
    if (head && !stores)
        return transfer;
    // "set .@x, v;" and ".@x = v;"
    int target = -1;
    if (step.kind == Kind::Command && step.word == FlowStep::Word::Set && reader.has(step.root))
        target = step.root;
    else if (step.kind == Kind::Other && reader.has(step.root) && reader.at(step.root).kind == EKind::Assign &&
             reader.token(reader.at(step.root)) == u"=")
        target = reader.at(step.root).first;
    const int name = reader.has(target) ? variable(reader, reader.at(target)) : -1;
    forgetStored(reader, transfer);
    const int value = reader.has(target) ? reader.at(target).next : -1;
    if (name >= 0 && reader.has(value)) {
        if (const std::optional<ValueKnowledge::Range> range = reader.range(reader.at(value))) {
            transfer.sets = name;
            transfer.range = *range;
            transfer.fromCommand = reader.at(value).kind == EKind::Call;
        }
    }
    return transfer;
}

ValueKnowledge Analysis::applied(const Transfer &transfer, ValueKnowledge knowledge)
{
    if (transfer.forgetAll)
        knowledge.forgetAll();
    for (const int name : transfer.forgets)
        knowledge.forget(name);
    if (transfer.sets >= 0)
        knowledge.set(transfer.sets, transfer.range.first, transfer.range.second);
    return knowledge;
}

// Forgets what the statement may store into: assignments, ++ and --, and the
// arguments its commands store into (all it names, without a command table).
void Analysis::forgetStored(const StepReader &reader, Transfer &transfer) const
{
    const FlowStep &step = reader.step();
    const auto forget = [&](int index) {
        const Expression *e = reader.has(index) ? &reader.at(index) : nullptr;
        const int name = e && (e->kind == EKind::Variable || e->kind == EKind::Element)
                             ? compared_.value(Language::lowered(reader.token(*e)), -1)
                             : -1;
        if (name >= 0)
            transfer.forgets.append(name);
    };
    const auto arguments = [&](const QString &word, int first, bool inExpression) {
        // Most commands are given no variable: the table is asked only for those that are.
        const Commands::Command *command = nullptr;
        bool asked = false;
        int k = 0;
        for (int at = first; reader.has(at); at = reader.at(at).next, ++k) {
            const EKind kind = reader.at(at).kind;
            if (kind != EKind::Variable && kind != EKind::Element)
                continue;
            if (!asked) {
                command = commands_ ? commands_->find(word) : nullptr;
                asked = true;
            }
            if (!command || command->storesInto(k, inExpression))
                forget(at);
        }
    };
    if (step.kind == Kind::Command)
        arguments(step.text, step.root, false);
    for (const Expression &e : step.expressions) {
        if (e.kind == EKind::Assign || e.kind == EKind::Increment)
            forget(e.first);
        else if (e.kind == EKind::Call || e.kind == EKind::Command)
            arguments(reader.token(e), e.first, e.kind == EKind::Call);
    }
}

// What is known where the condition `index` holds (or not, for `holds` false).
ValueKnowledge Analysis::assuming(const StepReader &reader, int index, bool holds, ValueKnowledge knowledge) const
{
    const Expression &e = reader.at(index);
    if (e.kind == EKind::Variable) {
        const int name = variable(reader, e);
        if (name >= 0)
            knowledge.keep(name, holds ? Compare::NotEqual : Compare::Equal, 0);
        return knowledge;
    }
    const QString op = e.kind == EKind::Unary || e.kind == EKind::Binary ? reader.token(e) : QString();
    if (e.kind == EKind::Unary && op == u"!" && reader.has(e.first))
        return assuming(reader, e.first, !holds, knowledge);
    if (e.kind != EKind::Binary || !reader.has(e.first) || !reader.has(reader.at(e.first).next))
        return knowledge;
    const int left = e.first, right = reader.at(left).next;
    // a && b fails where a fails, or where a holds and b fails; a || b holds likewise.
    const bool both = op == u"&&", either = op == u"||";
    if (both || either) {
        const bool shortCut = both ? !holds : holds;
        if (!shortCut)
            return assuming(reader, right, holds, assuming(reader, left, holds, knowledge));
        return ValueKnowledge::either(assuming(reader, left, holds, knowledge),
                                      assuming(reader, right, holds, assuming(reader, left, !holds, knowledge)));
    }
    const std::optional<Compare> compare = comparison(op);
    if (!compare)
        return knowledge;
    const int leftName = variable(reader, reader.at(left));
    const int rightName = variable(reader, reader.at(right));
    const std::optional<qint64> leftValue = reader.constant(reader.at(left));
    const std::optional<qint64> rightValue = reader.constant(reader.at(right));
    if (leftName >= 0 && rightValue)
        knowledge.keep(leftName, holds ? *compare : negated(*compare), *rightValue);
    else if (rightName >= 0 && leftValue)
        knowledge.keep(rightName, mirrored(holds ? *compare : negated(*compare)), *leftValue);
    return knowledge;
}

} // namespace

class Paths::Analysis : public FeasiblePaths::Analysis
{
public:
    using FeasiblePaths::Analysis::Analysis;
};

Paths::Paths(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, const Commands::Table *commands)
    : usable_(text && graph.readable), analysis_(std::make_unique<Analysis>(graph, text, commands))
{
}

Paths::~Paths() = default;

const Blocked &Paths::blocked()
{
    if (!blocked_)
        blocked_ = usable_ ? analysis_->run() : Blocked();
    return *blocked_;
}

QVector<GivenValue> Paths::valuesAlong(const QVector<Way> &path)
{
    return usable_ ? analysis_->valuesAlong(path) : QVector<GivenValue>();
}

Blocked blockedWays(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, const Commands::Table *commands)
{
    if (!text || !graph.readable)
        return {};
    return Analysis(graph, text, commands).run();
}

} // namespace FeasiblePaths
