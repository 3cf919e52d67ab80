#pragma once

#include "checker/diagnostic.h"

#include <QHash>
#include <QVector>

// Findings judged for the whole script now and then (once typing pauses), which
// move with the lines they stand on until they are judged again. An edit that adds
// or removes lines is only noted, and a line's findings are looked up through the
// edits since: a line break costs the same however many findings the script has.
class MovingFindings
{
public:
    // Takes findings judged now, by line; returns the lines whose findings changed.
    QVector<int> replace(QHash<int, Diagnostics> found);
    // `newCount` lines took the place of `oldCount` at `first`. The findings of
    // lines removed go with them; lines rewritten keep theirs until judged again.
    void linesReplaced(int first, int oldCount, int newCount);

    // The findings of `line` as numbered now, `line` filled in.
    Diagnostics on(int line) const;
    // All of them, lines filled in, in no order.
    Diagnostics all() const;
    // All of them by line as numbered now.
    QHash<int, Diagnostics> byLine() const { return shifts_.isEmpty() ? judged_ : current(); }
    bool isEmpty() const { return judged_.isEmpty(); }

private:
    struct Shift
    {
        int first;
        int oldCount;
        int newCount;
    };
    // Where a line judged at `line` stands now, or -1 when an edit removed it.
    int now(int line) const;
    Diagnostics moved(int line, Diagnostics found) const;
    QHash<int, Diagnostics> current() const;

    // Edits noted before the findings are moved at once (a look-up goes through
    // each): typing that never pauses moves them once in this many line breaks.
    static constexpr int kMostShifts = 1024;

    QHash<int, Diagnostics> judged_; // by line as numbered when judged
    QVector<Shift> shifts_;          // edits since, in order
};
