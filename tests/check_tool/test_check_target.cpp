// talewick-check run for a target: --target, --flag, the command source's family
// and the project file beside the scripts, and which of them wins.
#include "support/tool_run.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

ToolRun runTool(const QStringList &arguments, const QString &folder)
{
    return runProgram(QStringLiteral(TALEWICK_CHECK), arguments, folder);
}

// "npc/a.txt:3 warning TW104" for each finding of a gcc-style report.
QStringList findingsOf(const QString &report)
{
    static const QRegularExpression finding(QStringLiteral(R"(^(.*):(\d+):\d+: (\w+): .*\[(TW\d{3})\]$)"),
                                            QRegularExpression::MultilineOption);
    QStringList found;
    for (auto it = finding.globalMatch(report); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        found << QStringLiteral("%1:%2 %3 %4")
                     .arg(match.captured(1), match.captured(2), match.captured(3), match.captured(4));
    }
    return found;
}

// Two arguments where every server but the family that matches in any case
// wants one at most; the older and later ones only warn.
const QByteArray kTwoArguments = "m.tsg,1,1,0\tscript\tA\t1,{\n\tmes \"a\",\"b\";\n\tclose;\n}\n";
// The same line, read as code only where PRERENEWAL is defined.
const QByteArray kConditional =
    "m.tsg,1,1,0\tscript\tA\t1,{\n\tmes \"x\";\n/*@PRERENEWAL\n\tmes \"a\",\"b\";\n//@*/\n\tclose;\n}\n";
// A command word in another case: today's family that matches words exactly
// refuses it, and only that family.
const QByteArray kOtherCase = "m.tsg,1,1,0\tscript\tA\t1,{\n\tMes \"a\";\n\tclose;\n}\n";
const QByteArray kTodaySource = "struct script_function buildin_func[] = {\n\tBUILDIN_DEF(mes,\"s*\"),\n};\n";
const QByteArray kOldSource = "struct buildin_func buildin_func[] = {\n\t{buildin_mes,\"mes\",\"s*\"},\n};\n";

} // namespace

