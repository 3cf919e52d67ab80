// talewick-check --server as a build script runs it: the folder's findings in the
// report, what it read on --verbose, and files of the folder it cannot read.
#include "server_folder_sample.h"
#include "../support/tool_run.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// talewick-check with `arguments`, run in `folder`.
ToolRun runTool(const QStringList &arguments, const QString &folder)
{
    return runProgram(QStringLiteral(TALEWICK_CHECK), arguments, folder);
}

// "LINE:COLUMN CODE" of each line of a gcc-style report.
QStringList findingsOf(const QString &report)
{
    QStringList found;
    const QRegularExpression line(QStringLiteral(R"(^[^:\n]+:(\d+):(\d+): \w+: .*\[(TW\d{3})\]$)"),
                                  QRegularExpression::MultilineOption);
    for (auto match = line.globalMatch(report); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        found << QStringLiteral("%1:%2 %3").arg(m.captured(1), m.captured(2), m.captured(3));
    }
    return found;
}

const QByteArray kGuide = "harbor01.tsg,1,2,0\tscript\tGuide\t56,{\n"
                          "\tif (BaseLevle > 10) end;\n"
                          "\twarp \"hill_twon.tsg\",20,30;\n"
                          "\tgetitem \"Blue_Tonik\",1;\n"
                          "\tharborbell 1;\n"
                          "\tend;\n"
                          "}\n";

// A folder holding the sample server in server/ and the script in npc/guide.txt.
bool writeProject(const QString &dir, const QStringList &serverFiles = SampleServer::files())
{
    QDir().mkpath(QDir(dir).filePath(QStringLiteral("npc")));
    QFile script(QDir(dir).filePath(QStringLiteral("npc/guide.txt")));
    return SampleServer::write(QDir(dir).filePath(QStringLiteral("server")), serverFiles) &&
           script.open(QIODevice::WriteOnly) && script.write(kGuide) == kGuide.size();
}

} // namespace

