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

// Takes out the kept lines the edit removed and moves the numbers of those after it.
void Findings::removeAndShift(HeldLines &held, const TextDocument::Edit &edit, bool &offers)
{
    // The lines the edit rewrote keep their places and are read again in place:
    // taking them out and putting them back would move every line after them.
    const int rewritten = std::min(edit.removed, edit.added);
    const auto from = std::lower_bound(held.begin(), held.end(), edit.first + rewritten, byNumber);
    const auto to = std::lower_bound(from, held.end(), edit.first + edit.removed, byNumber);
    offers = offers || std::any_of(from, to, [](const std::unique_ptr<Line> &line) { return offersNames(*line); });
    loadsChanged_ = loadsChanged_ ||
                    std::any_of(from, to, [](const std::unique_ptr<Line> &line) { return !line->loads.isEmpty(); });
    const auto after = held.erase(from, to);
    const int shift = edit.added - edit.removed;
    if (shift == 0)
        return;
    for (auto line = after; line != held.end(); ++line) {
        (*line)->number += shift;
        // Other scripts' findings name the lines of what this one defines.
        loadsChanged_ = loadsChanged_ || !(*line)->loads.isEmpty();
    }
}

bool Findings::update(const ScriptCheck &check, const TextDocument::Edit &edit)
{
    bool offers = false;
    removeAndShift(lines_, edit, offers);
    removeAndShift(loadOnly_, edit, offers);
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

namespace {

// Where line `number` is, or would go, among `held`; and whether it is there.
std::pair<Findings::HeldLines::iterator, bool> placeIn(Findings::HeldLines &held, int number)
{
    const auto place = std::lower_bound(held.begin(), held.end(), number, byNumber);
    return {place, place != held.end() && (*place)->number == number};
}

} // namespace

// Reads line `number` from the check again; true when it offers other files a
// name, or did.
bool Findings::refresh(const ScriptCheck &check, int number)
{
    Line line = read(check, number);
    const bool holdsFindings = !line.diagnostics.isEmpty() || !line.calls.isEmpty() || offersNames(line) ||
                               !line.variables.reads.isEmpty();
    // A line that only asks something of other scripts is kept apart: publishing
    // walks the lines with findings alone, however many NPCs the script holds.
    HeldLines &own = holdsFindings ? lines_ : loadOnly_;
    HeldLines &other = holdsFindings ? loadOnly_ : lines_;
    auto [otherPlace, inOther] = placeIn(other, number);
    std::unique_ptr<Line> moved;
    if (inOther) {
        moved = std::move(*otherPlace);
        other.erase(otherPlace);
    }
    auto [place, present] = placeIn(own, number);
    const Line *before = present ? place->get() : moved.get();
    const bool offers = offersNames(line) || (before && offersNames(*before));
    const bool loadsBefore = before && !before->loads.isEmpty();
    if (loadsBefore || !line.loads.isEmpty()) {
        loadsChanged_ = loadsChanged_ || !loadsBefore || line.loads.isEmpty() || !(before->loads == line.loads) ||
                        before->nameClashSilenced != line.nameClashSilenced;
    }
    const bool holds = holdsFindings || !line.loads.isEmpty();
    if (holds && present)
        **place = std::move(line);
    else if (holds)
        own.insert(place, std::make_unique<Line>(std::move(line)));
    else if (present)
        own.erase(place);
    return offers;
}

// What the checker holds for line `number`, less what the project or a directive silences.
Findings::Line Findings::read(const ScriptCheck &check, int number) const
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
    return line;
}

const Findings::Line *Findings::loadOnlyLine(int number) const
{
    const auto place = std::lower_bound(loadOnly_.begin(), loadOnly_.end(), number, byNumber);
    return place != loadOnly_.end() && (*place)->number == number ? place->get() : nullptr;
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
