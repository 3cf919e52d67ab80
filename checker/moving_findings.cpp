#include "checker/moving_findings.h"

QVector<int> MovingFindings::replace(QHash<int, Diagnostics> found)
{
    const QHash<int, Diagnostics> before = shifts_.isEmpty() ? std::move(judged_) : current();
    QVector<int> changed;
    for (auto line = found.cbegin(); line != found.cend(); ++line) {
        if (before.value(line.key()) != *line)
            changed.append(line.key());
    }
    for (auto line = before.cbegin(); line != before.cend(); ++line) {
        if (!found.contains(line.key()))
            changed.append(line.key());
    }
    judged_ = std::move(found);
    shifts_.clear();
    return changed;
}

void MovingFindings::linesReplaced(int first, int oldCount, int newCount)
{
    if (judged_.isEmpty() || oldCount == newCount)
        return;
    shifts_.append({first, oldCount, newCount});
    if (shifts_.size() > kMostShifts) {
        judged_ = current();
        shifts_.clear();
    }
}

int MovingFindings::now(int line) const
{
    for (const Shift &shift : shifts_) {
        if (line >= shift.first + shift.oldCount)
            line += shift.newCount - shift.oldCount;
        else if (line >= shift.first + shift.newCount)
            return -1;
    }
    return line;
}

Diagnostics MovingFindings::on(int line) const
{
    // Back through the edits to the line's number when judged.
    for (auto shift = shifts_.crbegin(); shift != shifts_.crend(); ++shift) {
        if (line >= shift->first + shift->newCount)
            line -= shift->newCount - shift->oldCount;
        else if (line >= shift->first + shift->oldCount)
            return {}; // a line the edit added
    }
    const auto found = judged_.constFind(line);
    return found == judged_.cend() ? Diagnostics{} : moved(now(line), *found);
}

// `found` with its line, and the places it relates, as numbered now.
Diagnostics MovingFindings::moved(int line, Diagnostics found) const
{
    for (Diagnostic &diagnostic : found) {
        diagnostic.line = line;
        // A place an edit removed is no longer pointed at.
        QVector<Diagnostic::Related> kept;
        for (Diagnostic::Related related : std::as_const(diagnostic.related)) {
            related.line = now(related.line);
            if (related.line >= 0)
                kept.append(std::move(related));
        }
        diagnostic.related = std::move(kept);
    }
    return found;
}

QHash<int, Diagnostics> MovingFindings::current() const
{
    QHash<int, Diagnostics> moved;
    for (auto line = judged_.cbegin(); line != judged_.cend(); ++line) {
        const int number = now(line.key());
        if (number >= 0)
            moved.insert(number, this->moved(number, *line));
    }
    return moved;
}

Diagnostics MovingFindings::all() const
{
    Diagnostics all;
    for (auto line = judged_.cbegin(); line != judged_.cend(); ++line) {
        const int number = now(line.key());
        if (number >= 0)
            all += moved(number, *line);
    }
    return all;
}
