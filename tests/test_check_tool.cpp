// The talewick-check program as a build script or an editor runs it: its output,
// its exit code, and files it must refuse.
#include "checker/rules.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the tool in `folder` (the sample scripts unless told) and waits for it.
Run runTool(const QStringList &arguments, const QString &folder = QStringLiteral(TALEWICK_SCRIPTS))
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(TALEWICK_CHECK), arguments);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("(did not finish)");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Writes `bytes` to the file at `path`, its folders made first.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString expectedReport(const QString &script)
{
    QFile file(QDir(QStringLiteral(TALEWICK_SCRIPTS)).filePath(QString(script).replace(".txt", ".expected")));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no expectation for %1)").arg(script);
    return QString::fromUtf8(file.readAll());
}

// The codes of a gcc-style report, in order.
QStringList codesOf(const QString &report)
{
    QStringList codes;
    const QRegularExpression code(QStringLiteral(R"(\[(TW\d{3})\]$)"), QRegularExpression::MultilineOption);
    for (auto it = code.globalMatch(report); it.hasNext();)
        codes << it.next().captured(1);
    return codes;
}

// What `patch -p1` run in `folder` makes of `diff`; false when it fails.
bool applyPatch(const QString &folder, const QByteArray &diff)
{
    QProcess patch;
    patch.setWorkingDirectory(folder);
    patch.start(QStringLiteral("patch"), {QStringLiteral("-p1"), QStringLiteral("--quiet")});
    patch.write(diff);
    patch.closeWriteChannel();
    return patch.waitForFinished(10000) && patch.exitStatus() == QProcess::NormalExit && patch.exitCode() == 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read)");
}

} // namespace

