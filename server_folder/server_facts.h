#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What a game server's own folder says about the scripts it loads, as plain
// values. Each reader fills one of these from one file; the folder's reader
// merges them.
namespace ServerFolder {

// The two families of today's servers differ in how strictly they read scripts;
// the command source's file name tells which one a folder holds.
enum class Family
{
    Unknown,
    ExactCase, // src/map/script.c: names match with their case
    AnyCase,   // src/map/script.cpp: names match without regard to case
};

struct Problem
{
    QString file; // relative to the folder, with '/'
    int line = 0; // from 1; 0 when the file could not be read at all
    QString message;
};

// An item or a monster: its number, the name scripts use for it (an item's
// AegisName, a monster's SpriteName) and the name players see.
struct Entry
{
    qint64 id = 0;
    QString scriptName;
    QString name;
};

struct Facts
{
    QHash<QString, qint64> constants;
    // Constants the table marks `Deprecated: true`: still read, but a script
    // should name them no more.
    QSet<QString> deprecatedConstants;
    QSet<QString> maps;
    QList<Entry> items;
    QList<Entry> monsters;
    QStringList skills;
    QStringList loadOrder; // script paths as the npc: lines name them, first loaded first
    QString commandSource; // relative path, empty when the folder has none
    Family family = Family::Unknown;
    QList<Problem> problems;
};

} // namespace ServerFolder
