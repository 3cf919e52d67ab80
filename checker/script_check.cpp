#include "checker/script_check.h"

#include "checker/block_rules.h"

#include <algorithm>

struct ScriptCheck::Line
{
    LineFacts facts;
    Diagnostics own;     // found in the line alone
    Diagnostics context; // found by the rules that look across lines
};

ScriptCheck::ScriptCheck() = default;
ScriptCheck::~ScriptCheck() = default;

QVector<int> ScriptCheck::replaceLines(int first, int removed, const QStringList &lines)
{
    first = std::clamp(first, 0, lineCount());
    removed = std::clamp(removed, 0, lineCount() - first);
    std::vector<std::unique_ptr<Line>> fresh;
    fresh.reserve(lines.size());
    bool sameFacts = removed == lines.size();
    for (int i = 0; i < lines.size(); ++i) {
        LineAnalysis analysis = analyseLine(lines.at(i));
        auto line = std::make_unique<Line>();
        line->facts = std::move(analysis.facts);
        line->own = std::move(analysis.diagnostics);
        if (sameFacts) {
            const Line &old = *lines_[size_t(first + i)];
            sameFacts = old.facts == line->facts;
            line->context = old.context;
        }
        fresh.push_back(std::move(line));
    }
    const auto at = lines_.begin() + first;
    if (removed == int(fresh.size())) {
        std::move(fresh.begin(), fresh.end(), at);
    } else {
        lines_.erase(at, at + removed);
        lines_.insert(lines_.begin() + first, std::make_move_iterator(fresh.begin()),
                      std::make_move_iterator(fresh.end()));
    }
    // Lines with the same facts as before give every other line what it had.
    if (sameFacts)
        return {};

    const int end = first + int(lines.size());
    const int from = npcStart(first > 0 ? first - 1 : 0);
    const int to = nextNpcStart(end);
    QVector<int> changed;
    for (int start = from; start < to;) {
        const int stop = std::min(nextNpcStart(start + 1), to);
        const QVector<Diagnostics> found = BlockRules::check(factsOf(start, stop));
        for (int i = start; i < stop; ++i) {
            Diagnostics &context = lines_[size_t(i)]->context;
            const Diagnostics &now = found.at(i - start);
            if (context != now) {
                if (i < first || i >= end)
                    changed.append(i);
                context = now;
            }
        }
        start = stop;
    }
    return changed;
}

Diagnostics ScriptCheck::diagnostics(int line) const
{
    if (line < 0 || line >= lineCount())
        return {};
    const Line &entry = *lines_[size_t(line)];
    Diagnostics all = entry.own + entry.context;
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
        if (!entry.own.isEmpty() || !entry.context.isEmpty())
            all += diagnostics(line);
    }
    return all;
}

QVector<const LineFacts *> ScriptCheck::factsOf(int from, int to) const
{
    QVector<const LineFacts *> facts;
    facts.reserve(to - from);
    for (int i = from; i < to; ++i)
        facts.append(&lines_[size_t(i)]->facts);
    return facts;
}

// The header line that begins the NPC holding `line`, or 0 before the first header.
int ScriptCheck::npcStart(int line) const
{
    while (line > 0 && !BlockRules::startsBlock(lines_[size_t(line)]->facts))
        --line;
    return line;
}

// The first header line at or after `line`, or the line count.
int ScriptCheck::nextNpcStart(int line) const
{
    while (line < lineCount() && !BlockRules::startsBlock(lines_[size_t(line)]->facts))
        ++line;
    return line;
}

Diagnostics checkScript(const QString &text)
{
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    return check.allDiagnostics();
}
