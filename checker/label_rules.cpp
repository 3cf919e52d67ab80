#include "checker/label_rules.h"

#include "checker/rules.h"
#include "checker/statement_parser.h"

#include <QVarLengthArray>

#include <algorithm>

namespace LabelRules {

namespace {

const Index::Group kNoGroup;

// Each key the line holds, once.
template <typename Visit> void forEachKey(const IndexedLine &line, Visit visit)
{
    QVarLengthArray<const QString *, 8> seen;
    for (const QVector<LabelUse> *uses : {&line.defines, &line.jumps}) {
        for (const LabelUse &use : *uses) {
            if (std::none_of(seen.cbegin(), seen.cend(), [&](const QString *key) { return *key == use.key; })) {
                seen.append(&use.key);
                visit(use.key);
            }
        }
    }
}

} // namespace

QString keyOf(const QString &label)
{
    // Labels are mostly ASCII, which folds without the Unicode tables.
    if (std::all_of(label.cbegin(), label.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString key = label;
        for (QChar &c : key) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        return key;
    }
    return label.toCaseFolded();
}

namespace {

void count(QHash<QString, int> &counts, const QString &key, int by)
{
    const int now = counts.value(key) + by;
    if (now > 0)
        counts.insert(key, now);
    else
        counts.remove(key);
}

// Adds (by 1) or takes away (by -1) what `line` holds under `key` from `group`.
void tally(Index::Group &group, const IndexedLine &line, const QString &key, int by)
{
    for (const LabelUse &use : line.defines) {
        if (use.key == key)
            count(group.definedCount, use.label, by);
    }
    for (const LabelUse &use : line.jumps) {
        if (use.key == key) {
            count(group.jumpCount, use.label, by);
            count(group.lowerJumpCount, use.label.toLower(), by);
        }
    }
}

bool holdsKey(const QVector<LabelUse> &uses, const QString &key)
{
    return std::any_of(uses.cbegin(), uses.cend(), [&](const LabelUse &use) { return use.key == key; });
}

} // namespace

void Index::add(IndexedLine *line)
{
    if (line->indexed)
        remove(line);
    line->indexed = true;
    if (line->body == 0)
        return;
    forEachKey(*line, [&](const QString &label) {
        const Key key{line->body, label};
        Group &group = groups_[key];
        if (holdsKey(line->defines, label))
            group.definitions.append(line);
        if (holdsKey(line->jumps, label))
            group.jumps.append(line);
        tally(group, *line, label, 1);
        touched_.insert(key);
    });
}

void Index::remove(IndexedLine *line)
{
    if (!line->indexed)
        return;
    line->indexed = false;
    if (line->body == 0)
        return;
    forEachKey(*line, [&](const QString &label) {
        const Key key{line->body, label};
        const auto group = groups_.find(key);
        if (group == groups_.end())
            return;
        group->definitions.removeOne(line);
        group->jumps.removeOne(line);
        tally(*group, *line, label, -1);
        if (group->definitions.isEmpty() && group->jumps.isEmpty())
            groups_.erase(group);
        touched_.insert(key);
    });
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

const Index::Group *Index::group(quint64 body, const QString &label) const
{
    const auto found = groups_.constFind(Key{body, keyOf(label)});
    return found == groups_.cend() ? nullptr : &found.value();
}

Diagnostics Index::diagnostics(const IndexedLine &line) const
{
    Diagnostics found;
    if (line.body == 0)
        return found;
    for (const LabelUse &definition : line.defines) {
        const auto entry = groups_.constFind(Key{line.body, definition.key});
        const Group &group = entry == groups_.cend() ? kNoGroup : entry.value();
        if (group.definedCount.value(definition.label) > 1)
            found.append(
                Rules::make(Rule::DuplicateLabel, 0, definition.column, definition.length, {definition.label}));
        if (StatementParser::isEventLabel(definition.label))
            continue;
        // A jump is looked up in lower case first: any spelling reaches a label written
        // all in lower case, and a label spelt otherwise only a jump spelt as it is,
        // when no lower-case label takes that jump first.
        const QString lower = definition.label.toLower();
        const bool used = definition.label == lower
                              ? group.lowerJumpCount.contains(lower)
                              : group.jumpCount.contains(definition.label) && !group.definedCount.contains(lower);
        if (!used)
            found.append(Rules::make(Rule::UnusedLabel, 0, definition.column, definition.length, {definition.label}));
    }
    for (const LabelUse &jump : line.jumps) {
        const auto entry = groups_.constFind(Key{line.body, jump.key});
        const Group &group = entry == groups_.cend() ? kNoGroup : entry.value();
        if (group.definedCount.contains(jump.label) || group.definedCount.contains(jump.label.toLower()))
            continue;
        QString otherCase;
        for (auto spelling = group.definedCount.cbegin(); spelling != group.definedCount.cend(); ++spelling) {
            if (otherCase.isEmpty() || spelling.key() < otherCase)
                otherCase = spelling.key(); // the same hint whatever order the lines were indexed in
        }
        if (otherCase.isEmpty())
            found.append(Rules::make(Rule::UndefinedLabel, 0, jump.column, jump.length, {jump.label}));
        else
            found.append(
                Rules::make(Rule::UndefinedLabelOtherCase, 0, jump.column, jump.length, {jump.label, otherCase}));
    }
    return found;
}

} // namespace LabelRules
