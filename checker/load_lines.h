#pragma once

#include "checker/diagnostic.h"
#include "checker/load_order_rules.h"
#include "checker/target.h"

#include <QHash>
#include <QVector>

#include <memory>
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
    int keptLines() const;

    // What the load order decides for the script judged alone, as a file whose
    // place among the others is not known: a function called by name and defined
    // only further down, a name used twice, a duplicate before its source, a
    // private function of another NPC. By line; what a directive silences is left out.
    QHash<int, Diagnostics> judgeAlone(const ScriptCheck &check, const Target &target) const;

private:
    // The kept lines in chunks of a few hundred, each numbered from its chunk's base:
    // a line break moves the lines of one chunk and the bases of the others, never
    // every kept line.
    struct Line
    {
        int offset = 0;                             // its number less its chunk's base
        std::unique_ptr<LoadOrderRules::Uses> uses; // lines counted from its own
    };
    struct Chunk
    {
        int base = 0;
        std::vector<Line> lines; // by number, never empty
        int first() const { return base + lines.front().offset; }
    };
    static constexpr size_t kChunkLines = 256;

    size_t chunkFor(int number) const;
    void removeLines(int first, int end);
    void shiftFrom(int number, int by);
    void refresh(const ScriptCheck &check, int number);
    static void addPlaced(const LoadOrderRules::Uses &uses, int number, quint64 &body, LoadOrderRules::Uses &sum);

    std::vector<Chunk> chunks_; // by number
};
