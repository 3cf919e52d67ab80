#include "checker/script_check.h"

#include "checker/flow_graph.h"
#include "checker/language.h"
#include "checker/script_line.h"
#include "checker/window_rules.h"

#include <functional>
#include <map>

// What each function of the file (function<TAB>script<TAB>Name<TAB>{) does to the
// conversation window, worked out again when a function's body changes, so that a
// call of it in any body applies what it does rather than making the window unknown.
// Functions of other files checked with this one come from the table they are
// given (setOutsideWindows).

namespace {

struct FileFunction
{
    FlowGraph::Graph graph;
    FlowGraph::LineText text;
};

// The names each function looked up while it was followed: those of the file it
// calls, and those it does not define.
struct LookedUp
{
    QHash<QString, QSet<QString>> own;
    QHash<QString, QSet<QString>> outside;

    // The names outside the file that `name` leans on, through the functions of the file it calls.
    QSet<QString> outsideOf(const QString &name) const
    {
        QSet<QString> found;
        QSet<QString> seen{name};
        QStringList next{name};
        while (!next.isEmpty()) {
            const QString at = next.takeLast();
            found.unite(outside.value(at));
            for (const QString &callee : own.value(at)) {
                if (!seen.contains(callee)) {
                    seen.insert(callee);
                    next.append(callee);
                }
            }
        }
        return found;
    }
};

// What each function does, and the names outside the file each leaned on.
struct Summed
{
    QHash<QString, WindowSummary> summaries;
    QHash<QString, QSet<QString>> outsideNames;
};

// Summarises `functions`, those of other files coming from `outside` (none: no
// such function).
using Outside = std::function<std::optional<WindowSummary>(const QString &lowerName)>;
Summed summariseAll(const std::map<QString, FileFunction> &functions, const Commands::Table &commands,
                    const Outside &outside)
{
    WindowSummaryMemo<QString> memo;
    LookedUp lookedUp;
    QStringList following; // the functions being followed, innermost last
    WindowRules::Context context;
    context.commands = &commands;
    context.isFileFunction = [&](const QString &name) {
        if (functions.count(name) != 0) {
            lookedUp.own[following.back()].insert(name);
            return true;
        }
        if (!commands.find(name))
            lookedUp.outside[following.back()].insert(name);
        return outside(name).has_value();
    };
    context.summaryOf = [&](const QString &name) {
        if (functions.count(name) == 0)
            return outside(name).value_or(WindowRules::unknownSummary());
        return memo.get(name, WindowRules::unknownSummary(), [&](const QString &callee) {
            const FileFunction &function = functions.at(callee);
            WindowRules::Context own = context;
            own.text = function.text;
            following.append(callee);
            const WindowSummary summary = WindowRules::summarise(function.graph, own);
            following.removeLast();
            return summary;
        });
    };
    Summed summed;
    for (const auto &[name, function] : functions)
        summed.summaries.insert(name, context.summaryOf(name));
    for (const auto &[name, function] : functions) {
        QSet<QString> leaned = lookedUp.outsideOf(name);
        if (!leaned.isEmpty())
            summed.outsideNames.insert(name, std::move(leaned));
    }
    return summed;
}

// The names whose summary is another in `now`, or is there only on one side.
QSet<QString> changedBetween(const QHash<QString, WindowSummary> &before, const QHash<QString, WindowSummary> &now)
{
    QSet<QString> changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto was = before.constFind(it.key());
        if (was == before.cend() || *was != it.value())
            changed.insert(it.key());
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!now.contains(it.key()))
            changed.insert(it.key());
    }
    return changed;
}

} // namespace

bool ScriptCheck::isOutsideFunction(const QString &lowerName) const
{
    return outside_ && outside_->contains(lowerName) && !commands_->find(lowerName);
}

std::optional<WindowSummary> ScriptCheck::outsideSummary(const QString &lowerName) const
{
    if (!isOutsideFunction(lowerName))
        return std::nullopt;
    return outside_->value(lowerName);
}

// Whether any function's summary changed: the bodies that call it are marked.
bool ScriptCheck::refreshFunctionSummaries()
{
    QHash<quint64, QString> now;
    QVector<std::pair<int, int>> places;
    bool touched = std::exchange(outsideTouched_, false);
    for (const auto &[first, last] : bodies()) {
        const Line &definition = *lines_[size_t(first)];
        if (!definition.definition.isFunction())
            continue;
        now.insert(definition.id, Language::lowered(definition.definition.name));
        places.append({first, last});
        touched = touched || flowDirty_.contains(definition.id);
    }
    if (!touched && now == functionBodies_)
        return false;
    functionBodies_ = std::move(now);

    std::map<QString, FileFunction> functions; // a later definition of a name wins
    for (const auto &[first, last] : std::as_const(places)) {
        const int top = first, bottom = last;
        FlowGraph::LineText text = [this, top, bottom](int line) {
            const int at = top + line;
            return at >= top && at <= bottom ? QStringView(lines_[size_t(at)]->text) : QStringView();
        };
        FlowGraph::Graph graph = FlowGraph::build(flowStepsOf(first, last), text);
        functions[functionBodies_.value(lines_[size_t(first)]->id)] = FileFunction{std::move(graph), std::move(text)};
    }

    Summed summed = summariseAll(functions, *commands_, [this](const QString &name) { return outsideSummary(name); });
    const bool leanedOtherwise = summed.outsideNames != outsideNamesOf_;
    outsideNamesOf_ = std::move(summed.outsideNames);
    const QSet<QString> changed = changedBetween(functionSummaries_, summed.summaries);
    functionSummaries_ = std::move(summed.summaries);
    markCallersOf(changed);
    if (!changed.isEmpty() || leanedOtherwise)
        ++windowsGeneration_;
    return !changed.isEmpty();
}

// Marks the bodies that called or looked up any of `functions` when last judged.
void ScriptCheck::markCallersOf(const QSet<QString> &functions)
{
    if (functions.isEmpty())
        return;
    for (auto it = namesCalledByBody_.cbegin(); it != namesCalledByBody_.cend(); ++it) {
        if (it.value().intersects(functions))
            flowDirty_.insert(it.key());
    }
}
