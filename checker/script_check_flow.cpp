#include "checker/script_check.h"

#include "checker/flow_graph.h"
#include "checker/script_line.h"
#include "checker/server_rules.h"
#include "checker/variable_rules.h"
#include "checker/variable_stores.h"
#include "checker/window_rules.h"

#include <algorithm>

// Scheduling the flow rules: edits mark the bodies whose steps or lines changed,
// and updateFlow judges those again when typing pauses.

namespace {

// The text of the body's lines, by line within the body; empty past its end.
FlowGraph::LineText textOfBody(const std::vector<std::unique_ptr<LineStore::Line>> &lines, int first, int last)
{
    return [&lines, first, last](int line) {
        const int at = first + line;
        return at >= first && at <= last ? QStringView(lines[size_t(at)]->text) : QStringView();
    };
}

} // namespace

void ScriptCheck::markFlowDirty(quint64 body)
{
    // Neighbouring lines mostly stand in one body: it is filed once for them.
    if (body != 0 && body != lastDirty_) {
        flowDirty_.insert(body);
        lastDirty_ = body;
    }
}

QVector<int> ScriptCheck::updateFlow()
{
    if (!flowDirty_.isEmpty() && commands_->serverNames())
        refreshNamesSet();
    // A function whose body changed may change what a call of it does in any body.
    if (!flowDirty_.isEmpty())
        refreshFunctionSummaries();
    QVector<int> changed;
    judgeMarkedBodies(changed);
    // A body that began or stopped setting an argument through getarg changes what
    // a call in any body gives a value: every body is judged again, once.
    if (refreshArgumentsSetThroughGetarg()) {
        markEveryBodyDirty();
        judgeMarkedBodies(changed);
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    }
    return changed;
}

// Judges the marked bodies again; those no longer in the file leave nothing behind.
void ScriptCheck::judgeMarkedBodies(QVector<int> &changed)
{
    // What a marked body sets through getarg is read again as it is judged.
    for (const quint64 body : std::as_const(flowDirty_)) {
        getargByBody_.remove(body);
        namesCalledByBody_.remove(body);
    }
    for (int i = 0; i < lineCount() && !flowDirty_.isEmpty();) {
        Line &line = *lines_[size_t(i)];
        if (line.body != 0 && line.body == line.id && flowDirty_.contains(line.body)) {
            int last = i;
            while (last + 1 < lineCount() && lines_[size_t(last + 1)]->body == line.body)
                ++last;
            judgeFlow(i, last, changed);
            i = last + 1;
            continue;
        }
        // A line that left a body judged again keeps nothing of its flow.
        if (line.flowBody != 0 && flowDirty_.contains(line.flowBody)) {
            if (!line.flow.isEmpty())
                changed.append(i);
            line.flow.clear();
            line.flowBody = 0;
        }
        ++i;
    }
    flowDirty_.clear();
    lastDirty_ = 0;
}

// Whether the argument positions the bodies of the file set through
// "set getarg(k)" changed with the bodies just judged.
bool ScriptCheck::refreshArgumentsSetThroughGetarg()
{
    quint32 all = 0;
    for (const quint32 positions : std::as_const(getargByBody_))
        all |= positions;
    if (all == getargPositions_)
        return false;
    getargPositions_ = all;
    return true;
}

// The bare names the bodies of the file give a value, read again for the bodies
// marked. When they change, a name any body reads may have become one the script
// sets, or stopped being one: every body is judged again.
void ScriptCheck::refreshNamesSet()
{
    QHash<quint64, QSet<QString>> byBody;
    QSet<QString> all;
    for (const auto &[first, last] : bodies()) {
        const quint64 body = lines_[size_t(first)]->body;
        const auto known = namesSetByBody_.constFind(body);
        QSet<QString> names = known != namesSetByBody_.cend() && !flowDirty_.contains(body)
                                  ? *known
                                  : ServerRules::namesSetIn(flowStepsOf(first, last), first, lines_, *commands_);
        all.unite(names);
        byBody.insert(body, std::move(names));
    }
    namesSetByBody_ = std::move(byBody);
    if (all == namesSet_)
        return;
    namesSet_ = std::move(all);
    markEveryBodyDirty();
}