class ServerCheckToolTest : public QObject
{
    Q_OBJECT

private slots:
    void server_sampleFolder_reportsWhatOnlyTheFolderKnows()
    {
        QTemporaryDir dir;
        QVERIFY(writeProject(dir.path()));
        const ToolRun run = runTool({"--verbose", "--server", "server", "npc/guide.txt"}, dir.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(findingsOf(run.out), (QStringList{"2:6 TW605", "3:7 TW601", "4:10 TW604"}));
        QCOMPARE(run.err, QStringLiteral("server: 2 maps, 3 items, 2 monsters, 8 constants, 1 skills, "
                                         "commands from src/map/script.c (today-strict)\n"));
    }

    void server_withoutVerbose_saysNothingOfTheFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeProject(dir.path()));
        const ToolRun run = runTool({"--server", "server", "npc/guide.txt"}, dir.path());
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 1);
    }

    // Without the folder, its command is unknown and its names are not judged.
    void noServer_foldersRulesStayQuietAndItsCommandIsUnknown()
    {
        QTemporaryDir dir;
        QVERIFY(writeProject(dir.path()));
        const ToolRun run = runTool({"npc/guide.txt"}, dir.path());
        QVERIFY2(!run.out.contains(QStringLiteral("[TW6")), qPrintable(run.out));
        QVERIFY2(findingsOf(run.out).join(u' ').contains(QStringLiteral("5:2 TW1")), qPrintable(run.out));
    }

    void server_brokenTable_isAnErrorNamingFileAndLineAndTheRestIsChecked()
    {
        QTemporaryDir dir;
        QStringList files = SampleServer::files();
        files[3] += QStringLiteral("604,Broken\n");
        QVERIFY(writeProject(dir.path(), files));
        const ToolRun run = runTool({"--server", "server", "npc/guide.txt"}, dir.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith(QStringLiteral("talewick-check: ")) &&
                     run.err.contains(QStringLiteral("server/db/item_db.txt:4: ")),
                 qPrintable(run.err));
        // The broken item table judges no item; the maps are judged as before.
        QCOMPARE(findingsOf(run.out), QStringList{"3:7 TW601"});
    }

    // Usage mistakes: a folder that is not there, and the language server, which
    // takes its folder from the editor's settings.
    void server_notAFolderOrWithLsp_isAUsageMistake_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("not a folder") << QStringList{"--server", "nowhere", "npc/guide.txt"} << "nowhere";
        QTest::newRow("with --lsp") << QStringList{"--lsp", "--server", "server"} << "talewick.server";
    }
    void server_notAFolderOrWithLsp_isAUsageMistake()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        QTemporaryDir dir;
        QVERIFY(writeProject(dir.path()));
        const ToolRun run = runTool(arguments, dir.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QCOMPARE(run.out, QString());
    }

    // The folder's npc lists give the order the scripts load in: a function called
    // by name must come first, and once every listed file is checked a duplicate's
    // source found in none of them is defined nowhere.
    void server_loadOrderFromTheNpcLists_data()
    {
        QTest::addColumn<QByteArray>("lists");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("function's file first") << QByteArray("npc: npc/tolls.txt\nnpc: npc/gate.txt\n")
                                               << QStringList{"server/npc/gate.txt:5:30 TW334"};
        QTest::newRow("caller's file first") << QByteArray("npc: npc/gate.txt\nnpc: npc/tolls.txt\n")
                                             << QStringList{"server/npc/gate.txt:2:2 TW222",
                                                            "server/npc/gate.txt:5:30 TW334"};
        QTest::newRow("a list imported where it stands")
            << QByteArray("npc: npc/gate.txt\nimport: npc/more.conf\n")
            << QStringList{"server/npc/gate.txt:2:2 TW222", "server/npc/gate.txt:5:30 TW334"};
        QTest::newRow("the function's file taken out by delnpc")
            << QByteArray("npc: npc/tolls.txt\nnpc: npc/gate.txt\ndelnpc: npc/tolls.txt\n")
            << QStringList{"server/npc/gate.txt:5:30 TW334"};
        QTest::newRow("paths with backslashes") << QByteArray("npc: npc\\gate.txt\nnpc: npc\\tolls.txt\n")
                                                << QStringList{"server/npc/gate.txt:2:2 TW222",
                                                               "server/npc/gate.txt:5:30 TW334"};
        QTest::newRow("a listed file left unchecked")
            << QByteArray("npc: npc/tolls.txt\nnpc: npc/gate.txt\nnpc: npc/elsewhere.txt\n") << QStringList();
    }
    void server_loadOrderFromTheNpcLists()
    {
        QFETCH(QByteArray, lists);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QStringList files = SampleServer::files();
        files << QStringLiteral("npc/scripts_main.conf") << QString::fromUtf8(lists)
              << QStringLiteral("npc/more.conf") << QStringLiteral("npc: npc/tolls.txt\n")
              << QStringLiteral("npc/tolls.txt")
              << QStringLiteral("function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n")
              << QStringLiteral("npc/gate.txt")
              << QStringLiteral("harbor01.tsg,1,2,0\tscript\tGate\t56,{\n\tF_Toll(2);\n\tend;\n}\n"
                                "harbor01.tsg,3,3,0\tduplicate(Ferryman)\tFerryman#2\t56\n");
        QVERIFY(SampleServer::write(QDir(dir.path()).filePath(QStringLiteral("server")), files));
        const ToolRun run =
            runTool({"--server", "server", "server/npc/gate.txt", "server/npc/tolls.txt"}, dir.path());
        // Only what the order decides: the folder's other rules have tests of their own.
        QStringList found;
        const QRegularExpression line(QStringLiteral(R"(^([^:\n]+):(\d+):(\d+): \w+: .*\[(TW115|TW22[23]|TW33[34])\]$)"),
                                      QRegularExpression::MultilineOption);
        for (auto match = line.globalMatch(run.out); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            found << QStringLiteral("%1:%2:%3 %4").arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
        }
        QCOMPARE(found.join(u' '), expected.join(u' '));
    }
};

QTEST_GUILESS_MAIN(ServerCheckToolTest)
#include "test_server_check_tool.moc"
