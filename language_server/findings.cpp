#include "language_server/findings.h"

#include "checker/rules.h"
#include "checker/variable_rules.h"

#include <algorithm>

namespace Lsp {

namespace {

auto byNumber = [](const std::unique_ptr<Findings::Line> &line, int number) { return line->number < number; };

// Whether the line offers other files a name: a function, or a player variable set.
bool offersNames(const Findings::Line &line)
{
    return !line.function.name.isEmpty() || !line.variables.sets.isEmpty();
}

} // namespace

Findings::Findings(const ScriptCheck &check, FindingPolicy policy) : policy_(std::move(policy))
{
    for (int number = 0; number < check.lineCount(); ++number)
        refresh(check, number);
}

bool Findings::update(const ScriptCheck &check, const TextDocument::Edit &edit)
{
    // The lines the edit rewrote keep their places and are read again in place:
    // taking them out and putting them back would move every line after them.
    const int rewritten = std::min(edit.removed, edit.added);
    const auto from = std::lower_bound(lines_.begin(), lines_.end(), edit.first + rewritten, byNumber);
    const auto to = std::lower_bound(from, lines_.end(), edit.first + edit.removed, byNumber);
    bool offers = std::any_of(from, to, [](const std::unique_ptr<Line> &line) { return offersNames(*line); });
    loadsChanged_ = loadsChanged_ ||
                    std::any_of(from, to, [](const std::unique_ptr<Line> &line) { return !line->loads.isEmpty(); });
    const auto after = lines_.erase(from, to);
    const int shift = edit.added - edit.removed;
    if (shift != 0) {
        for (auto line = after; line != lines_.end(); ++line) {
            (*line)->number += shift;
            // Other scripts' findings name the lines of what this one defines.
            loadsChanged_ = loadsChanged_ || !(*line)->loads.isEmpty();
        }
    }
    // The lines the check read again besides: a comment or body the edit opened or
    // closed changes what they define without changing what is found on them.
    const auto [readFrom, readTo] = check.linesReadLast();
    const int readFirst = std::min(edit.first, readFrom);
    const int readEnd = std::max(edit.first + edit.added, std::min(readTo, check.lineCount()));
    for (int number = readFirst; number < readEnd; ++number)
        offers = refresh(check, number) || offers;
    for (int number : edit.alsoChanged)
        offers = refresh(check, number) || offers;
    return offers;
}

// Reads line `number` from the check again; true when it offers other files a
// name, or did.
bool Findings::refresh(const ScriptCheck &check, int number)
{
    Line line;
    line.number = number;
    line.diagnostics = check.diagnostics(number);
    policy_.apply(line.diagnostics);
    // A call or a read whose warning a directive or the project silences is judged no further.
    static const QString undefinedFunction = Rules::code(Rule::UndefinedFunction);
    static const QString neverSet = Rules::code(Rule::VariableNeverSet);
    if (!policy_.disabled.contains(undefinedFunction) && !check.silenced(number, undefinedFunction))
        line.calls = check.callsOn(number);
    line.function = check.functionDefinedOn(number);
    for (const Diagnostic &found : std::as_const(line.diagnostics)) {
        if (found.rule == Rule::UnknownFunctionByName)
            line.byName.append({check.text(number).mid(found.column, found.length), found.column, found.length});
    }
    line.variables = check.playerVariablesOn(number);
    if (!line.variables.reads.isEmpty() && (policy_.disabled.contains(neverSet) || check.silenced(number, neverSet)))
        line.variables.reads.clear();
    readLoads(check, number, line);
    const bool holds = !line.diagnostics.isEmpty() || !line.calls.isEmpty() || offersNames(line) ||
                       !line.variables.reads.isEmpty() || !line.loads.isEmpty();
    const auto place = std::lower_bound(lines_.begin(), lines_.end(), number, byNumber);
    const bool present = place != lines_.end() && (*place)->number == number;
    const bool offers = offersNames(line) || (present && offersNames(**place));
    const bool loadsBefore = present && !(*place)->loads.isEmpty();
    if (loadsBefore || !line.loads.isEmpty()) {
        loadsChanged_ = loadsChanged_ || !loadsBefore || line.loads.isEmpty() || !((*place)->loads == line.loads) ||
                        (*place)->nameClashSilenced != line.nameClashSilenced;
    }
    if (holds && present)
        **place = std::move(line);
    else if (holds)
        lines_.insert(place, std::make_unique<Line>(std::move(line)));
    else if (present)
        lines_.erase(place);
    return offers;
}

// What line `number` asks of the scripts loaded with it, less what is silenced
// there, with lines counted from it: the line moves with edits above it.
void Findings::readLoads(const ScriptCheck &check, int number, Line &line) const
{
    line.loads = check.loadUsesOn(number);
    const auto silenced = [&](Rule rule) {
        const QString code = Rules::code(rule);
        return policy_.disabled.contains(code) || check.silenced(number, code);
    };
    if (silenced(Rule::FunctionLoadedLater))
        line.loads.callsByName.clear();
    if (silenced(Rule::DuplicateSourceNotLoaded))
        line.loads.duplicateSources.clear();
    if (silenced(Rule::PrivateFunctionOfNpc))
        line.loads.npcCalls.clear();
    line.nameClashSilenced = !line.loads.npcs.isEmpty() && silenced(Rule::UniqueNameTaken);
    const auto relative = [number](auto &uses) {
        for (LoadOrderRules::Use &use : uses)
            use.line -= number;
    };
    relative(line.loads.fileFunctions);
    relative(line.loads.callsByName);
    relative(line.loads.npcs);
    relative(line.loads.duplicateSources);
    relative(line.loads.localFunctions);
    relative(line.loads.npcCalls);
}

QSet<QString> Findings::functionNames() const
{
    QSet<QString> names;
    for (const Line &line : lines()) {
        if (!line.function.name.isEmpty())
            names.insert(line.function.name);
    }
    return names;
}

QHash<QString, QString> Findings::playerVariablesSet() const
{
    QHash<QString, QString> set;
    for (const Line &line : lines()) {
        for (const ScriptCheck::VariableUse &variable : line.variables.sets) {
            const QString key = VariableRules::keyOf(variable.name);
            if (!set.contains(key))
                set.insert(key, variable.name);
        }
    }
    return set;
}

} // namespace Lsp