// The bodies of the file, each as its first and last line.
QVector<std::pair<int, int>> ScriptCheck::bodies() const
{
    QVector<std::pair<int, int>> found;
    for (int i = 0; i < lineCount(); ++i) {
        const quint64 body = lines_[size_t(i)]->body;
        if (body == 0 || body != lines_[size_t(i)]->id)
            continue;
        int last = i;
        while (last + 1 < lineCount() && lines_[size_t(last + 1)]->body == body)
            ++last;
        found.append({i, last});
        i = last;
    }
    return found;
}

void ScriptCheck::markEveryBodyDirty()
{
    for (const auto &line : lines_) {
        if (line->body != 0 && line->body == line->id)
            flowDirty_.insert(line->body);
    }
}

// The steps of the body on lines `first` to `last`, each with its line within the body.
QVector<FlowGraph::Located> ScriptCheck::flowStepsOf(int first, int last) const
{
    qsizetype count = 0;
    for (int i = first; i <= last; ++i)
        count += lines_[size_t(i)]->steps.size();
    QVector<FlowGraph::Located> steps;
    steps.reserve(count);
    for (int i = first; i <= last; ++i) {
        for (const FlowStep &step : std::as_const(lines_[size_t(i)]->steps))
            steps.append({i - first, &step});
    }
    return steps;
}

// The flow of the body on lines `first` to `last`: the window along its paths and
// its scope variables.
void ScriptCheck::judgeFlow(int first, int last, QVector<int> &changed)
{
    const QVector<FlowGraph::Located> steps = flowStepsOf(first, last);
    const FlowGraph::LineText text = textOfBody(lines_, first, last);
    const Line &definition = *lines_[size_t(first)];
    quint32 positions = 0;
    for (const FlowGraph::Located &located : steps)
        positions |= VariableStores::argumentSetThroughGetarg(*located.step, located.line, text);
    if (positions != 0) // most bodies set none: only those that do are kept
        getargByBody_.insert(definition.id, positions);
    // A function, or a floating NPC reached by events and by name, starts in a
    // window its caller made.
    const WindowRules::Start start = definition.definition.isFunction() ? WindowRules::Start::Function
                                     : definition.text.startsWith(u'-') ? WindowRules::Start::Floating
                                                                        : WindowRules::Start::Player;
    const FlowGraph::Graph graph = FlowGraph::build(steps, text);
    // Most bodies give nothing: the findings are gathered in one list and handed to
    // their lines in order, rather than into a list for every line.
    // The names this body looks up as functions of the file are kept, to judge it
    // again when what one of them does changes.
    QSet<QString> called;
    WindowRules::Context context;
    context.text = text;
    context.commands = commands_.get();
    context.isFileFunction = [this, &called](const QString &name) {
        called.insert(name);
        return functionSummaries_.contains(name) || isOutsideFunction(name);
    };
    context.summaryOf = [this](const QString &name) {
        const auto own = functionSummaries_.constFind(name);
        if (own != functionSummaries_.cend())
            return *own;
        return outsideSummary(name).value_or(WindowRules::unknownSummary());
    };
    Diagnostics found = WindowRules::check(graph, start, commands_->target(), context);
    if (!called.isEmpty())
        namesCalledByBody_.insert(definition.id, std::move(called));
    found += VariableRules::check(steps, graph, text, getargPositions_);
    found += ServerRules::constantTypos(steps, first, lines_, *commands_, namesSet_);
    if (!found.isEmpty()) {
        std::stable_sort(found.begin(), found.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    }
    qsizetype next = 0;
    for (int i = first; i <= last; ++i) {
        Line &line = *lines_[size_t(i)];
        line.flowBody = definition.id;
        Diagnostics now;
        for (; next < found.size() && found.at(next).line == i - first; ++next) {
            // Kept as lines from the finding's own, related places stay true however
            // many lines an edit adds above them.
            Diagnostic diagnostic = std::move(found[next]);
            for (Diagnostic::Related &related : diagnostic.related)
                related.line -= diagnostic.line;
            for (Diagnostic::Decision &decision : diagnostic.path)
                decision.line -= diagnostic.line;
            diagnostic.line = 0;
            now.append(std::move(diagnostic));
        }
        if (line.flow != now) {
            line.flow = std::move(now);
            changed.append(i);
        }
    }
}
