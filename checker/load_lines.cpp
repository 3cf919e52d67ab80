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

} // namespace

void LoadLines::readAll(const ScriptCheck &check)
{
    chunks_.clear();
    for (int number = 0; number < check.lineCount(); ++number)
        refresh(check, number);
}

int LoadLines::keptLines() const
{
    size_t kept = 0;
    for (const Chunk &chunk : chunks_)
        kept += chunk.lines.size();
    return int(kept);
}

void LoadLines::update(const ScriptCheck &check, int first, int removed, int added, const QVector<int> &alsoChanged)
{
    removeLines(first, first + removed);
    if (added != removed)
        shiftFrom(first + removed, added - removed);
    // What the check read again: the edited lines, the statement around them and
    // the lines below whose comment, body or statement the edit changed.
    const auto [readFrom, readTo] = check.linesReadLast();
    for (int number = std::min(readFrom, first); number < std::max(readTo, first + added); ++number)
        refresh(check, number);
    for (const int number : alsoChanged)
        refresh(check, number);
}

// The chunk that holds `number`, or would: the last one beginning at or above it.
size_t LoadLines::chunkFor(int number) const
{
    const auto after = std::upper_bound(chunks_.cbegin(), chunks_.cend(), number,
                                        [](int at, const Chunk &chunk) { return at < chunk.first(); });
    return after == chunks_.cbegin() ? 0 : size_t(after - chunks_.cbegin() - 1);
}

void LoadLines::removeLines(int first, int end)
{
    for (size_t index = chunkFor(first); index < chunks_.size() && chunks_[index].first() < end;) {
        Chunk &chunk = chunks_[index];
        const auto from = std::lower_bound(chunk.lines.begin(), chunk.lines.end(), first - chunk.base,
                                           [](const Line &line, int offset) { return line.offset < offset; });
        const auto to = std::lower_bound(from, chunk.lines.end(), end - chunk.base,
                                         [](const Line &line, int offset) { return line.offset < offset; });
        chunk.lines.erase(from, to);
        if (chunk.lines.empty())
            chunks_.erase(chunks_.begin() + qsizetype(index));
        else
            ++index;
    }
}

void LoadLines::shiftFrom(int number, int by)
{
    for (size_t index = chunkFor(number); index < chunks_.size(); ++index) {
        Chunk &chunk = chunks_[index];
        if (chunk.first() >= number) {
            chunk.base += by;
            continue;
        }
        for (Line &line : chunk.lines) {
            if (chunk.base + line.offset >= number)
                line.offset += by;
        }
    }
}

void LoadLines::refresh(const ScriptCheck &check, int number)
{
    LoadOrderRules::Uses uses = check.loadUsesOn(number);
    if (chunks_.empty() && uses.isEmpty())
        return;
    if (chunks_.empty()) {
        shiftAll(uses, -number);
        chunks_.push_back({number, {}});
        chunks_.back().lines.push_back({0, std::make_unique<LoadOrderRules::Uses>(std::move(uses))});
        return;
    }
    const size_t index = chunkFor(number);
    Chunk &chunk = chunks_[index];
    const auto place = std::lower_bound(chunk.lines.begin(), chunk.lines.end(), number - chunk.base,
                                        [](const Line &line, int offset) { return line.offset < offset; });
    const bool present = place != chunk.lines.end() && chunk.base + place->offset == number;
    if (uses.isEmpty()) {
        if (present)
            chunk.lines.erase(place);
        if (chunk.lines.empty())
            chunks_.erase(chunks_.begin() + qsizetype(index));
        return;
    }
    shiftAll(uses, -number);
    auto kept = std::make_unique<LoadOrderRules::Uses>(std::move(uses));
    if (present) {
        place->uses = std::move(kept);
        return;
    }
    chunk.lines.insert(place, {number - chunk.base, std::move(kept)});
    if (chunk.lines.size() > 2 * kChunkLines) {
        Chunk second{chunk.base, {}};
        second.lines.assign(std::make_move_iterator(chunk.lines.begin() + kChunkLines),
                            std::make_move_iterator(chunk.lines.end()));
        chunk.lines.erase(chunk.lines.begin() + kChunkLines, chunk.lines.end());
        chunks_.insert(chunks_.begin() + qsizetype(index) + 1, std::move(second));
    }
}

LoadOrderRules::Uses LoadLines::sum() const
{
    LoadOrderRules::Uses sum;
    quint64 body = 0;
    for (const Chunk &chunk : chunks_) {
        for (const Line &line : chunk.lines)
            addPlaced(*line.uses, chunk.base + line.offset, body, sum);
    }
    return sum;
}

// The uses of the kept line at `number`, placed there, added to `sum`.
void LoadLines::addPlaced(const LoadOrderRules::Uses &uses, int number, quint64 &body, LoadOrderRules::Uses &sum)
{
    sum.append(LoadOrderRules::placedAt(uses, number, body));
}

QHash<int, Diagnostics> LoadLines::judgeAlone(const ScriptCheck &check, const Target &target) const
{
    QHash<int, Diagnostics> byLine;
    if (chunks_.empty())
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
