#pragma once

#include "server_facts.h"

#include <QByteArray>
#include <QString>

// One reader per kind of file a server's folder holds. Each takes the file's bytes
// and its name (for problems) and returns what it read, or, when the file is
// malformed, nothing but one problem naming the line: a broken file adds nothing.
namespace ServerFolder::Readers {

enum class Table
{
    Items,
    Monsters,
};

// db/constants.conf: `constants_db: { NAME: value ... }`, a value a number or a
// group with `Value:`.
Facts constantsConf(const QByteArray &bytes, const QString &file);
// db/const.txt: `NAME<TAB>value`, sometimes a third column.
Facts constTxt(const QByteArray &bytes, const QString &file);
// db/map_index.txt: a map name per line, an optional number after it.
Facts mapIndex(const QByteArray &bytes, const QString &file);
// item_db.conf and mob_db.conf: a list of groups with Id, AegisName or SpriteName, Name.
Facts entryDbConf(const QByteArray &bytes, const QString &file, Table table);
// item_db.txt and mob_db.txt: id, name for scripts, shown name, then more.
Facts entryDbTxt(const QByteArray &bytes, const QString &file, Table table);
// item_db*.yml and mob_db.yml: a `Body:` list of maps with Id, AegisName, Name.
Facts entryDbYaml(const QByteArray &bytes, const QString &file, Table table);
// skill_db.conf: a list of groups, each skill's `Name:`.
Facts skillDbConf(const QByteArray &bytes, const QString &file);

// A line of npc/scripts*.conf that bears on what loads: `npc:` adds a script,
// `delnpc:` takes one out, `import:` reads another list there.
struct NpcListLine
{
    enum class Kind
    {
        Npc,
        DelNpc,
        Import,
    };
    Kind kind = Kind::Npc;
    QString path;
};

struct NpcList
{
    QList<NpcListLine> lines;
    QList<Problem> problems;
};

NpcList npcList(const QByteArray &bytes, const QString &file);

// The reader's answer for a malformed file.
Facts malformed(const QString &file, int line, const QString &message);
Facts malformed(const Problem &problem);

} // namespace ServerFolder::Readers
