// The server folder reader on small folders written here: each fact it reads
// from each kind of file, and each kind of broken file, which must name its file
// and line and add nothing.
#include "common/code_page.h"
#include "server_folder/file_readers.h"
#include "server_folder/server_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using ServerFolder::Facts;

namespace {

// Writes `files` (path, text, path, text ...) into `dir`.
void writeFolder(const QString &dir, const QStringList &files)
{
    for (qsizetype index = 0; index + 1 < files.size(); index += 2) {
        const QString path = QDir(dir).filePath(files.at(index));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(files.at(index + 1).toUtf8());
    }
}

QString familyName(ServerFolder::Family family)
{
    switch (family) {
    case ServerFolder::Family::ExactCase:
        return QStringLiteral("exact-case");
    case ServerFolder::Family::AnyCase:
        return QStringLiteral("any-case");
    case ServerFolder::Family::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

// Every fact as one line, in a fixed order, so a row can list what it expects.
QStringList factLines(const Facts &facts)
{
    QStringList constants;
    for (auto it = facts.constants.cbegin(); it != facts.constants.cend(); ++it) {
        constants.append(QStringLiteral("constant %1=%2").arg(it.key()).arg(it.value()));
    }
    QStringList maps;
    for (const QString &map : facts.maps) {
        maps.append(QStringLiteral("map ") + map);
    }
    for (const QString &name : facts.deprecatedConstants) {
        constants.append(QStringLiteral("deprecated ") + name);
    }
    std::sort(constants.begin(), constants.end());
    std::sort(maps.begin(), maps.end());
    QStringList lines = constants + maps;
    for (const ServerFolder::Entry &item : facts.items) {
        lines.append(QStringLiteral("item %1 %2 %3").arg(item.id).arg(item.scriptName, item.name));
    }
    for (const ServerFolder::Entry &monster : facts.monsters) {
        lines.append(QStringLiteral("monster %1 %2 %3").arg(monster.id).arg(monster.scriptName, monster.name));
    }
    for (const QString &skill : facts.skills) {
        lines.append(QStringLiteral("skill ") + skill);
    }
    for (const QString &script : facts.loadOrder) {
        lines.append(QStringLiteral("load ") + script);
    }
    if (!facts.commandSource.isEmpty()) {
        lines.append(QStringLiteral("source %1 %2").arg(facts.commandSource, familyName(facts.family)));
    }
    return lines;
}

QString problemText(const Facts &facts)
{
    QStringList problems;
    for (const ServerFolder::Problem &problem : facts.problems) {
        problems.append(QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.message));
    }
    return problems.join(u'\n');
}

} // namespace

class TestServerFolder : public QObject
{
    Q_OBJECT

private slots:
    void read_eachFileFormat_givesItsFacts_data();
    void read_eachFileFormat_givesItsFacts();
    void read_japaneseNames_decodeInEitherEncoding_data();
    void read_japaneseNames_decodeInEitherEncoding();
    void read_brokenFile_namesFileAndLineAndAddsNothing_data();
    void read_brokenFile_namesFileAndLineAndAddsNothing();
    void read_brokenFile_leavesOtherFilesRead();
    void read_emptyFolder_givesNothing();
    void read_largeItemTable_readsEveryItem();
};

void TestServerFolder::read_eachFileFormat_givesItsFacts_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("facts");

