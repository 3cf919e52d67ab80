#include "checker/load_lines.h"

#include "checker/rules.h"
#include "checker/script_check.h"

#include <algorithm>

namespace {

template <typename List> void shiftLines(List &uses, int by)
{
    for (auto &use : uses)
        use.line += by;
}

void shiftAll(LoadOrderRules::Uses &uses, int by)
{
    shiftLines(uses.fileFunctions, by);
    shiftLines(uses.callsByName, by);
    shiftLines(uses.npcs, by);
    shiftLines(uses.duplicateSources, by);
    shiftLines(uses.localFunctions, by);
    shiftLines(uses.npcCalls, by);
}

// Whether the line opens a body: a function of the file, or an NPC with one.
bool opensBody(const LoadOrderRules::Uses &uses)
{
    return !uses.fileFunctions.isEmpty() ||
           std::any_of(uses.npcs.cbegin(), uses.npcs.cend(), [](const auto &npc) { return npc.body != 0; });
}

} // namespace

void LoadLines::readAll(const ScriptCheck &check)
{
    lines_.clear();
    for (int number = 0; number < check.lineCount(); ++number)
        refresh(check, number);
}

void LoadLines::update(const ScriptCheck &check, int first, int removed, int added, const QVector<int> &alsoChanged)
{
    const auto byNumber = [](const Line &line, int number) { return line.number < number; };
    const auto from = std::lower_bound(lines_.begin(), lines_.end(), first, byNumber);
    const auto to = std::lower_bound(from, lines_.end(), first + removed, byNumber);
    const auto after = lines_.erase(from, to);
    if (added != removed) {
        for (auto line = after; line != lines_.end(); ++line)
            line->number += added - removed;
    }
    // What the check read again: the edited lines, the statement around them and
    // the lines below whose comment, body or statement the edit changed.
    const auto [readFrom, readTo] = check.linesReadLast();
    for (int number = std::min(readFrom, first); number < std::max(readTo, first + added); ++number)
        refresh(check, number);
    for (const int number : alsoChanged)
        refresh(check, number);
}

void LoadLines::refresh(const ScriptCheck &check, int number)
{
    const auto place = std::lower_bound(lines_.begin(), lines_.end(), number,
                                        [](const Line &line, int at) { return line.number < at; });
    const bool present = place != lines_.end() && place->number == number;
    LoadOrderRules::Uses uses = check.loadUsesOn(number);
    if (uses.isEmpty()) {
        if (present)
            lines_.erase(place);
        return;
    }
    shiftAll(uses, -number);
    if (present)
        place->uses = std::move(uses);
    else
        lines_.insert(place, {number, std::move(uses)});
}

LoadOrderRules::Uses LoadLines::sum() const
{
    LoadOrderRules::Uses sum;
    quint64 body = 0;
    for (const Line &line : lines_) {
        LoadOrderRules::Uses placed = line.uses;
        if (opensBody(placed))
            body = quint64(line.number) + 1;
        shiftAll(placed, line.number);
        // What a definition line defines names the body it opens; what a body's
        // line asks names the body it stands in.
        const auto own = [&](auto &uses) {
            for (auto &use : uses)
                use.body = use.body != 0 ? body : 0;
        };
        const auto within = [&](auto &uses) {
            for (auto &use : uses)
                use.body = body;
        };
        own(placed.fileFunctions);
        own(placed.npcs);
        own(placed.duplicateSources);
        within(placed.callsByName);
        within(placed.localFunctions);
        within(placed.npcCalls);
        sum.append(placed);
    }
    return sum;
}

QHash<int, Diagnostics> LoadLines::judgeAlone(const ScriptCheck &check, const Target &target) const
{
    QHash<int, Diagnostics> byLine;
    if (lines_.empty())
        return byLine;
    LoadOrderRules::File file;
    file.uses = sum();
    file.target = target;
    LoadOrderRules::World world;
    world.files.push_back(&file);
    std::vector<Diagnostics> judged = LoadOrderRules::judge(world);
    for (Diagnostic &found : judged.front()) {
        if (!check.silenced(found.line, found.code))
            byLine[found.line].append(std::move(found));
    }
    return byLine;
}
