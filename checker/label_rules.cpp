#include "checker/label_rules.h"

#include "checker/rules.h"

#include <algorithm>

namespace LabelRules {

namespace {

QString folded(const QString &label)
{
    return label.toCaseFolded();
}

QSet<QString> jumpKeys(const LineFacts &facts)
{
    QSet<QString> keys;
    for (const LabelUse &use : facts.jumps)
        keys.insert(folded(use.label));
    return keys;
}

bool jumpsTo(const IndexedLine &line, const QString &label)
{
    return std::any_of(line.facts.jumps.cbegin(), line.facts.jumps.cend(),
                       [&](const LabelUse &use) { return use.label == label; });
}

} // namespace

void Index::add(IndexedLine *line, quint64 npc)
{
    if (line->indexed)
        remove(line);
    line->npc = npc;
    line->indexed = true;
    const LineFacts &facts = line->facts;
    if (facts.kind == LineKind::LabelDefinition && !facts.label.isEmpty()) {
        const Key key{npc, folded(facts.label)};
        groups_[key].definitions.append(line);
        touched_.insert(key);
    }
    for (const QString &label : jumpKeys(facts)) {
        const Key key{npc, label};
        groups_[key].jumps.append(line);
        touched_.insert(key);
    }
}

void Index::remove(IndexedLine *line)
{
    if (!line->indexed)
        return;
    line->indexed = false;
    const auto forget = [&](const Key &key, QVector<IndexedLine *> Group::*list) {
        const auto group = groups_.find(key);
        if (group == groups_.end())
            return;
        ((*group).*list).removeOne(line);
        if (group->definitions.isEmpty() && group->jumps.isEmpty())
            groups_.erase(group);
        touched_.insert(key);
    };
    const LineFacts &facts = line->facts;
    if (facts.kind == LineKind::LabelDefinition && !facts.label.isEmpty())
        forget(Key{line->npc, folded(facts.label)}, &Group::definitions);
    for (const QString &label : jumpKeys(facts))
        forget(Key{line->npc, label}, &Group::jumps);
}

QVector<IndexedLine *> Index::takeTouched()
{
    QSet<IndexedLine *> lines;
    for (const Key &key : std::as_const(touched_)) {
        const auto group = groups_.constFind(key);
        if (group == groups_.cend())
            continue;
        for (IndexedLine *line : group->definitions)
            lines.insert(line);
        for (IndexedLine *line : group->jumps)
            lines.insert(line);
    }
    touched_.clear();
    return QVector<IndexedLine *>(lines.cbegin(), lines.cend());
}

Diagnostics Index::diagnostics(const IndexedLine &line) const
{
    Diagnostics found;
    const LineFacts &facts = line.facts;
    const auto groupOf = [&](const QString &label) { return groups_.value(Key{line.npc, folded(label)}); };
    if (facts.kind == LineKind::LabelDefinition && !facts.label.isEmpty()) {
        const Group group = groupOf(facts.label);
        const auto same = std::count_if(group.definitions.cbegin(), group.definitions.cend(),
                                        [&](const IndexedLine *other) { return other->facts.label == facts.label; });
        if (same > 1)
            found.append(Rules::make(Rule::DuplicateLabel, 0, facts.anchorColumn, facts.anchorLength, {facts.label}));
        if (std::none_of(group.jumps.cbegin(), group.jumps.cend(),
                         [&](const IndexedLine *other) { return jumpsTo(*other, facts.label); }))
            found.append(Rules::make(Rule::UnusedLabel, 0, facts.anchorColumn, facts.anchorLength, {facts.label}));
    }
    for (const LabelUse &use : facts.jumps) {
        const Group group = groupOf(use.label);
        QString otherCase;
        bool defined = false;
        for (const IndexedLine *definition : group.definitions) {
            const QString &label = definition->facts.label;
            defined = defined || label == use.label;
            if (otherCase.isEmpty() || label < otherCase)
                otherCase = label; // the same choice whatever order the lines were indexed in
        }
        if (defined)
            continue;
        if (otherCase.isEmpty())
            found.append(Rules::make(Rule::UndefinedLabel, 0, use.column, use.length, {use.label}));
        else
            found.append(Rules::make(Rule::UndefinedLabelOtherCase, 0, use.column, use.length, {use.label, otherCase}));
    }
    return found;
}

} // namespace LabelRules