    QTest::newRow("constants.conf numbers, notes skipped")
        << QStringList{"db/constants.conf", "constants_db: {\n  Job_Apprentice: 0\n  TopLevel: 0x10\n"
                                            "  comment__: \"a note\"\n  Negative: -3\n}\n"}
        << QStringList{"constant Job_Apprentice=0", "constant Negative=-3", "constant TopLevel=16"};
    QTest::newRow("constants.conf server integers")
        << QStringList{"db/constants.conf", "constants_db: {\n  Flags: 0b101\n  Many: 1_000_000\n  Octal: 0o17\n"
                                            "  HexParts: 0xFF_FF\n}\n"}
        << QStringList{"constant Flags=5", "constant HexParts=65535", "constant Many=1000000", "constant Octal=15"};
    QTest::newRow("constants.conf wider than 32 bits")
        << QStringList{"db/constants.conf", "constants_db: {\n  WideHex: 0x1_0000_0000\n  WideBits: "
                                            "0b1_0000_0000_0000_0000_0000_0000_0000_0000\n"
                                            "  Marked: 6000000000L\n  Minus: -0b11\n  MinusParts: -1_000\n}\n"}
        << QStringList{"constant Marked=6000000000", "constant Minus=-3", "constant MinusParts=-1000",
                       "constant WideBits=4294967296", "constant WideHex=4294967296"};
    QTest::newRow("constants.conf group with Value, boolean, wide")
        << QStringList{"db/constants.conf", "constants_db: {\n  Tagged: { Value: 7 Parameter: true }\n"
                                            "  Yes: true\n  Wide: 5000000000\n}\n"}
        << QStringList{"constant Tagged=7", "constant Wide=5000000000", "constant Yes=1"};
    QTest::newRow("constants.conf deprecated only where marked true")
        << QStringList{"db/constants.conf", "constants_db: {\n  Old_Bell: { Value: 3 Deprecated: true }\n"
                                            "  New_Bell: { Value: 4 Deprecated: false }\n  Plain: 5\n"
                                            "  Odd: { Value: 6 Deprecated: 1 }\n}\n"}
        << QStringList{"constant New_Bell=4", "constant Odd=6", "constant Old_Bell=3", "constant Plain=5",
                       "deprecated Old_Bell"};
    QTest::newRow("const.txt two and three columns")
        << QStringList{"db/const.txt", "// names\nJob_Apprentice\t0\nBaseLevel\t11\t1\r\nMaskBits\t0x20 // hex\n"
                                       "Below -1\n\n"}
        << QStringList{"constant BaseLevel=11", "constant Below=-1", "constant Job_Apprentice=0",
                       "constant MaskBits=32"};
    QTest::newRow("map_index.txt names and numbers")
        << QStringList{"db/map_index.txt", "// maps\nharbor01 1\nhill_town\nfield_03\t7\r\n"}
        << QStringList{"map field_03", "map harbor01", "map hill_town"};
    QTest::newRow("item_db.conf with raw script") << QStringList{"db/re/item_db.conf",
                                                                 R"conf(item_db: (
{
	Id: 601
	AegisName: "Green_Herb_Tea"
	Name: "Green Herb Tea"
	Script: <"
		heal 50,0; // "quoted" \ and 0b11
	">
},
{ Id: 0o1131 AegisName: "Sling_Stone" Name: "Sling 0b11_x // kept" }
)
)conf"} << QStringList{"item 601 Green_Herb_Tea Green Herb Tea", "item 601 Sling_Stone Sling 0b11_x // kept"};
    QTest::newRow("mob_db.conf")
        << QStringList{"db/re/mob_db.conf", "mob_db: (\n{ Id: 1100 SpriteName: \"SAND_CRAB\" Name: \"Sand Crab\" },\n"
                                            "{ Id: 1_101 SpriteName: \"BAT\" }, // the last comma too\n)\n"}
        << QStringList{"monster 1100 SAND_CRAB Sand Crab", "monster 1101 BAT "};
    QTest::newRow("pre-renewal tables when no renewal ones")
        << QStringList{"db/pre-re/item_db.conf", "item_db: ({ Id: 7 AegisName: \"Pebble\" Name: \"Pebble\" })\n"}
        << QStringList{"item 7 Pebble Pebble"};
    QTest::newRow("renewal tables before pre-renewal ones")
        << QStringList{"db/pre-re/skill_db.conf", "skill_db: ({ Id: 1 Name: \"OLD_SKILL\" })\n", "db/re/skill_db.conf",
                       "skill_db: ({ Id: 1 Name: \"NEW_SKILL\" })\n"}
        << QStringList{"skill NEW_SKILL"};
    QTest::newRow("item_db.txt and mob_db.txt")
        << QStringList{"db/item_db.txt", "// id,name,shown,...\n602,Blue_Tonic,Blue Tonic,0,30,,{ heal 0,5; },{}\n",
                       "db/mob_db.txt", "1102,DUNE_WORM,Dune Worm,Dune Worm,12\n"}
        << QStringList{"item 602 Blue_Tonic Blue Tonic", "monster 1102 DUNE_WORM Dune Worm"};
    QTest::newRow("YAML items across files, imports only file, monsters")
        << QStringList{"db/item_db.yml",
                       "Header:\n  Type: ITEM_DB\nFooter:\n  Imports:\n  - Path: db/re/item_db_etc.yml\n",
                       "db/re/item_db_etc.yml",
                       "Header:\n  Type: ITEM_DB\n  Version: 2\nBody:\n  - Id: 603\n    AegisName: Copper_Key\n"
                       "    Name: Copper Key\n    Script: |\n      end;\n",
                       "db/re/mob_db.yml",
                       "Body:\n  - Id: 1103\n    AegisName: MOSS_TOAD\n    Name: Moss Toad\n"}
        << QStringList{"item 603 Copper_Key Copper Key", "monster 1103 MOSS_TOAD Moss Toad"};
    QTest::newRow("YAML fields of nested maps and repeated keys left aside")
        << QStringList{"db/re/item_db.yml",
                       "Body:\n  - Id: 604\n    Trade:\n      Id: 9\n      AegisName: Not_This\n"
                       "    AegisName: Tin_Cup\n    AegisName: Nor_This\n    Jobs: [Id, AegisName]\n"
                       "    Name: Tin Cup\n",
                       "db/re/mob_db.yml", "Body:\n  - {Id: 1104, SpriteName: SAND_TOAD, Id: 1, Name: Sand Toad}\n"}
        << QStringList{"item 604 Tin_Cup Tin Cup", "monster 1104 SAND_TOAD Sand Toad"};
    QTest::newRow("YAML aliases stand for what they name")
        << QStringList{"db/re/item_db.yml", "Header:\n  Shown: &shown Iron Cup\nBody:\n"
                                            "  - &cup {Id: 605, AegisName: Iron_Cup, Name: *shown}\n"
                                            "  - Id: 606\n    AegisName: Iron_Bowl\n    Name: *shown\n"}
        << QStringList{"item 605 Iron_Cup Iron Cup", "item 606 Iron_Bowl Iron Cup"};
    QTest::newRow("skill_db.conf names")
        << QStringList{"db/re/skill_db.conf",
                       "skill_db: (\n{ Id: 1 Name: \"AB_FIRST\" },\n{ Id: 2 Name: \"AB_SECOND\" }\n)\n"}
        << QStringList{"skill AB_FIRST", "skill AB_SECOND"};
    QTest::newRow("load order follows imports, drops repeats and delnpc")
        << QStringList{"npc/scripts_main.conf",
                       "// main\nnpc: npc/town/inn.txt\nimport: npc/scripts_town.conf\nnpc: npc/town/inn.txt\n"
                       "npc: npc/last.txt\ndelnpc: npc/town/gone.txt\n",
                       "npc/scripts_town.conf",
                       "npc: npc/town/shop.txt\nnpc: npc/town/gone.txt\n",
                       "npc/scripts_custom.conf",
                       "npc: npc/custom/extra.txt\n",
                       "npc/other.conf",
                       "npc: npc/never.txt\n"}
        << QStringList{"load npc/town/inn.txt", "load npc/town/shop.txt", "load npc/last.txt",
                       "load npc/custom/extra.txt"};
    QTest::newRow("command source in C") << QStringList{"src/map/script.c", "BUILDIN_DEF(mes,\"?\"),\n"}
                                         << QStringList{"source src/map/script.c exact-case"};
    QTest::newRow("command source in C++") << QStringList{"src/map/script.cpp", "BUILDIN_DEF(mes,\"?\"),\n"}
                                           << QStringList{"source src/map/script.cpp any-case"};
}

