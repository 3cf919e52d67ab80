#include "checker/script_check.h"

#include "checker/flow_rules.h"

#include <algorithm>

namespace {

// Whether two versions of a line define and jump to the same labels, wherever on the line.
bool sameLabels(const LineFacts &a, const LineFacts &b)
{
    const bool aDefines = a.kind == LineKind::LabelDefinition;
    const bool bDefines = b.kind == LineKind::LabelDefinition;
    if (aDefines != bDefines || (aDefines && a.label != b.label) || a.jumps.size() != b.jumps.size())
        return false;
    for (qsizetype i = 0; i < a.jumps.size(); ++i) {
        if (a.jumps.at(i).label != b.jumps.at(i).label)
            return false;
    }
    return true;
}

} // namespace

struct ScriptCheck::Line : LabelRules::IndexedLine
{
    quint64 id = 0;
    Diagnostics own;    // found in the line alone
    Diagnostics flow;   // found by the brace and menu rules
    Diagnostics labels; // found by the label rules
    bool menuNotClosed = false;
    bool blockNotClosed = false;
    bool changed = false;
    // The state after this line, and the lines it names while they live.
    FlowRules::State after;
    Line *npcLine = nullptr;
    Line *menuLine = nullptr;
};

ScriptCheck::ScriptCheck() = default;
ScriptCheck::~ScriptCheck() = default;

QVector<int> ScriptCheck::replaceLines(int first, int removed, const QStringList &texts, QVector<Tokens> *tokens)
{
    first = std::clamp(first, 0, lineCount());
    removed = std::clamp(removed, 0, lineCount() - first);
    std::vector<LineAnalysis> analyses;
    analyses.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        analyses.push_back(analyseLine(text));
    if (tokens) {
        tokens->clear();
        for (LineAnalysis &analysis : analyses)
            tokens->append(std::move(analysis.tokens));
    }
    if (removed == texts.size()) {
        if (replaceOwnOnly(first, analyses))
            return {};
        rewriteInPlace(first, analyses);
    } else {
        replaceWithNewLines(first, removed, analyses);
    }

    const int end = first + int(texts.size());
    follow(first, end);
    recheckLabels(first, end);
    return numbersOfChanged(first, end);
}

// The lines stay the same objects with the same identity, so that a letter typed
// into a header or a menu leaves the state of the lines after it as it was.
void ScriptCheck::rewriteInPlace(int first, std::vector<LineAnalysis> &analyses)
{
    for (size_t i = 0; i < analyses.size(); ++i) {
        Line &line = *lines_[size_t(first) + i];
        LineAnalysis &analysis = analyses[i];
        if (!sameLabels(line.facts, analysis.facts))
            labels_.remove(&line); // indexed again under its new labels as the rules follow
        line.facts = std::move(analysis.facts);
        line.own = std::move(analysis.diagnostics);
    }
}

