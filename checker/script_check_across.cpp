#include "checker/script_check.h"

#include "checker/script_line.h"

// What the functions of other files checked with this one do to the window: the
// table they come in, and what this file's functions and bodies leaned on of it.

namespace {

std::optional<WindowSummary> entryOf(const WindowAcross::Table *table, const QString &name)
{
    if (!table)
        return std::nullopt;
    const auto found = table->constFind(name);
    return found != table->cend() ? std::optional<WindowSummary>(*found) : std::nullopt;
}

} // namespace

bool ScriptCheck::setOutsideWindows(std::shared_ptr<const WindowAcross::Table> table)
{
    if (table == outside_)
        return false;
    const std::shared_ptr<const WindowAcross::Table> before = std::exchange(outside_, std::move(table));
    // Only the names this file looked up are compared: the table holds the whole workspace's.
    QSet<QString> asked;
    for (const QSet<QString> &names : std::as_const(namesCalledByBody_))
        asked.unite(names);
    for (const QSet<QString> &names : std::as_const(outsideNamesOf_))
        asked.unite(names);
    QSet<QString> changed;
    for (const QString &name : std::as_const(asked)) {
        if (!functionSummaries_.contains(name) && !commands_->find(name) &&
            entryOf(before.get(), name) != entryOf(outside_.get(), name))
            changed.insert(name);
    }
    if (changed.isEmpty())
        return false;
    const qsizetype dirtyBefore = flowDirty_.size();
    markCallersOf(changed);
    for (const QSet<QString> &names : std::as_const(outsideNamesOf_)) {
        if (names.intersects(changed)) {
            outsideTouched_ = true;
            ++windowsGeneration_;
            break;
        }
    }
    return flowDirty_.size() != dirtyBefore || outsideTouched_;
}

WindowAcross::FileWindows ScriptCheck::functionWindows()
{
    refreshFunctionSummaries();
    WindowAcross::FileWindows windows;
    for (auto function = functionSummaries_.cbegin(); function != functionSummaries_.cend(); ++function) {
        WindowAcross::FunctionWindow window{function.value(), {}};
        for (const QString &name : outsideNamesOf_.value(function.key()))
            window.leanedOn.insert(name, outsideSummary(name));
        windows.insert(function.key(), std::move(window));
    }
    return windows;
}

QSet<QString> ScriptCheck::namesLookedUpOutside() const
{
    QSet<QString> names;
    for (const QSet<QString> &called : namesCalledByBody_) {
        for (const QString &name : called) {
            if (!functionSummaries_.contains(name) && !names.contains(name) && !commands_->find(name))
                names.insert(name);
        }
    }
    return names;
}
