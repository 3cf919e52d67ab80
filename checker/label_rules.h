#pragma once

#include "checker/diagnostic.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

// The rules about labels: a jump must reach a label of its own body, a label is
// defined once, and something jumps to it. The index knows, per body, which lines
// define or jump to each label, so an edit re-checks only the lines that share a
// label with it.
namespace LabelRules {

// How labels are filed: labels differing only in case share a key.
QString keyOf(const QString &label);

struct LabelUse
{
    LabelUse() = default;
    LabelUse(const QString &label, int column, int length)
        : label(label), key(keyOf(label)), column(column), length(length)
    {
    }
    QString label;
    QString key;
    int column = 0;
    int length = 0;
    friend bool operator==(const LabelUse &a, const LabelUse &b)
    {
        return a.label == b.label && a.column == b.column && a.length == b.length;
    }
    friend bool operator!=(const LabelUse &a, const LabelUse &b) { return !(a == b); }
};

struct IndexedLine
{
    QVector<LabelUse> defines;
    QVector<LabelUse> jumps;
    quint64 body = 0; // the body it is indexed under; 0 for none
    bool indexed = false;
};

class Index
{
public:
    // Indexes `line` under its body with the labels it holds now.
    void add(IndexedLine *line);
    // Forgets `line` under the labels it was added with; call before they change.
    void remove(IndexedLine *line);

    // The lines that share a label with a line added or removed since the last call.
    QVector<IndexedLine *> takeTouched();

    // What the label rules find in `line`, which must be indexed; line number 0.
    Diagnostics diagnostics(const IndexedLine &line) const;

    // The labels `line` defines and the jumps to each, for tools that navigate.
    struct Group
    {
        QVector<IndexedLine *> definitions;
        QVector<IndexedLine *> jumps;
        // How often each spelling is defined and jumped to, so that a label
        // defined or reached many times is judged without counting anew.
        QHash<QString, int> definedCount;
        QHash<QString, int> jumpCount;      // by the jump's own spelling
        QHash<QString, int> lowerJumpCount; // by the jump in lower case
    };
    // The group of `label` in `body`, or nullptr.
    const Group *group(quint64 body, const QString &label) const;

private:
    // Labels differing only in case share a group, so that a jump to "l_yes" can
    // point at "L_Yes".
    using Key = QPair<quint64, QString>;

    QHash<Key, Group> groups_;
    QSet<Key> touched_;
};

} // namespace LabelRules