void ScriptCheck::replaceWithNewLines(int first, int removed, std::vector<LineAnalysis> &analyses)
{
    for (int i = first; i < first + removed; ++i)
        labels_.remove(lines_[size_t(i)].get());
    std::vector<std::unique_ptr<Line>> fresh;
    fresh.reserve(analyses.size());
    for (LineAnalysis &analysis : analyses) {
        auto line = std::make_unique<Line>();
        line->id = ++lastId_;
        line->facts = std::move(analysis.facts);
        line->own = std::move(analysis.diagnostics);
        fresh.push_back(std::move(line));
    }
    const auto at = lines_.begin() + first;
    lines_.erase(at, at + removed);
    lines_.insert(lines_.begin() + first, std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
}

// Lines keep no number, which would have to be rewritten on every line break:
// the changed ones lie near the edit, so they are looked for outwards from it.
QVector<int> ScriptCheck::numbersOfChanged(int first, int end)
{
    QVector<int> numbers;
    for (int i = first; i < end; ++i)
        lines_[size_t(i)]->changed = false;
    qsizetype left = std::count_if(changed_.cbegin(), changed_.cend(), [](const Line *line) { return line->changed; });
    const auto take = [&](int i) {
        Line &line = *lines_[size_t(i)];
        if (line.changed) {
            line.changed = false;
            numbers.append(i);
            --left;
        }
    };
    for (int step = 1; left > 0 && (first - step >= 0 || end + step - 1 < lineCount()); ++step) {
        if (first - step >= 0)
            take(first - step);
        if (end + step - 1 < lineCount())
            take(end + step - 1);
    }
    changed_.clear();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// An edit that leaves every line's facts as they were changes nothing for the
// other lines: only the lines' own diagnostics are new.
bool ScriptCheck::replaceOwnOnly(int first, std::vector<LineAnalysis> &analyses)
{
    for (size_t i = 0; i < analyses.size(); ++i) {
        if (analyses[i].facts != lines_[size_t(first) + i]->facts)
            return false;
    }
    for (size_t i = 0; i < analyses.size(); ++i)
        lines_[size_t(first) + i]->own = std::move(analyses[i].diagnostics);
    return true;
}

// Runs the brace and menu rules from `first` on, through the new lines up to
// `end` and beyond for as long as a line's state after it comes out different.
void ScriptCheck::follow(int first, int end)
{
    FlowRules::State state;
    Line *npcLine = nullptr;
    Line *menuLine = nullptr;
    if (first > 0) {
        const Line &before = *lines_[size_t(first - 1)];
        state = before.after;
        npcLine = before.npcLine;
        menuLine = before.menuLine;
    }
    for (int i = first; i < lineCount(); ++i) {
        Line &line = *lines_[size_t(i)];
        const FlowRules::Step step = FlowRules::step(state, line.facts, line.id);
        if (step.menuEnd != FlowRules::MenuEnd::Stays)
            setMenuNotClosed(menuLine, step.menuEnd == FlowRules::MenuEnd::NotClosed);
        if (step.endsNpc)
            setBlockNotClosed(npcLine, state.open);
        // A line that opens no menu or block has no such diagnostic to carry.
        if (step.after.menu != line.id)
            setMenuNotClosed(&line, false);
        if (!(step.after.npc == line.id && line.facts.opensBlock))
            setBlockNotClosed(&line, false);
        setFlow(line, step.found);
        if (!line.indexed || line.npc != step.after.npc)
            labels_.add(&line, step.after.npc);

        npcLine = step.after.npc == line.id ? &line : npcLine;
        menuLine = step.after.menu == line.id ? &line : step.after.menu ? menuLine : nullptr;
        const bool settled = i >= end && line.after == step.after;
        line.after = step.after;
        line.npcLine = npcLine;
        line.menuLine = menuLine;
        state = step.after;
        if (settled)
            return; // every later line sees what it saw before
    }
    // The end of the script ends the last NPC and any menu left open in it.
    setMenuNotClosed(menuLine, state.menu != 0);
    setBlockNotClosed(npcLine, state.open);
}

void ScriptCheck::setFlow(Line &line, const Diagnostics &found)
{
    if (line.flow != found) {
        line.flow = found;
        noteChange(line);
    }
}

void ScriptCheck::setMenuNotClosed(Line *line, bool notClosed)
{
    if (line && line->menuNotClosed != notClosed) {
        line->menuNotClosed = notClosed;
        noteChange(*line);
    }
}

void ScriptCheck::setBlockNotClosed(Line *line, bool notClosed)
{
    if (line && line->blockNotClosed != notClosed) {
        line->blockNotClosed = notClosed;
        noteChange(*line);
    }
}

// Lines that share a label with an edited line, and the edited lines themselves,
// whose labels may only have moved along their line.
void ScriptCheck::recheckLabels(int first, int end)
{
    QVector<LabelRules::IndexedLine *> lines = labels_.takeTouched();
    for (int i = first; i < end; ++i)
        lines.append(lines_[size_t(i)].get());
    for (LabelRules::IndexedLine *indexed : std::as_const(lines)) {
        Line &line = *static_cast<Line *>(indexed);
        Diagnostics found = labels_.diagnostics(line);
        if (line.labels != found) {
            line.labels = std::move(found);
            noteChange(line);
        }
    }
}

void ScriptCheck::noteChange(Line &line)
{
    if (!line.changed) {
        line.changed = true;
        changed_.push_back(&line);
    }
}

Diagnostics ScriptCheck::diagnostics(int line) const
{
    if (line < 0 || line >= lineCount())
        return {};
    const Line &entry = *lines_[size_t(line)];
    Diagnostics all = entry.own + entry.flow;
    if (entry.menuNotClosed)
        all.append(FlowRules::menuNotClosed(entry.facts));
    if (entry.blockNotClosed)
        all.append(FlowRules::blockNotClosed(entry.facts));
    all += entry.labels;
    for (Diagnostic &diagnostic : all)
        diagnostic.line = line;
    std::stable_sort(all.begin(), all.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
    return all;
}

Diagnostics ScriptCheck::allDiagnostics() const
{
    Diagnostics all;
    for (int line = 0; line < lineCount(); ++line) {
        const Line &entry = *lines_[size_t(line)];
        if (!entry.own.isEmpty() || !entry.flow.isEmpty() || !entry.labels.isEmpty() || entry.menuNotClosed ||
            entry.blockNotClosed)
            all += diagnostics(line);
    }
    return all;
}

Diagnostics checkScript(const QString &text)
{
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    return check.allDiagnostics();
}
