#pragma once

#include "checker/diagnostic.h"
#include "checker/load_order_rules.h"
#include "checker/target.h"

#include <QHash>
#include <QVector>

#include <vector>

class ScriptCheck;

// What the lines of one script define and ask of the scripts a server loads with
// it (LoadOrderRules::Uses), kept for the lines that hold any. An edit reads its
// own lines again, and the script's sum costs what the script defines, never its
// length: the editor judges the load order over it once typing pauses.
class LoadLines
{
public:
    // Reads every line of `check`.
    void readAll(const ScriptCheck &check);
    // Follows an edit that put `added` lines in place of `removed` at `first`,
    // just after `check` made it; `alsoChanged` are the other lines it says changed.
    void update(const ScriptCheck &check, int first, int removed, int added, const QVector<int> &alsoChanged);

    // The script's sum, lines numbered as they stand now. A body is named by the
    // line that opens it, plus one: bodies never nest.
    LoadOrderRules::Uses sum() const;
    // How many lines hold anything.
    int keptLines() const { return int(lines_.size()); }

    // What the load order decides for the script judged alone, as a file whose
    // place among the others is not known: a function called by name and defined
    // only further down, a name used twice, a duplicate before its source, a
    // private function of another NPC. By line; what a directive silences is left out.
    QHash<int, Diagnostics> judgeAlone(const ScriptCheck &check, const Target &target) const;

private:
    struct Line
    {
        int number = 0;
        LoadOrderRules::Uses uses; // lines counted from `number`
    };
    void refresh(const ScriptCheck &check, int number);

    std::vector<Line> lines_; // by number
};
