#include "checker/server_names.h"

#include "checker/spelling.h"

#include <QStringList>
#include <QtAlgorithms>

#include <algorithm>

namespace {

using ServerFolder::Entry;

QString lower(QStringView name)
{
    return name.toString().toLower();
}

// By id, then by the name scripts use, then by the name players see: the first
// entry of a number or name wins, as the server keeps the first it reads.
void indexEntries(const QList<Entry> &entries, QHash<qint64, const Entry *> &byId,
                  QHash<QString, const Entry *> &byName)
{
    byId.reserve(entries.size());
    byName.reserve(entries.size() * 2);
    for (const Entry &entry : entries) {
        if (!byId.contains(entry.id))
            byId.insert(entry.id, &entry);
    }
    for (QString Entry::*name : {&Entry::scriptName, &Entry::name}) {
        for (const Entry &entry : entries) {
            const QString key = lower(entry.*name);
            if (!key.isEmpty() && !byName.contains(key))
                byName.insert(key, &entry);
        }
    }
}

// Whether a table is whole: entries read, and no file of the table (its name
// begins with `table`) broken.
bool whole(const ServerFolder::Facts &facts, qsizetype entries, QStringView table)
{
    for (const ServerFolder::Problem &problem : facts.problems) {
        if (QStringView(problem.file).sliced(problem.file.lastIndexOf(u'/') + 1).startsWith(table))
            return false;
    }
    return entries > 0;
}

// The views every server of today defines beside the NPC sprites: invisible, and
// no sprite but clickable. A table that holds neither holds no NPC sprite.
bool isNpcViewConstant(const QString &lower)
{
    return lower == u"fake_npc" || lower == u"hidden_npc";
}

// Letters a typo may differ by: one in a short name, two in a longer one.
int limitFor(qsizetype length)
{
    return length <= 5 ? 1 : 2;
}

} // namespace

namespace {

// A change, an added or a dropped letter changes at most two of these bits, a
// swap none: names whose bits differ in more than twice the limit are further apart.
quint64 lettersOf(QStringView lower)
{
    quint64 bits = 0;
    for (const QChar c : lower) {
        const char16_t u = c.unicode();
        const int bit = u >= u'a' && u <= u'z' ? u - u'a' : u >= u'0' && u <= u'9' ? 26 + (u - u'0') : 36 + u % 28;
        bits |= quint64(1) << bit;
    }
    return bits;
}

} // namespace

void ServerNames::Index::add(const QString &name)
{
    if (name.isEmpty())
        return;
    const QString key = lower(name);
    if (spelling_.contains(key))
        return;
    spelling_.insert(key, name);
    if (byLength_.size() <= size_t(key.size()))
        byLength_.resize(size_t(key.size()) + 1);
    byLength_[size_t(key.size())].push_back({lettersOf(key), key});
}

bool ServerNames::Index::contains(QStringView name) const
{
    return spelling_.contains(lower(name));
}

QString ServerNames::Index::nearest(QStringView name) const
{
    const QString key = lower(name);
    const quint64 letters = lettersOf(key);
    const int limit = limitFor(key.size());
    QString best;
    int bestDistance = limit + 1;
    // Only names within the limit's letters of its length can be that close.
    const qsizetype from = std::max<qsizetype>(0, key.size() - limit);
    const qsizetype to = std::min<qsizetype>(qsizetype(byLength_.size()) - 1, key.size() + limit);
    for (qsizetype length = from; length <= to; ++length) {
        for (const Known &known : byLength_[size_t(length)]) {
            if (int(qPopulationCount(known.letters ^ letters)) > 2 * limit)
                continue;
            const int d = Spelling::distance(key, known.lower, limit);
            // Ties go to the first in spelling order, so that the hint does not depend on the folder's order.
            if (d < bestDistance || (d == bestDistance && d <= limit && known.lower < best)) {
                bestDistance = d;
                best = known.lower;
            }
        }
    }
    return bestDistance <= limit && bestDistance > 0 ? spelling_.value(best) : QString();
}

ServerNames::ServerNames(std::shared_ptr<const ServerFolder::Facts> facts) : facts_(std::move(facts))
{
    indexEntries(facts_->items, itemsById_, itemsByName_);
    indexEntries(facts_->monsters, monstersById_, monstersByName_);
    for (const QString &map : facts_->maps) {
        maps_.insert(lower(map), true);
        known_.add(map);
    }
    for (const Entry &item : facts_->items) {
        itemScriptNames_.add(item.scriptName);
        known_.add(item.scriptName);
    }
    for (const Entry &monster : facts_->monsters) {
        known_.add(monster.scriptName);
        sprites_.add(monster.scriptName);
    }
    constants_.reserve(facts_->constants.size());
    for (auto constant = facts_->constants.cbegin(); constant != facts_->constants.cend(); ++constant) {
        known_.add(constant.key());
        sprites_.add(constant.key());
        constants_.insert(lower(constant.key()));
    }
    const bool anyCase = facts_->family == ServerFolder::Family::AnyCase;
    for (const QString &constant : facts_->deprecatedConstants)
        deprecated_.insert(anyCase ? lower(constant) : constant);
    for (const QString &skill : facts_->skills)
        known_.add(skill);
    judgesMaps_ = whole(*facts_, facts_->maps.size(), u"map_index");
    judgesItems_ = whole(*facts_, facts_->items.size(), u"item_db");
    judgesMonsters_ = whole(*facts_, facts_->monsters.size(), u"mob_db");
    judgesSprites_ =
        whole(*facts_, facts_->constants.size(), u"const") &&
        (constants_.contains(QStringLiteral("fake_npc")) || constants_.contains(QStringLiteral("hidden_npc")));
    judgesSpritesLedByDigits_ =
        judgesSprites_ && std::any_of(constants_.cbegin(), constants_.cend(),
                                      [](const QString &name) { return !name.isEmpty() && name.front().isDigit(); });
}

bool ServerNames::isMap(QStringView name) const
{
    if (maps_.contains(lower(name)))
        return true;
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && maps_.contains(lower(name.first(dot)));
}

const Entry *ServerNames::item(qint64 id) const
{
    return itemsById_.value(id);
}

const Entry *ServerNames::itemNamed(QStringView name) const
{
    return itemsByName_.value(lower(name));
}

const Entry *ServerNames::monster(qint64 id) const
{
    return monstersById_.value(id);
}

const Entry *ServerNames::monsterNamed(QStringView name) const
{
    return monstersByName_.value(lower(name));
}

bool ServerNames::isKnown(QStringView name) const
{
    return known_.contains(name) || isMap(name);
}

bool ServerNames::isUnknownSprite(QStringView name) const
{
    if (!judgesSprites_ || name.isEmpty() || (name.front().isDigit() && !judgesSpritesLedByDigits_))
        return false;
    const QString key = lower(name);
    return !isNpcViewConstant(key) && !constants_.contains(key) && !monstersByName_.contains(key);
}

bool ServerNames::isDeprecatedConstant(QStringView name) const
{
    if (deprecated_.isEmpty())
        return false;
    return facts_->family == ServerFolder::Family::AnyCase ? deprecated_.contains(lower(name))
                                                           : deprecated_.contains(name.toString());
}

QString ServerNames::nearestItem(QStringView name) const
{
    return itemScriptNames_.nearest(name);
}

QString ServerNames::nearestKnown(QStringView name) const
{
    return known_.nearest(name);
}

QString ServerNames::nearestSprite(QStringView name) const
{
    return sprites_.nearest(name);
}
