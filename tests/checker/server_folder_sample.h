#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

// A small hand-written server folder for the rules that need one: maps harbor01
// and hill_town; items 601 Green_Herb_Tea, 602 Blue_Tonic, 603 Copper_Key;
// monsters 1100 SAND_CRAB and 1101 BAT; constants Job_Apprentice, BaseLevel,
// Harbor_Bell, the NPC sprites FAKE_NPC, HIDDEN_NPC, 4_M_SAILOR and 4_F_NURSE,
// and Harbor_Horn, deprecated; skill AB_FIRST; a command source of the
// exact-case family that adds "harborbell".
namespace SampleServer {

// Path and text, in pairs.
inline QStringList files()
{
    return {QStringLiteral("db/map_index.txt"),
            QStringLiteral("harbor01 1\nhill_town 2\n"),
            QStringLiteral("db/item_db.txt"),
            QStringLiteral("601,Green_Herb_Tea,Green Herb Tea,0\n602,Blue_Tonic,Blue Tonic,0\n"
                           "603,Copper_Key,Copper Key,3\n"),
            QStringLiteral("db/mob_db.txt"),
            QStringLiteral("1100,SAND_CRAB,Sand Crab,Sand Crab,12\n1101,BAT,Bat,Bat,3\n"),
            QStringLiteral("db/const.txt"),
            QStringLiteral("Job_Apprentice\t0\nBaseLevel\t11\t1\nHarbor_Bell\t7\nFAKE_NPC\t-1\nHIDDEN_NPC\t111\n"
                           "4_M_SAILOR\t100\n4_F_NURSE\t101\n"),
            QStringLiteral("db/constants.conf"),
            QStringLiteral("constants_db: {\n  Harbor_Horn: { Value: 9 Deprecated: true }\n}\n"),
            QStringLiteral("db/re/skill_db.conf"),
            QStringLiteral("skill_db: ({ Id: 1 Name: \"AB_FIRST\" })\n"),
            QStringLiteral("src/map/script.c"),
            QStringLiteral("BUILDIN_DEF(mes,\"s*\"),\nBUILDIN_DEF(harborbell,\"i\"),\n")};
}

// Writes `pairs` of path and text under `dir`; false when a file cannot be written.
inline bool write(const QString &dir, const QStringList &pairs = files())
{
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        const QString path = QDir(dir).filePath(pairs.at(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        const QByteArray bytes = pairs.at(i + 1).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

} // namespace SampleServer