class CheckTargetTest : public QObject
{
    Q_OBJECT

private slots:
    void target_decidesTheSeverity_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("ini"); // npc/talewick-check.ini; none when empty
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("findings");
        QTest::addColumn<int>("exitCode");
        const QStringList warning{"npc/a.txt:2 warning TW104"};
        const QStringList error{"npc/a.txt:2 error TW104"};
        const QByteArray none;
        QTest::newRow("every server") << kTwoArguments << none << QStringList{} << warning << 0;
        QTest::newRow("today-strict") << kTwoArguments << none << QStringList{"--target", "today-strict"} << error << 1;
        QTest::newRow("today-anycase") << kTwoArguments << none << QStringList{"--target", "today-anycase"}
                                       << QStringList{} << 0;
        QTest::newRow("later only warns") << kTwoArguments << none << QStringList{"--target", "later"} << warning << 0;
        QTest::newRow("project file") << kTwoArguments << QByteArray("target = today-strict\n") << QStringList{}
                                      << error << 1;
        QTest::newRow("option over project file") << kTwoArguments << QByteArray("target = today-strict\n")
                                                  << QStringList{"--target", "today-anycase"} << QStringList{} << 0;
        QTest::newRow("project file's severity")
            << kTwoArguments << QByteArray("severity = TW104=error\n") << QStringList{} << error << 1;
        QTest::newRow("project file's severity off")
            << kTwoArguments << QByteArray("target = today-strict\nseverity = TW104=off\n") << QStringList{}
            << QStringList{} << 0;
        QTest::newRow("project file's disable")
            << kTwoArguments << QByteArray("disable = TW502, TW104\n") << QStringList{} << QStringList{} << 0;
        QTest::newRow("options' disable with the file's") << kTwoArguments << QByteArray("disable = TW502\n")
                                                          << QStringList{"--disable", "TW104"} << QStringList{} << 0;
        QTest::newRow("flag undefined by default") << kConditional << none << QStringList{} << QStringList{} << 0;
        QTest::newRow("--flag") << kConditional << none << QStringList{"--flag", "PRERENEWAL"}
                                << QStringList{"npc/a.txt:4 warning TW104"} << 0;
        QTest::newRow("project file's flag") << kConditional << QByteArray("flags = PRERENEWAL\n") << QStringList{}
                                             << QStringList{"npc/a.txt:4 warning TW104"} << 0;
        QTest::newRow("--flag over the file's") << kConditional << QByteArray("flags = PRERENEWAL\n")
                                                << QStringList{"--flag", "-PRERENEWAL"} << QStringList{} << 0;
    }
    void target_decidesTheSeverity()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/a.txt")), script));
        if (!ini.isEmpty())
            QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/talewick-check.ini")), ini));
        const ToolRun run = runTool(arguments << QStringLiteral("npc/a.txt"), dir.path());
        QCOMPARE(run.err, QString());
        QTEST(findingsOf(run.out), "findings");
        QTEST(run.exitCode, "exitCode");
    }

    // --commands naming a server's own source checks for that source's servers;
    // for every server, the word in another case would be a warning.
    void commandSource_setsTheTargetUnlessTold_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("findings");
        QTest::newRow("script.c") << "src/map/script.c" << kTodaySource << QStringList{}
                                  << QStringList{"a.txt:2 error TW116"};
        QTest::newRow("script.cpp") << "src/map/script.cpp" << kTodaySource << QStringList{} << QStringList{};
        QTest::newRow("a table has no family")
            << "commands.tsv" << QByteArray("mes\t0\t-\ts\n") << QStringList{} << QStringList{"a.txt:2 warning TW116"};
        QTest::newRow("older list") << "src/map/script.c" << kOldSource << QStringList{} << QStringList{};
        QTest::newRow("--target over the family")
            << "src/map/script.c" << kTodaySource << QStringList{"--target", "today-anycase"} << QStringList{};
    }
    void commandSource_setsTheTargetUnlessTold()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("a.txt")), kOtherCase));
        QVERIFY(writeBytes(dir.filePath(source), text));
        const ToolRun run =
            runTool(arguments << QStringLiteral("--commands") << source << QStringLiteral("a.txt"), dir.path());
        QCOMPARE(run.err, QString());
        QTEST(findingsOf(run.out), "findings");
    }

    void projectFile_eachScriptTakesTheNearest()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("talewick-check.ini")), "target = today-strict\n"));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/a.txt")), kTwoArguments));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/custom/b.txt")), kTwoArguments));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/custom/talewick-check.ini")), "target = today-anycase\n"));
        const ToolRun run = runTool({QStringLiteral("npc")}, dir.path());
        QCOMPARE(findingsOf(run.out), QStringList{"npc/a.txt:2 error TW104"});
        QCOMPARE(run.exitCode, 1);
    }

    void projectFile_unknownKeyOrValue_warnsWithFileAndLineAndTheRestApplies()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("npc/a.txt")), kTwoArguments));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("talewick-check.ini")),
                           "; for today\ntagret = older\ndisable = TW999\ntarget = today-strict\n"));
        const ToolRun run = runTool({QStringLiteral("npc/a.txt")}, dir.path());
        QCOMPARE(findingsOf(run.out), QStringList{"npc/a.txt:2 error TW104"});
        QCOMPARE(run.exitCode, 1);
        const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.at(0).startsWith(QLatin1String("talewick-check.ini:2: ")), qPrintable(run.err));
        QVERIFY2(lines.at(0).contains(QLatin1String("tagret")), qPrintable(run.err));
        QVERIFY2(lines.at(1).startsWith(QLatin1String("talewick-check.ini:3: ")), qPrintable(run.err));
    }

    void usageMistake_exits2_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown target") << QStringList{"--target", "tomorrow", "a.txt"};
        QTest::newRow("empty target") << QStringList{"--target", "", "a.txt"};
        QTest::newRow("flag in lower case") << QStringList{"--flag", "renewal", "a.txt"};
        QTest::newRow("flag too short") << QStringList{"--flag", "!AB", "a.txt"};
    }
    void usageMistake_exits2()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("a.txt")), kTwoArguments));
        const ToolRun run = runTool(arguments, dir.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(!run.err.isEmpty());
    }

    // The diff finds a fix's bytes by code page 932: a project in another encoding is not fixed.
    void fix_withTheProjectFilesOtherEncoding_refusesItsScripts()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("a.txt")), kTwoArguments));
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("talewick-check.ini")), "encoding = utf-8\n"));
        const ToolRun run = runTool({QStringLiteral("--fix"), QStringLiteral("a.txt")}, dir.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains(QLatin1String("talewick-check.ini:1")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(CheckTargetTest)
#include "test_check_target.moc"