void TestServerFolder::read_eachFileFormat_givesItsFacts()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, facts);
    QTemporaryDir dir;
    writeFolder(dir.path(), files);

    const Facts read = ServerFolder::read(dir.path());

    QVERIFY2(read.problems.isEmpty(), qPrintable(problemText(read)));
    QCOMPARE(factLines(read), facts);
}

void TestServerFolder::read_japaneseNames_decodeInEitherEncoding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("bytes");

    const QString line = QStringLiteral("604,Plum_Tea,梅茶・改,0\n");
    const QString conf = QStringLiteral("item_db: ({ Id: 604 AegisName: \"Plum_Tea\" Name: \"梅茶・改\" })\n");
    const QString yaml = QStringLiteral("Body:\n  - Id: 604\n    AegisName: Plum_Tea\n    Name: 梅茶・改\n");
    QTest::newRow("txt in UTF-8") << "db/item_db.txt" << line.toUtf8();
    QTest::newRow("txt in code page 932") << "db/item_db.txt" << CodePage932::encode(line);
    QTest::newRow("conf in code page 932") << "db/re/item_db.conf" << CodePage932::encode(conf);
    QTest::newRow("yml in UTF-8") << "db/re/item_db_usable.yml" << yaml.toUtf8();
}

void TestServerFolder::read_japaneseNames_decodeInEitherEncoding()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QFileInfo(path).path()));
    QFile file(QDir(dir.path()).filePath(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const Facts read = ServerFolder::read(dir.path());

    QVERIFY2(read.problems.isEmpty(), qPrintable(problemText(read)));
    QCOMPARE(factLines(read), QStringList{QStringLiteral("item 604 Plum_Tea 梅茶・改")});
}

void TestServerFolder::read_brokenFile_namesFileAndLineAndAddsNothing_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");

    QTest::newRow("constants.conf syntax")
        << QStringList{"db/constants.conf", "constants_db: {\n  Fine: 1\n  Broken 2\n}\n"} << "db/constants.conf" << 3;
    QTest::newRow("constants.conf fault after a raw string keeps its line")
        << QStringList{"db/constants.conf", "note: <\"one\ntwo\nthree\">\nconstants_db: {\n  A: 1\n  B: ]\n}\n"}
        << "db/constants.conf" << 6;
    QTest::newRow("constants.conf unclosed raw string")
        << QStringList{"db/constants.conf", "constants_db: { A: 1 }\nnote: <\"never closed\n"} << "db/constants.conf"
        << 2;
    QTest::newRow("constants.conf include")
        << QStringList{"db/constants.conf", "constants_db: { A: 1 }\n@include \"/dev/zero\"\n"} << "db/constants.conf"
        << 2;
    QTest::newRow("const.txt value not a number")
        << QStringList{"db/const.txt", "Fine\t1\nBroken\tmany\n"} << "db/const.txt" << 2;
    QTest::newRow("const.txt four columns")
        << QStringList{"db/const.txt", "Fine\t1\n\nWide\t1\t1\t1\n"} << "db/const.txt" << 3;
    QTest::newRow("map_index.txt extra field")
        << QStringList{"db/map_index.txt", "harbor01\nhill_town 2\nfield 3 4\n"} << "db/map_index.txt" << 3;
    QTest::newRow("item_db.conf entry without AegisName")
        << QStringList{"db/re/item_db.conf", "item_db: (\n{ Id: 1 AegisName: \"A\" },\n{\n  Id: 2\n}\n)\n"}
        << "db/re/item_db.conf" << 3;
    QTest::newRow("mob_db.conf not a list")
        << QStringList{"db/re/mob_db.conf", "\nmob_db: { Id: 1 }\n"} << "db/re/mob_db.conf" << 2;
    QTest::newRow("item_db.txt too few columns")
        << QStringList{"db/item_db.txt", "1,A,A\n2,B\n"} << "db/item_db.txt" << 2;
    QTest::newRow("mob_db.txt id not a number")
        << QStringList{"db/mob_db.txt", "// x\nBAT,BAT,Bat\n"} << "db/mob_db.txt" << 2;
    QTest::newRow("YAML syntax") << QStringList{"db/re/item_db_etc.yml",
                                                "Body:\n  - Id: 1\n    AegisName: A\n  - Id: [2\n"}
                                 << "db/re/item_db_etc.yml" << 5;
    QTest::newRow("YAML entry without Id")
        << QStringList{"db/re/mob_db.yml", "Body:\n  - Id: 1\n    AegisName: A\n  - AegisName: B\n"}
        << "db/re/mob_db.yml" << 4;
    QTest::newRow("YAML Body not a list")
        << QStringList{"db/re/item_db.yml", "Header:\n  Type: ITEM_DB\nBody:\n  Id: 1\n  AegisName: A\n"}
        << "db/re/item_db.yml" << 4;
    QTest::newRow("YAML alias of a list as an entry, at the list")
        << QStringList{"db/re/item_db.yml", "Header:\n  Jobs: &jobs [1, 2]\nBody:\n  - {Id: 1, AegisName: A}\n"
                                            "  - *jobs\n"}
        << "db/re/item_db.yml" << 2;
    QTest::newRow("YAML entry whose Id is no number")
        << QStringList{"db/re/item_db.yml", "Body:\n  - Id: 1\n    AegisName: A\n  - Id: two\n    AegisName: B\n"}
        << "db/re/item_db.yml" << 4;
    QTest::newRow("skill_db.conf skill without Name")
        << QStringList{"db/re/skill_db.conf", "skill_db: (\n{ Id: 1 Name: \"A\" },\n{ Id: 2 }\n)\n"}
        << "db/re/skill_db.conf" << 3;
    QTest::newRow("npc list line without key")
        << QStringList{"npc/scripts_main.conf", "npc: npc/a.txt\nnpc/b.txt\n"} << "npc/scripts_main.conf" << 2;
    QTest::newRow("a folder where a file should be") << QStringList{"db/const.txt/inside", ""} << "db/const.txt" << 0;
}