class CheckToolTest : public QObject
{
    Q_OBJECT

private slots:
    void sample_printsItsReportAndExitCode_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("braces") << "braces.txt" << 1;
        QTest::newRow("statements") << "statements.txt" << 1;
        QTest::newRow("labels") << "labels.txt" << 1;
        QTest::newRow("headers") << "headers.txt" << 1;
        QTest::newRow("warnings only") << "unused_labels.txt" << 0;
        QTest::newRow("clean harbor") << "clean_harbor.txt" << 0;
        QTest::newRow("clean academy") << "clean_academy.txt" << 0;
    }
    void sample_printsItsReportAndExitCode()
    {
        QFETCH(QString, script);
        QFETCH(int, exitCode);
        const Run run = runTool({script});
        QCOMPARE(run.out, expectedReport(script));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, exitCode);
    }

    void severalFiles_areReportedInTheGivenOrder_data()
    {
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("errors in some") << QStringList{"labels.txt", "clean_harbor.txt", "braces.txt"} << 1;
        QTest::newRow("warnings in one") << QStringList{"clean_harbor.txt", "unused_labels.txt", "clean_academy.txt"}
                                         << 0;
    }
    void severalFiles_areReportedInTheGivenOrder()
    {
        QFETCH(QStringList, scripts);
        QFETCH(int, exitCode);
        QString expected;
        for (const QString &script : scripts)
            expected += expectedReport(script);
        const Run run = runTool(scripts);
        QCOMPARE(run.out, expected);
        QCOMPARE(run.exitCode, exitCode);
    }

    // A file that cannot be read makes the run fail even where the others have
    // errors, but the files that could be read are still reported.
    void unreadableAmongOthers_exits2AfterReportingTheRest()
    {
        const Run run = runTool({"labels.txt", "no_such_script.txt", "clean_harbor.txt"});
        QCOMPARE(run.out, expectedReport("labels.txt"));
        QVERIFY2(run.err.contains("no_such_script.txt"), qPrintable(run.err));
        QCOMPARE(run.exitCode, 2);
    }

    void usageMistake_exits2WithAMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named"); // what the message must mention
        QTest::newRow("no arguments") << QStringList() << "--help";
        QTest::newRow("unknown long option") << QStringList{"--strict", "clean_harbor.txt"} << "--strict";
        QTest::newRow("unknown short option") << QStringList{"clean_harbor.txt", "-x"} << "-x";
        QTest::newRow("missing file") << QStringList{"no_such_script.txt"} << "no_such_script.txt";
        QTest::newRow("unreadable command table")
            << QStringList{"--commands", "no_such_table.tsv", "braces.txt"} << "no_such_table.tsv";
        QTest::newRow("command table with a bad row")
            << QStringList{"--commands", "braces.txt", "clean_harbor.txt"} << "braces.txt";
        QTest::newRow("language server given a file") << QStringList{"--lsp", "braces.txt"} << "--lsp";
        QTest::newRow("language server, unreadable command table")
            << QStringList{"--lsp", "--commands", "no_such_table.tsv"} << "no_such_table.tsv";
        QTest::newRow("disabling a code no rule has")
            << QStringList{"--disable", "TW210,TW999", "braces.txt"} << "TW999";
        QTest::newRow("severity of no kind") << QStringList{"--severity", "info", "braces.txt"} << "info";
        QTest::newRow("format of no kind") << QStringList{"--format=xml", "braces.txt"} << "xml";
        QTest::newRow("explaining a code no rule has") << QStringList{"--explain", "TW000"} << "TW000";
        QTest::newRow("explain given a file") << QStringList{"--explain", "TW101", "braces.txt"} << "--explain";
        QTest::newRow("fix with a format") << QStringList{"--fix", "--format", "json", "braces.txt"} << "--fix";
        QTest::newRow("language server with a format") << QStringList{"--lsp", "--format", "sarif"} << "--lsp";
        QTest::newRow("option without its value") << QStringList{"braces.txt", "--disable"} << "disable";
        QTest::newRow("encoding the toolkit does not know")
            << QStringList{"--encoding", "klingon-8", "braces.txt"} << "klingon-8";
        QTest::newRow("fix with an encoding")
            << QStringList{"--fix", "--encoding", "utf-8", "braces.txt"} << "--encoding";
        QTest::newRow("language server with a format") << QStringList{"--lsp", "--format", "json"} << "--lsp";
    }

    // --disable drops codes, which then count for nothing; --severity error only
    // hides warnings, so the exit code stays what the errors make it.
    void filterOptions_leaveOutFindings_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<int>("exitCode");
        const QStringList errors{"TW106", "TW206", "TW208"};
        QTest::newRow("none") << QStringList() << "labels.txt" << QStringList() << 1;
        QTest::newRow("a warning disabled")
            << QStringList{"--disable", "TW210"} << "labels.txt" << QStringList{"TW210"} << 1;
        QTest::newRow("every error disabled, in any case")
            << QStringList{"--disable=tw106,TW206", "--disable", " TW207 , TW208,"} << "labels.txt"
            << errors + QStringList{"TW207"} << 0;
        QTest::newRow("warnings hidden") << QStringList{"--severity", "error"} << "labels.txt"
                                         << QStringList{"TW120", "TW207", "TW210", "TW215", "TW216"} << 1;
        QTest::newRow("warnings shown") << QStringList{"--severity", "warning"} << "labels.txt" << QStringList() << 1;
        QTest::newRow("a file of warnings, hidden")
            << QStringList{"--severity", "error"} << "unused_labels.txt" << QStringList{"TW210"} << 0;
    }
    void filterOptions_leaveOutFindings()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, script);
        QFETCH(QStringList, hidden);
        QFETCH(int, exitCode);
        QStringList expected = codesOf(expectedReport(script));
        expected.removeIf([&](const QString &code) { return hidden.contains(code); });
        const Run run = runTool(options + QStringList{script});
        QCOMPARE(codesOf(run.out), expected);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, exitCode);
    }

    // Files are read in the encoding named; bytes it cannot read in comments and
    // strings are one warning per file, naming how many lines have them.
    void encoding_decidesWhichBytesAreUnreadable_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("messageArguments"); // of the TW403 expected, if any
        const QString script =
            QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{\r\n\tmes \"ようこそ\";\r\n\tclose;\r\n}\r\n");
        const QByteArray header = "m.tsg,1,2,0\tscript\tA\t1,{\r\n";
        const QByteArray threeBad =
            header + "\tmes \"a\xff\";\r\n\tnext; // \xff\r\n\tmes \"\xff\";\r\n\tclose;\r\n}\r\n";
        QStringEncoder toUtf16(QStringConverter::Utf16LE);
        QTest::newRow("utf-8 file read as utf-8")
            << QStringList{"--encoding", "utf-8"} << script.toUtf8() << QStringList() << QStringList();
        QTest::newRow("utf-16 file, whose line ends are two bytes")
            << QStringList{"--encoding", "UTF-16LE"} << QByteArray(toUtf16.encode(script)) << QStringList()
            << QStringList();
        QTest::newRow("three lines of bad bytes in text, code page 932")
            << QStringList() << threeBad << QStringList{"TW403"} << QStringList{"Shift_JIS", "3"};
        QTest::newRow("three lines of bad bytes in text, utf-8")
            << QStringList{"--encoding=utf-8"} << threeBad << QStringList{"TW403"} << QStringList{"utf-8", "3"};
        QTest::newRow("bad bytes in code stay an error on each line")
            << QStringList()
            << header + "\t\xff"
                        "close;\r\n\t\xff"
                        "close;\r\n}\r\n"
            << QStringList{"TW402", "TW106", "TW402", "TW106"} << QStringList();
    }
    void encoding_decidesWhichBytesAreUnreadable()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, messageArguments);
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath(QStringLiteral("a.txt")), bytes));
        const Run run = runTool(options + QStringList{"a.txt"}, folder.path());
        QCOMPARE(codesOf(run.out), codes);
        if (!messageArguments.isEmpty())
            QVERIFY2(run.out.contains(Rules::message(Rule::UndecodableInText, messageArguments)), qPrintable(run.out));
        QCOMPARE(run.err, QString());
    }

    void explain_printsThePageOfEachCodeAsked_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("one code") << QStringList{"--explain", "TW206"} << QStringList{"TW206"};
        QTest::newRow("lower case") << QStringList{"--explain=tw104"} << QStringList{"TW104"};
        QTest::newRow("a list and another option")
            << QStringList{"--explain", "TW101,TW315", "--explain", "TW901"} << QStringList{"TW101", "TW315", "TW901"};
    }
    void explain_printsThePageOfEachCodeAsked()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, codes);
        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        const QRegularExpression heading(QStringLiteral(R"(^(TW\d{3}) \((?:error|warning)\) )"),
                                         QRegularExpression::MultilineOption);
        QStringList headed;
        for (auto it = heading.globalMatch(run.out); it.hasNext();)
            headed << it.next().captured(1);
        QCOMPARE(headed, codes);
        // Both examples of each page: a definition line indented under each heading.
        QCOMPARE(run.out.count(QStringLiteral("\n    harbor01.tsg,")) >= 2 * codes.size(), true);
    }

    // The three formats report the same findings in the same order, with the same exit code.
    void formats_reportTheSameFindings_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("labels") << "labels.txt";
        QTest::newRow("headers") << "headers.txt";
        QTest::newRow("warnings only") << "unused_labels.txt";
        QTest::newRow("clean") << "clean_harbor.txt";
    }
    void formats_reportTheSameFindings()
    {
        QFETCH(QString, script);
        const Run gcc = runTool({"--format", "gcc", script});
        QCOMPARE(gcc.out, expectedReport(script));
        const Run json = runTool({"--format", "json", script});
        QStringList jsonCodes;
        for (const QJsonValue &finding : QJsonDocument::fromJson(json.out.toUtf8()).array()) {
            QCOMPARE(finding.toObject().value("file").toString(), script);
            jsonCodes << finding.toObject().value("code").toString();
        }
        QCOMPARE(jsonCodes, codesOf(gcc.out));
        const Run sarif = runTool({"--format", "sarif", script});
        QStringList sarifCodes;
        const QJsonObject run =
            QJsonDocument::fromJson(sarif.out.toUtf8()).object().value("runs").toArray().at(0).toObject();
        for (const QJsonValue &result : run.value("results").toArray())
            sarifCodes << result.toObject().value("ruleId").toString();
        QCOMPARE(sarifCodes, codesOf(gcc.out));
        QCOMPARE(json.exitCode, gcc.exitCode);
        QCOMPARE(sarif.exitCode, gcc.exitCode);
    }

    // --fix prints a diff that patch applies; the script itself is never written.
    void fix_printsADiffThatPatchApplies_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("mended");
        QTest::newRow("misspelt command") << "TW103" << QByteArray("\twrap \"harbor02.tsg\",120,85;\r\n")
                                          << QByteArray("\twarp \"harbor02.tsg\",120,85;\r\n");
        QTest::newRow("lost semicolon") << "TW102" << QByteArray("\tmes \"a\"\r\n\tclose;\r\n")
                                        << QByteArray("\tmes \"a\";\r\n\tclose;\r\n");
        QTest::newRow("label in another case") << "TW207" << QByteArray("\tgoto L_end;\r\nL_End:\r\n\tclose;\r\n")
                                               << QByteArray("\tgoto L_End;\r\nL_End:\r\n\tclose;\r\n");
    }
    void fix_printsADiffThatPatchApplies()
    {
        QFETCH(QString, code);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, mended);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QByteArray head = "h.tsg,1,2,0\tscript\tA\t1,{\r\n";
        const QByteArray original = head + body + "}\r\n";
        QVERIFY(writeFile(folder.filePath("npc/a.txt"), original));
        const Run check = runTool({"npc/a.txt"}, folder.path());
        const Run fix = runTool({"--fix", "npc/a.txt"}, folder.path());
        QCOMPARE(readFile(folder.filePath("npc/a.txt")), original);
        QCOMPARE(fix.exitCode, check.exitCode);
        QVERIFY(applyPatch(folder.path(), fix.out.toUtf8()));
        QCOMPARE(readFile(folder.filePath("npc/a.txt")), head + mended + "}\r\n");
    }

    void fix_scriptWithNothingToFix_printsNothing()
    {
        const Run run = runTool({"--fix", "clean_harbor.txt", "unused_labels.txt"});
        QCOMPARE(run.out, QString());
        QCOMPARE(run.exitCode, 0);
    }
    // The language server on the standard streams: what comes in pieces is read
    // whole, answers go out framed, and the exit code says whether shutdown came first.
    void languageServer_answersOnStandardStreamsAndExits_data()
    {
        QTest::addColumn<QByteArrayList>("messages");
        QTest::addColumn<bool>("closeInput");
        QTest::addColumn<int>("exitCode");
        const QByteArray initialize = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})";
        const QByteArray shutdown = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
        const QByteArray exit = R"({"jsonrpc":"2.0","method":"exit"})";
        QTest::newRow("shutdown, then exit") << QByteArrayList{initialize, shutdown, exit} << false << 0;
        QTest::newRow("exit without shutdown") << QByteArrayList{initialize, exit} << false << 1;
        QTest::newRow("input closed") << QByteArrayList{initialize} << true << 1;
    }
    void languageServer_answersOnStandardStreamsAndExits()
    {
        QFETCH(QByteArrayList, messages);
        QFETCH(bool, closeInput);
        QFETCH(int, exitCode);
        QProcess process;
        process.start(QStringLiteral(TALEWICK_CHECK), {QStringLiteral("--lsp")});
        QVERIFY(process.waitForStarted());
        for (const QByteArray &message : messages) {
            const QByteArray framed = "Content-Length: " + QByteArray::number(message.size()) + "\r\n\r\n" + message;
            // In two pieces, cut inside the header.
            process.write(framed.left(7));
            QVERIFY(process.waitForBytesWritten());
            process.write(framed.mid(7));
            QVERIFY(process.waitForBytesWritten());
        }
        if (closeInput)
            process.closeWriteChannel();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), exitCode);
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY2(out.startsWith("Content-Length: "), out.left(80).constData());
        QVERIFY(out.contains(R"("serverInfo":{"name":"talewick-check")"));
    }

    void usageMistake_exits2WithAMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
    }

    // Opening a named pipe for reading would wait for a writer forever.
    void namedPipe_isRefusedAtOnce()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString pipe = folder.filePath("script.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        const Run run = runTool({pipe}, folder.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(pipe), qPrintable(run.err));
        QVERIFY2(timer.elapsed() < 10000, "the tool waited on the pipe");
    }

    void help_describesTheOutputAndExits0_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("-h") << QStringList{"-h"};
        QTest::newRow("--help among files") << QStringList{"braces.txt", "--help"};
    }
    void help_describesTheOutputAndExits0()
    {
        QFETCH(QStringList, arguments);
        const Run run = runTool(arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.contains("FILE:LINE:COLUMN: error:"), qPrintable(run.out));
        QVERIFY2(run.out.contains("FILE:LINE:COLUMN: warning:"), qPrintable(run.out));
        for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row)
            QVERIFY2(run.out.contains(QString::fromUtf16(row->code)), qPrintable(QString::fromUtf16(row->code)));
    }

    void version_printsTheProjectVersionAndExits0()
    {
        const Run run = runTool({"--version"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("talewick-check " TALEWICK_VERSION "\n"));
    }

    // A folder stands for every .txt under it, sorted; functions are looked for in
    // all the files checked together.
    void folder_checksEveryScriptUnderIt()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(folder.filePath("town/b.txt"), "m.tsg,1,2,0\tscript\tB\t1,{\r\n\tcallfunc \"F_Inner\";\r\n"
                                                         "\tcallfunc \"F_Gone\";\r\n}\r\n"));
        QVERIFY(writeFile(folder.filePath("town/inner/f.txt"), "function\tscript\tF_Inner\t{\r\n\treturn;\r\n}\r\n"));
        QVERIFY(writeFile(folder.filePath("town/a.txt"), "m.tsg,1,2,0\tscript\tA\t1,{\r\n\tclose\r\n}\r\n"));
        QVERIFY(writeFile(folder.filePath("town/notes.md"), "not a script {"));
        const Run run = runTool({"town"}, folder.path());
        QCOMPARE(
            run.out,
            QStringLiteral("town/a.txt:2:6: error: 命令の終わりに「;」がありません [TW102]\n"
                           "town/b.txt:3:11: warning: 関数「F_Gone」はどのファイルにも定義されていません [TW212]\n"));
        QCOMPARE(run.exitCode, 1);
    }

    // Player variables are judged across the files checked together, as functions
    // are; --disable and the formats treat the finding as any other.
    void playerVariables_areJudgedAcrossTheFilesChecked()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(folder.filePath("quest/start.txt"),
                          "m.tsg,1,2,0\tscript\tS\t1,{\r\n\tset @quest_step,1;\r\n\tend;\r\n}\r\n"));
        QVERIFY(writeFile(folder.filePath("quest/talk.txt"),
                          "m.tsg,1,2,0\tscript\tT\t1,{\r\n\tmes \"\x8e\x63\x82\xe8\" + @quest_step + @quest_stpe;\r\n"
                          "\tclose;\r\n}\r\n"));
        const Run both = runTool({"quest"}, folder.path());
        QVERIFY2(both.out.startsWith("quest/talk.txt:2:27: warning: "), qPrintable(both.out));
        QVERIFY2(both.out.contains(QStringLiteral("「@quest_step」")), qPrintable(both.out)); // the hint
        QCOMPARE(codesOf(both.out), QStringList{"TW506"});
        QCOMPARE(both.exitCode, 0);
        // Checked alone, nothing sets either name.
        QCOMPARE(codesOf(runTool({"quest/talk.txt"}, folder.path()).out), (QStringList{"TW506", "TW506"}));
        const Run disabled = runTool({"--disable", "TW506", "quest"}, folder.path());
        QCOMPARE(disabled.out, QString());
        QCOMPARE(runTool({"--severity", "error", "quest"}, folder.path()).out, QString());
        const QJsonArray json =
            QJsonDocument::fromJson(runTool({"--format", "json", "quest"}, folder.path()).out.toUtf8()).array();
        QCOMPARE(json.size(), 1);
        QCOMPARE(json.at(0).toObject().value("code").toString(), QStringLiteral("TW506"));
        QCOMPARE(json.at(0).toObject().value("line").toInt(), 2);
        QCOMPARE(json.at(0).toObject().value("column").toInt(), 27);
    }

    // A server's own commands, in the table's format or in the source that defines
    // them, are commands like the others.
    void commandsOption_addsTheServersOwnCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("table");
        QTest::newRow("table") << "ours.tsv" << QByteArray("# our server\nsummonpet\t1\t1\te\n");
        QTest::newRow("older source") << "script.c"
                                      << QByteArray("\t{buildin_mes,\"mes\",\"s\"},\r\n"
                                                    "\t{buildin_summonpet,\"summonpet\",\"i\"},\r\n");
        QTest::newRow("later source") << "script.cpp"
                                      << QByteArray(
                                             "#ifdef PET_SYSTEM\n\tBUILDIN_DEF2(pet,\"summonpet\",\"i\"),\n#endif\n");
    }
    void commandsOption_addsTheServersOwnCommands()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, table);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(folder.filePath(name), table));
        QVERIFY(
            writeFile(folder.filePath("s.txt"), "m.tsg,1,2,0\tscript\tA\t1,{\r\n\tsummonpet 3;\r\n\tend;\r\n}\r\n"));
        // Without them, a word no command has may be a function of a file loaded before.
        QVERIFY(runTool({"s.txt"}, folder.path()).out.contains(QStringLiteral("[TW115]")));
        QCOMPARE(runTool({"--target", "older", "s.txt"}, folder.path()).exitCode, 1);
        const Run run = runTool({"--commands", name, "s.txt"}, folder.path());
        QCOMPARE(run.out, QString());
        QCOMPARE(run.exitCode, 0);
    }

    // After "--" a file whose name starts with "-" is a file, not an option.
    void doubleDash_endsTheOptions()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(writeFile(folder.filePath("-dash.txt"), "m.tsg,1,2,0\tscript\tA\t1,{\r\n\tclose\r\n}\r\n"));
        const Run run = runTool({"--", "-dash.txt"}, folder.path());
        QCOMPARE(run.out, QStringLiteral("-dash.txt:2:6: error: 命令の終わりに「;」がありません [TW102]\n"));
        QCOMPARE(run.exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(CheckToolTest)
#include "test_check_tool.moc"
