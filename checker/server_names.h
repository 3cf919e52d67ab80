#pragma once

#include "server_folder/server_facts.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// The names a server's folder knows, indexed once when the folder is read, for
// the rules that look up every map, item, monster and bare name a script uses.
// Names are looked up without regard to case.
class ServerNames
{
public:
    explicit ServerNames(std::shared_ptr<const ServerFolder::Facts> facts);

    const ServerFolder::Facts &facts() const { return *facts_; }

    // A map of the list, as the script writes it: "harbor01.tsg" is "harbor01".
    bool isMap(QStringView name) const;
    // By number, or by the name scripts use or players see.
    const ServerFolder::Entry *item(qint64 id) const;
    const ServerFolder::Entry *itemNamed(QStringView name) const;
    const ServerFolder::Entry *monster(qint64 id) const;
    const ServerFolder::Entry *monsterNamed(QStringView name) const;
    // A constant, item, monster, skill or map.
    bool isKnown(QStringView name) const;
    // Whether the server would not know `name` as an NPC's sprite: not FAKE_NPC nor
    // HIDDEN_NPC, no constant and no monster's name. Judged only where the folder's
    // constants hold the NPC sprites (they define FAKE_NPC or HIDDEN_NPC), and a name
    // led by a digit only where they hold such names: libconfig's tables cannot, so
    // a server with one defines those in its source.
    bool isUnknownSprite(QStringView name) const;
    // A constant the table marks deprecated, as the folder's family matches names:
    // with their case, or without regard to it.
    bool isDeprecatedConstant(QStringView name) const;
    bool hasDeprecatedConstants() const { return !deprecated_.isEmpty(); }

    // Whether the folder gave a whole table to judge names by: one with entries,
    // none of whose files was broken. A missing or broken table makes no name unknown.
    bool judgesMaps() const { return judgesMaps_; }
    bool judgesItems() const { return judgesItems_; }
    bool judgesMonsters() const { return judgesMonsters_; }
    // Every file read whole, so that a name none of them knows is unknown to the server.
    bool knowsEveryName() const { return facts_->problems.isEmpty(); }

    // The item's script name nearest to `name`, or empty when none is a few letters away.
    QString nearestItem(QStringView name) const;
    // The known name nearest to `name`, as the folder spells it, or empty.
    QString nearestKnown(QStringView name) const;
    // The constant or monster name nearest to an unknown sprite name, or empty.
    QString nearestSprite(QStringView name) const;

    // Names by lower case with their spelling, and grouped by length with the
    // letters each holds, so that a near name is looked for among few.
    class Index
    {
    public:
        void add(const QString &name);
        bool contains(QStringView name) const;
        QString nearest(QStringView name) const;

    private:
        struct Known
        {
            quint64 letters; // a bit for each letter, digit or "_" it holds
            QString lower;
        };
        QHash<QString, QString> spelling_;
        std::vector<std::vector<Known>> byLength_;
    };

private:
    std::shared_ptr<const ServerFolder::Facts> facts_;
    QHash<qint64, const ServerFolder::Entry *> itemsById_;
    QHash<QString, const ServerFolder::Entry *> itemsByName_; // lower case
    QHash<qint64, const ServerFolder::Entry *> monstersById_;
    QHash<QString, const ServerFolder::Entry *> monstersByName_;
    QHash<QString, bool> maps_; // lower case
    QSet<QString> constants_;   // lower case
    QSet<QString> deprecated_;  // as written, or in lower case for the family that ignores case
    Index itemScriptNames_;
    Index known_;   // constants, items' and monsters' script names, skills, maps
    Index sprites_; // constants and monsters' script names
    bool judgesMaps_ = false;
    bool judgesItems_ = false;
    bool judgesMonsters_ = false;
    bool judgesSprites_ = false;
    bool judgesSpritesLedByDigits_ = false;
};