void TestServerFolder::read_brokenFile_namesFileAndLineAndAddsNothing()
{
    QFETCH(QStringList, files);
    QFETCH(QString, file);
    QFETCH(int, line);
    QTemporaryDir dir;
    writeFolder(dir.path(), files);

    const Facts read = ServerFolder::read(dir.path());

    QCOMPARE(read.problems.size(), 1);
    QCOMPARE(read.problems.at(0).file, file);
    QCOMPARE(read.problems.at(0).line, line);
    QCOMPARE(factLines(read), QStringList());
}

void TestServerFolder::read_brokenFile_leavesOtherFilesRead()
{
    QTemporaryDir dir;
    writeFolder(dir.path(), {"db/const.txt", "Broken\tvalue\n", "db/map_index.txt", "harbor01\n"});

    const Facts read = ServerFolder::read(dir.path());

    QCOMPARE(read.problems.size(), 1);
    QCOMPARE(factLines(read), QStringList{"map harbor01"});
}

void TestServerFolder::read_emptyFolder_givesNothing()
{
    QTemporaryDir dir;

    const Facts read = ServerFolder::read(dir.path());

    QVERIFY(read.problems.isEmpty());
    QCOMPARE(factLines(read), QStringList());
    QCOMPARE(read.family, ServerFolder::Family::Unknown);
}

