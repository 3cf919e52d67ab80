// The rules only a server's folder makes possible (TW6xx), on a small hand-written
// folder: where each fires, where it stays silent, and the table that carries the
// folder to the checker.
#include "checker/explanations.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "checker/server_names.h"
#include "checker/server_table.h"
#include "checker_test_support.h"
#include "server_folder/server_folder.h"
#include "server_folder_sample.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// An NPC standing on a map the sample folder knows, holding `body` from line 2.
QString onHarbor(const QString &body)
{
    return QStringLiteral("harbor01.tsg,1,2,0\tscript\tA\t1,{\n") + body + QStringLiteral("\n}");
}

std::shared_ptr<const Commands::Table> sampleTable(const Commands::Table &base = *Commands::Table::builtIn(),
                                                   bool keepRows = false)
{
    static QTemporaryDir dir;
    static const ServerTable::Folder folder = [] {
        const bool written = SampleServer::write(dir.path());
        Q_ASSERT(written);
        return ServerTable::read(dir.path());
    }();
    return ServerTable::forFolder(folder, base, keepRows);
}

Diagnostics checked(const QString &script, std::shared_ptr<const Commands::Table> table)
{
    ScriptCheck check(std::move(table));
    check.replaceLines(0, 0, script.split(u'\n'));
    check.updateFlow();
    return check.allDiagnostics();
}

// Only the codes a server's folder makes possible: the sample scripts are not whole conversations.
QStringList serverFindings(const Diagnostics &found)
{
    QStringList lines = described(found);
    lines.removeIf([](const QString &line) {
        return !line.contains(QStringLiteral(" TW6")) && !line.contains(QStringLiteral(" TW332"));
    });
    return lines;
}

} // namespace

class ServerRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_withTheFolder_fireWhereTheServerKnowsNoName_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, const QString &script, const QStringList &expected) {
            QTest::newRow(name) << script << expected;
        };
        // Definition lines.
        row("place on an unknown map", "harbour01.tsg,1,2,0\tscript\tA\t1,{\n\tend;\n}", {"1:1 TW601"});
        row("place on a known map, any case", "Harbor01.tsg,1,2,0\tscript\tA\t1,{\n\tend;\n}", {});
        row("floating NPC has no map", "-\tscript\tA\t-1,{\n\tend;\n}", {});
        row("function definition has no map", "function\tscript\tF_Toll\t{\n\treturn;\n}", {});
        row("warp to an unknown map", "harbor01.tsg,5,5\twarp\tW\t1,1,hill_twn.tsg,3,3", {"1:29 TW601"});
        row("warp to a known map", "harbor01.tsg,5,5\twarp\tW\t1,1,hill_town.tsg,3,3", {});
        row("mapflag on an unknown map", "hill_twon.tsg\tmapflag\tnosave", {"1:1 TW601"});
        row("shop item the table lacks", "harbor01.tsg,1,1,4\tshop\tS\t83,601:50,6020:40", {"1:37 TW602"});
        row("shop items all known", "harbor01.tsg,1,1,4\tshop\tS\t83,601:50,0x25A:-1", {});
        row("monster line, unknown id", "harbor01.tsg,0,0,0,0\tmonster\tCrab\t1010,5,0,0", {"1:35 TW603"});
        row("monster line, known id", "harbor01.tsg,0,0,0,0\tmonster\tCrab\t1100,5,0,0", {});
        // Statements.
        row("warp to an unknown map in a body", onHarbor("\twarp \"hill_twon.tsg\",20,30;"), {"2:7 TW601"});
        row("warp to a known map in a body", onHarbor("\twarp \"hill_town.tsg\",20,30;"), {});
        row("warp to the save point", onHarbor("\twarp \"SavePoint\",0,0;"), {});
        row("item number the table lacks", onHarbor("\tgetitem 6020,1;"), {"2:10 TW604"});
        row("item name the table lacks", onHarbor("\tdelitem \"Blue_Tonik\",1;"), {"2:10 TW604"});
        row("item by the name players see", onHarbor("\tgetitem \"blue tonic\",1;"), {});
        row("item counted inside a condition", onHarbor("\tif (countitem(6020) > 0) end;"), {"2:16 TW604"});
        row("item of a later argument is not judged", onHarbor("\tgetitem 601,6020;"), {});
        row("monster command, unknown id", onHarbor("\tmonster \"harbor01.tsg\",1,1,\"Crab\",1010,1;"), {"2:36 TW603"});
        row("monster command, random monster", onHarbor("\tmonster \"harbor01.tsg\",1,1,\"Crab\",-1,1;"), {});
        // Bare names.
        row("constant misspelt", onHarbor("\tif (BaseLevle > 10) end;"), {"2:6 TW605"});
        row("item name misspelt as a bare argument", onHarbor("\tgetitem Blue_Tonik,1;"), {"2:10 TW605"});
        row("constant in another case", onHarbor("\tif (baselevel > 10) end;"), {});
        row("name near nothing known", onHarbor("\tif (quest_progress > 1) end;"), {});
        row("near name set in the body", onHarbor("\tset BaseLevle, 1;\n\tif (BaseLevle > 10) end;"), {});
        row("near name set in another NPC",
            onHarbor("\tset BaseLevle, 1;\n\tend;") + u'\n' + onHarbor("\tif (BaseLevle > 10) end;"), {});
        row("near name given by a command", onHarbor("\tinput Harbor_Bel;\n\tmes Harbor_Bel;"), {});
        row("scope variables are the variable rules'", onHarbor("\t.@BaseLevle = 1;\n\tmes .@BaseLevle;"), {});
        row("short names are left alone", onHarbor("\tmes BAT;\n\tmes BAD;"), {});
        // Sprites.
        row("sprite name misspelt", "harbor01.tsg,1,2,0\tscript\tA\t4_M_SAILER,{\n\tend;\n}", {"1:29 TW332"});
        row("sprite name the constants hold", "harbor01.tsg,1,2,0\tscript\tA\t4_m_sailor,{\n\tend;\n}", {});
        row("invisible and hidden views",
            "harbor01.tsg,1,2,0\tscript\tA\tFAKE_NPC,{\n\tend;\n}\n"
            "harbor01.tsg,1,3,0\tscript\tB\tHIDDEN_NPC,{\n\tend;\n}",
            {});
        row("a monster's sprite", "harbor01.tsg,1,2,0\tscript\tA\tSand_Crab,{\n\tend;\n}", {});
        row("a number", "harbor01.tsg,1,2,0\tscript\tA\t4,{\n\tend;\n}", {});
        row("floating NPC's sprite is not read", "-\tscript\tA\tNO_SPRITE,{\n\tend;\n}", {});
        row("shop's sprite unknown", "harbor01.tsg,1,1,4\tshop\tS\t4_F_NURES,601:50", {"1:27 TW332"});
        row("duplicate's sprite unknown", onHarbor("\tend;") + "\nharbor01.tsg,2,2,0\tduplicate(A)\tA2\tSAILOR",
            {"4:36 TW332"});
        row("deprecated constant as a sprite", "harbor01.tsg,1,2,0\tscript\tA\tHarbor_Horn,{\n\tend;\n}",
            {"1:29 TW606"});
        // Deprecated constants.
        row("deprecated constant in a condition", onHarbor("\tif (Harbor_Horn > 0) end;"), {"2:6 TW606"});
        row("deprecated constant as an argument", onHarbor("\tmes \"x\";\n\tharborbell Harbor_Horn;"), {"3:13 TW606"});
        row("deprecated constant in another case, exact-case family", onHarbor("\tif (harbor_horn > 0) end;"), {});
        row("variables named like it", onHarbor("\t.@Harbor_Horn = 1;\n\tmes \"\" + .@Harbor_Horn + Harbor_Horn$;"),
            {});
    }
    void rules_withTheFolder_fireWhereTheServerKnowsNoName()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        QCOMPARE(serverFindings(checked(script, sampleTable())), expected);
    }

    // A folder whose constants hold no NPC sprite judges no sprite name, and one whose
    // constants cannot hold names led by a digit (libconfig's) judges none of those.
    void sprites_whereTheConstantsHoldNone_areNotJudged_data()
    {
        QTest::addColumn<QString>("constants");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no NPC sprites") << QStringLiteral("constants_db: {\n  Harbor_Bell: 7\n}\n") << QStringList();
        QTest::newRow("no sprite led by a digit")
            << QStringLiteral("constants_db: {\n  FAKE_NPC: -1\n  M_SAILOR: 100\n}\n") << QStringList{"4:29 TW332"};
        QTest::newRow("a broken table") << QStringLiteral("constants_db: {\n  FAKE_NPC: -1\n  M_SAILOR 100\n}\n")
                                        << QStringList();
    }
    void sprites_whereTheConstantsHoldNone_areNotJudged()
    {
        QFETCH(QString, constants);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(SampleServer::write(dir.path(), {QStringLiteral("db/map_index.txt"), QStringLiteral("harbor01\n"),
                                                 QStringLiteral("db/constants.conf"), constants}));
        const auto table = ServerTable::forFolder(ServerTable::read(dir.path()), *Commands::Table::builtIn(), false);
        const QString script = QStringLiteral("harbor01.tsg,1,2,0\tscript\tA\t4_M_SAILER,{\n\tend;\n}\n"
                                              "harbor01.tsg,1,3,0\tscript\tB\tSAILER,{\n\tend;\n}");
        QCOMPARE(serverFindings(checked(script, table)), expected);
    }

    void rules_withoutAFolder_stayQuiet()
    {
        const QString script = QStringLiteral("harbour01.tsg,1,2,0\tscript\tA\t1,{\n\tgetitem 6020,1;\n"
                                              "\twarp \"nowhere.tsg\",1,1;\n\tif (BaseLevle > 1) end;\n}");
        QCOMPARE(serverFindings(checked(script, Commands::Table::builtIn())), QStringList());
    }

    void itemName_misspelt_namesTheNearestItem()
    {
        const Diagnostics found = checked(onHarbor("\tgetitem \"Green_Herb_Tae\",1;"), sampleTable());
        QCOMPARE(serverFindings(found), QStringList{"2:10 TW604"});
        QVERIFY2(found.front().message.contains(QStringLiteral("「Green_Herb_Tea」")),
                 qPrintable(found.front().message));
    }

    void unknownSprite_namesTheNearestSprite()
    {
        const Diagnostics found =
            checked(QStringLiteral("harbor01.tsg,1,2,0\tscript\tA\t4_M_SAILER,{\n\tend;\n}"), sampleTable());
        QCOMPARE(serverFindings(found), QStringList{"1:29 TW332"});
        QVERIFY2(found.front().message.contains(QStringLiteral("「4_M_SAILOR」")), qPrintable(found.front().message));
    }

    void constantTypo_namesTheNearestName()
    {
        const Diagnostics found = checked(onHarbor("\tif (Job_Aprentice == 0) end;"), sampleTable());
        QCOMPARE(serverFindings(found), QStringList{"2:6 TW605"});
        QVERIFY2(found.front().message.contains(QStringLiteral("「Job_Apprentice」")),
                 qPrintable(found.front().message));
    }

    // An edit that mends the name takes the finding away, and one that breaks it brings it.
    void edits_mendAndBreakAName_findingFollows()
    {
        ScriptCheck check(sampleTable());
        check.replaceLines(0, 0, onHarbor("\twarp \"hill_twon.tsg\",1,1;").split(u'\n'));
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList{"2:7 TW601"});
        check.replaceLines(1, 1, {QStringLiteral("\twarp \"hill_town.tsg\",1,1;")});
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList());
        check.replaceLines(0, 1, {QStringLiteral("harbor1.tsg,1,2,0\tscript\tA\t1,{")});
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList{"1:1 TW601"});
    }

    // A name set in another NPC is no misspelt constant: setting it there, or no
    // longer, judges again the NPC that reads it.
    void edits_nameSetOrUnsetInAnotherNpc_findingFollows()
    {
        ScriptCheck check(sampleTable());
        check.replaceLines(0, 0, (onHarbor("\tif (BaseLevle > 10) end;") + u'\n' + onHarbor("\tend;")).split(u'\n'));
        check.updateFlow();
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList{"2:6 TW605"});
        check.replaceLines(4, 1, {QStringLiteral("\tset BaseLevle, 1;")});
        check.updateFlow();
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList());
        check.replaceLines(4, 1, {QStringLiteral("\tend;")});
        check.updateFlow();
        QCOMPARE(serverFindings(check.allDiagnostics()), QStringList{"2:6 TW605"});
    }

    void examples_withTheFolder_wrongGivesTheCodeAndMendedNothing()
    {
        for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row) {
            const QString code = QString::fromUtf16(row->code);
            if (!code.startsWith(u"TW6") && code != u"TW332")
                continue;
            const QStringList wrong = serverFindings(checked(QString::fromUtf16(row->wrong), sampleTable()));
            QVERIFY2(wrong.join(u' ').contains(code), qPrintable(code + u' ' + wrong.join(u' ')));
            QCOMPARE(serverFindings(checked(QString::fromUtf16(row->mended), sampleTable())), QStringList());
        }
    }

    void table_folderFamily_becomesTheTargetUnlessOneWasSet()
    {
        QCOMPARE(sampleTable()->target().servers(), Target::Servers(Target::TodayStrict));
        Commands::Table older(*Commands::Table::builtIn());
        older.setTarget(Target(Target::Older));
        QCOMPARE(sampleTable(older)->target().servers(), Target::Servers(Target::Older));
    }

    void table_commandSource_addsItsRowsUnlessTheUserGaveATable()
    {
        QVERIFY(!Commands::Table::builtIn()->find(u"harborbell"));
        QVERIFY(sampleTable()->find(u"harborbell"));
        QVERIFY(!sampleTable(*Commands::Table::builtIn(), true)->find(u"harborbell"));
        QVERIFY(sampleTable()->serverNames());
        QVERIFY(sampleTable()->serverNames()->item(602));
    }

    void folder_unreadableCommandSource_keepsTheRowsAndSaysWhere()
    {
        QTemporaryDir dir;
        QStringList files = SampleServer::files();
        files.last() = QStringLiteral("/* no commands here */\n");
        QVERIFY(SampleServer::write(dir.path(), files));
        const ServerTable::Folder folder = ServerTable::read(dir.path());
        QCOMPARE(folder.problems.size(), 1);
        QVERIFY2(folder.problems.front().contains(QStringLiteral("src/map/script.c")),
                 qPrintable(folder.problems.front()));
        const auto table = ServerTable::forFolder(folder, *Commands::Table::builtIn(), false);
        QVERIFY(table->find(u"mes"));
        QVERIFY(table->serverNames()->isMap(u"harbor01.tsg"));
    }

    void folder_brokenTable_namesFileAndLineAndKeepsTheOthers()
    {
        QTemporaryDir dir;
        QStringList files = SampleServer::files();
        files[3] += QStringLiteral("604,Broken\n");
        QVERIFY(SampleServer::write(dir.path(), files));
        const ServerTable::Folder folder = ServerTable::read(dir.path());
        QCOMPARE(folder.problems.size(), 1);
        QVERIFY2(folder.problems.front().startsWith(QDir(dir.path()).filePath(QStringLiteral("db/item_db.txt:4: "))),
                 qPrintable(folder.problems.front()));
        QVERIFY(folder.facts->maps.contains(QStringLiteral("harbor01")));
        QVERIFY(folder.facts->monsters.size() == 2);
    }

    // A table the folder lacks, or could not read whole, makes no name unknown.
    void rules_tableMissingOrBroken_judgeNothingByIt_data()
    {
        QTest::addColumn<int>("file"); // the index of the file's text in SampleServer::files()
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QStringList all{"1:1 TW601", "2:10 TW604", "3:36 TW603", "4:6 TW605"};
        QTest::newRow("every table whole") << 1 << QString(SampleServer::files().at(1)) << all;
        QTest::newRow("map list broken") << 1 << "harbor01 1 2\n" << QStringList{all.at(1), all.at(2)};
        QTest::newRow("item table missing") << 3 << QString() << QStringList{all.at(0), all.at(2), all.at(3)};
        QTest::newRow("item table broken") << 3 << "601,Broken\n" << QStringList{all.at(0), all.at(2)};
        QTest::newRow("monster table broken") << 5 << "1100\n" << QStringList{all.at(0), all.at(1)};
        QTest::newRow("constants broken") << 7 << "Job_Apprentice\tnot a number\n"
                                          << QStringList{all.at(0), all.at(1), all.at(2)};
    }
    void rules_tableMissingOrBroken_judgeNothingByIt()
    {
        QFETCH(int, file);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QStringList files = SampleServer::files();
        files[file] = text;
        if (text.isEmpty())
            files.remove(file - 1, 2);
        QVERIFY(SampleServer::write(dir.path(), files));
        const auto table = ServerTable::forFolder(ServerTable::read(dir.path()), *Commands::Table::builtIn(), false);
        const QString script = QStringLiteral("harbour01.tsg,1,2,0\tscript\tA\t1,{\n\tgetitem 6020,1;\n"
                                              "\tmonster \"harbor01.tsg\",1,1,\"Crab\",1010,1;\n"
                                              "\tif (BaseLevle > 1) end;\n}");
        QCOMPARE(serverFindings(checked(script, table)), expected);
    }
};

QTEST_GUILESS_MAIN(ServerRulesTest)
#include "test_server_rules.moc"
