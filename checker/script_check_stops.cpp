#include "checker/script_check.h"

#include "checker/rules.h"
#include "checker/script_line.h"

#include <algorithm>

// Where today's servers stop reading the file (TW331): the first line read as a
// definition line that splits into fewer than three tab fields. Each line marks
// itself as a pass reads it; the store keeps the first of them and its number as
// edits move it, so that adding or mending such a line reads no line below it. Only
// when the first is mended or removed is the next one looked for after the edit.

void ScriptCheck::forgetStop(const Line &gone)
{
    stopLines_.remove(&gone);
    if (&gone == firstStop_) {
        firstStop_ = nullptr;
        firstStopNumber_ = -1;
    }
}

void ScriptCheck::noteStop(const Line &line, bool before)
{
    const bool now = line.stopColumn >= 0;
    if (now && !before)
        stopLines_.insert(&line);
    else if (before && !now)
        stopLines_.remove(&line);
}

// The first line from `from` on that stops the servers, or -1. With few such lines
// each is looked for among the line pointers, which costs no visit to a line;
// with many, one of them lies near.
int ScriptCheck::firstStopAfter(int from) const
{
    constexpr qsizetype kFew = 16;
    if (stopLines_.isEmpty() || from >= lineCount())
        return -1;
    if (stopLines_.size() <= kFew) {
        auto nearest = lines_.cend();
        for (const Line *stop : stopLines_) {
            const auto at = std::find_if(lines_.cbegin() + from, nearest,
                                         [stop](const std::unique_ptr<Line> &line) { return line.get() == stop; });
            nearest = std::min(nearest, at);
        }
        return nearest == lines_.cend() ? -1 : int(nearest - lines_.cbegin());
    }
    for (int i = from; i < lineCount(); ++i) {
        if (lines_[size_t(i)]->stopColumn >= 0)
            return i;
    }
    return -1;
}

// Lines [first, first + removed) became `added` lines; lines kept in place keep their number.
void ScriptCheck::moveFirstStop(int first, int removed, int added)
{
    if (firstStop_ && firstStopNumber_ >= first + removed)
        firstStopNumber_ += added - removed;
}

// After a walk: a line it read may now come first, or the first may be gone. No line
// above the walk stops the servers unless the first one does, which then stays.
void ScriptCheck::settleFirstStop(const StopsSeen &seen)
{
    const bool mended = firstStop_ && firstStop_->stopColumn < 0;
    if (seen.firstStop >= 0 && (!firstStop_ || mended || seen.firstStop <= firstStopNumber_)) {
        firstStop_ = lines_[size_t(seen.firstStop)].get();
        firstStopNumber_ = seen.firstStop;
        return;
    }
    if (firstStop_ && !mended)
        return;
    firstStopNumber_ = firstStopAfter(seen.to + 1);
    firstStop_ = firstStopNumber_ < 0 ? nullptr : lines_[size_t(firstStopNumber_)].get();
}

// The lines outside the edit [first, end) whose TW331 came or went, or whose count
// of lines lost changed with lines added or removed.
void ScriptCheck::addStopNumbers(QVector<int> &numbers, const StopNote &before, int first, int end,
                                 const StopsSeen &seen, bool linesMoved) const
{
    const auto add = [&](int number) {
        if (number >= first && number < end)
            return; // the edit's own lines are the caller's
        const auto at = std::lower_bound(numbers.begin(), numbers.end(), number);
        if (at == numbers.end() || *at != number)
            numbers.insert(at, number);
    };
    if (before.line && before.line != firstStop_)
        add(before.number);
    if (firstStop_ && (firstStop_ != before.line || linesMoved || seen.read(firstStopNumber_)))
        add(firstStopNumber_);
}

Diagnostic ScriptCheck::stopFinding(int number) const
{
    const Line &line = *lines_[size_t(number)];
    // The server reports the line even where nothing follows it.
    const int lost = lineCount() - number - 1;
    const QString what =
        lost > 0 ? QStringLiteral("後の%1行を読みません").arg(lost) : QStringLiteral("エラーを出します");
    return Rules::judged(Rule::RestOfFileUnread, commands_->target(), Target::kToday, 0, 0, line.stopColumn,
                         line.stopLength, {what});
}