void TestServerFolder::read_largeItemTable_readsEveryItem()
{
    QByteArray table = "item_db: (\n";
    int count = 0;
    while (table.size() < 3 * 1024 * 1024) {
        ++count;
        table += "{\n\tId: " + QByteArray::number(count) + "\n\tAegisName: \"Generated_" + QByteArray::number(count) +
                 "\"\n\tName: \"Generated item\"\n\tType: \"IT_USABLE\"\n\tBuy: 1_000\n\tWeight: 0b1010\n"
                 "\tScript: <\"\n\t\tbonus bStr,1;\n\t\tbonus bAgi,2;\n\t\">\n},\n";
    }
    table += ")\n";
    QTemporaryDir dir;
    writeFolder(dir.path(), {"db/re/item_db.conf", QString::fromLatin1(table)});

    QElapsedTimer timer;
    timer.start();
    const Facts read = ServerFolder::read(dir.path());
    qInfo("read a %lld-byte item_db.conf (%d items) in %lld ms", qlonglong(table.size()), count, timer.elapsed());

    QVERIFY2(read.problems.isEmpty(), qPrintable(problemText(read)));
    QCOMPARE(read.items.size(), count);
    QCOMPARE(read.items.last().scriptName, QStringLiteral("Generated_%1").arg(count));
}

QTEST_GUILESS_MAIN(TestServerFolder)
#include "test_server_folder.moc"
