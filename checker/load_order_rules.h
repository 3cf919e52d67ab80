#pragma once

#include "checker/diagnostic.h"
#include "checker/target.h"

#include <QString>
#include <QVector>

#include <vector>

// What today's servers decide as they load script files one after another: a
// function called by its name must be loaded before the script that calls it, a
// duplicate's source before the duplicate, each NPC's unique name is taken by the
// first NPC loaded with it, and another NPC's local function runs only when it is
// public. Each file is summed up once (what its lines define and ask for, with
// their lines) and the files loaded together are judged over those sums, so a
// check costs what the files define, never a file's length per line.
namespace LoadOrderRules {

// A name defined or asked for on a line. `body` says which body: for what a
// definition line defines, the body it opens; for what a body's line asks, the
// body it stands in. Bodies are told apart within one file only.
struct Use
{
    QString name;
    int line = 0;
    int column = 0;
    int length = 0;
    quint64 body = 0;

    friend bool operator==(const Use &a, const Use &b)
    {
        return a.line == b.line && a.column == b.column && a.length == b.length && a.body == b.body &&
               a.name == b.name;
    }
};

// "function Name { ... }" in an NPC's body; `body` is that NPC's.
struct LocalFunction : Use
{
    bool isPublic = false;

    friend bool operator==(const LocalFunction &a, const LocalFunction &b)
    {
        return a.isPublic == b.isPublic && static_cast<const Use &>(a) == static_cast<const Use &>(b);
    }
};

// "\"Ferryman\"::Fare(1)" or callfunctionofnpc("Ferryman","Fare",1): `name` is
// the function, `npc` the NPC's name, the place that of the function's name.
struct NpcCall : Use
{
    QString npc;

    friend bool operator==(const NpcCall &a, const NpcCall &b)
    {
        return a.npc == b.npc && static_cast<const Use &>(a) == static_cast<const Use &>(b);
    }
};

// What a file's lines define and ask for, in line order.
struct Uses
{
    QVector<Use> fileFunctions;    // function<TAB>script<TAB>Name<TAB>{
    QVector<Use> callsByName;      // a name no command or function of the body has
    QVector<Use> npcs;             // unique names of NPCs (script, trader, shops, warps, duplicates)
    QVector<Use> duplicateSources; // the source a duplicate names
    QVector<LocalFunction> localFunctions;
    QVector<NpcCall> npcCalls;

    bool isEmpty() const
    {
        return fileFunctions.isEmpty() && callsByName.isEmpty() && npcs.isEmpty() && duplicateSources.isEmpty() &&
               localFunctions.isEmpty() && npcCalls.isEmpty();
    }
    // Appends `other`, which holds later lines.
    void append(const Uses &other);

    friend bool operator==(const Uses &a, const Uses &b)
    {
        return a.fileFunctions == b.fileFunctions && a.callsByName == b.callsByName && a.npcs == b.npcs &&
               a.duplicateSources == b.duplicateSources && a.localFunctions == b.localFunctions &&
               a.npcCalls == b.npcCalls;
    }
};

// One file as the rules see it.
struct File
{
    QString name; // as messages name it beside a line of it
    Uses uses;
    Target target;        // the servers it is checked for
    int loadPosition = -1; // its place in the server's load order; -1 when unknown
};

// The files a server loads together. `everyFileChecked`: every file of the
// load order is among them, so a name found in none is defined nowhere.
struct World
{
    std::vector<const File *> files;
    bool everyFileChecked = false;
};

// `uses` kept with lines counted from line `number`, placed at that line. A body is
// named by the line that opens it, plus one: `body` is the last one named above,
// and moves to this line when it opens one (bodies never nest).
Uses placedAt(const Uses &uses, int number, quint64 &body);

// What the rules find in each file of `world`, in its order; line numbers filled in.
std::vector<Diagnostics> judge(const World &world);

} // namespace LoadOrderRules
