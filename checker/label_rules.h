#pragma once

#include "checker/diagnostic.h"
#include "checker/line_analysis.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QVector>

// The rules about labels: a menu must jump to a label of its own NPC, a label is
// defined once and some menu jumps to it. The index knows, per NPC, which lines
// define or jump to each label, so an edit re-checks only the lines that share a
// label with it.
namespace LabelRules {

struct IndexedLine
{
    LineFacts facts;
    quint64 npc = 0; // the NPC it is indexed under
    bool indexed = false;
};

class Index
{
public:
    void add(IndexedLine *line, quint64 npc);
    void remove(IndexedLine *line);

    // The lines that share a label with a line added or removed since the last call.
    QVector<IndexedLine *> takeTouched();

    // What the label rules find in `line`, which must be indexed; line number 0.
    Diagnostics diagnostics(const IndexedLine &line) const;

private:
    struct Group
    {
        QVector<IndexedLine *> definitions;
        QVector<IndexedLine *> jumps;
    };
    // Labels differing only in case share a group, so that a jump to "l_yes" can
    // point at "L_Yes".
    using Key = QPair<quint64, QString>;

    QHash<Key, Group> groups_;
    QSet<Key> touched_;
};

} // namespace LabelRules
