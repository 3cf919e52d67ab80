// The report formats and the diff of fixes, on findings built here: what JSON and
// SARIF readers find in them, and the diff as `patch -p1` applies it, byte for byte.
#include "check_tool/check_report.h"
#include "check_tool/fix_diff.h"
#include "check_tool/gcc_format.h"
#include "check_tool/json_format.h"
#include "check_tool/sarif_format.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "common/code_page.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Edit = Diagnostic::Edit;

// A finding on `line` whose first fix makes `edits`.
Diagnostic fixAt(int line, const QVector<Edit> &edits, const QVector<Edit> &secondFix = {})
{
    Diagnostic made = Rules::make(Rule::UnknownCommand, line, edits.isEmpty() ? 0 : edits.front().column, 1);
    made.fixes.append({QStringLiteral("直す"), edits});
    if (!secondFix.isEmpty())
        made.fixes.append({QStringLiteral("別に直す"), secondFix});
    return made;
}

QByteArray sjis(const QString &text)
{
    return CodePage932::encode(text);
}

// What `patch -p1` makes of `original` (at npc/a.txt) with `diff`, or a note of
// why it failed.
QByteArray patched(const QByteArray &original, const QByteArray &diff)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("npc"));
    QFile file(folder.filePath(QStringLiteral("npc/a.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size())
        return "(cannot write)";
    file.close();
    QProcess patch;
    patch.setWorkingDirectory(folder.path());
    patch.start(QStringLiteral("patch"), {QStringLiteral("-p1"), QStringLiteral("--quiet")});
    patch.write(diff);
    patch.closeWriteChannel();
    if (!patch.waitForFinished(10000) || patch.exitCode() != 0)
        return "(patch failed) " + patch.readAllStandardOutput() + patch.readAllStandardError();
    if (!file.open(QIODevice::ReadOnly))
        return "(cannot read)";
    return file.readAll();
}

CheckReport::FileResult resultWith(const QString &name, const QString &text, const Diagnostics &diagnostics)
{
    CheckReport::FileResult result;
    result.fileName = name;
    result.text = text;
    result.lines = text.split(u'\n');
    result.diagnostics = diagnostics;
    return result;
}

// A finding with a related place and a fix, on a line with a character beyond
// the BMP before it, so that columns in characters and in code units differ.
CheckReport::FileResult sampleResult()
{
    Diagnostic unclosed = Rules::make(Rule::UnclosedBody, 0, 24, 1, {QStringLiteral("A")});
    unclosed.related.append({2, 0, 9, QStringLiteral("ここで次の定義が始まります")});
    Diagnostic misspelt = Rules::make(Rule::UnknownCommand, 1, 5, 4, {QStringLiteral("wrap"), QString()});
    misspelt.fixes.append({QStringLiteral("「warp」に直す"), {{5, 4, QStringLiteral("warp")}}});
    return resultWith(
        QStringLiteral("npc/港 町.txt"),
        QStringLiteral("m.tsg,1,2,0\tscript\t😀A\t1,{\n\t/**/wrap \"x\",1,2;\nm.tsg,1,2,0\tscript\tB\t1,{"),
        {unclosed, misspelt});
}

// A close on an empty window after close2, where a condition held: the finding
// names both places on its path.
CheckReport::FileResult emptyWindowResult()
{
    const QString text = QStringLiteral("m.tsg,1,2,0\tscript\tA\t1,{\n\tmes \"a\";\n\tclose2;\n\tif (Zeny < 5)\n"
                                        "\t\tclose;\n\tend;\n}");
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    check.updateFlow();
    return resultWith(QStringLiteral("a.txt"), text, check.allDiagnostics());
}

// "LINE:COLUMN" of each place, from 1.
QStringList placesOf(const QJsonArray &places, const QString &key)
{
    QStringList found;
    for (const QJsonValue &place : places) {
        const QJsonObject object = key.isEmpty()
                                       ? place.toObject()
                                       : place.toObject().value("physicalLocation").toObject().value(key).toObject();
        const QString line = key.isEmpty() ? QStringLiteral("line") : QStringLiteral("startLine");
        const QString column = key.isEmpty() ? QStringLiteral("column") : QStringLiteral("startColumn");
        found << QStringLiteral("%1:%2").arg(object.value(line).toInt()).arg(object.value(column).toInt());
    }
    return found;
}

} // namespace

class CheckFormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void fixDiff_appliesWithPatchByteForByte_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<Diagnostics>("diagnostics");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("hunks");
        const QByteArray head = "h.tsg,1,2,0\tscript\tA\t1,{\r\n";
        QTest::newRow("replacement, CR LF kept")
            << head + "\twrap \"x\",1,2;\r\n}\r\n"
            << Diagnostics{fixAt(1, {{1, 4, "warp"}})} << head + "\twarp \"x\",1,2;\r\n}\r\n"
            << 1;
        QTest::newRow("insertion at the end of a line")
            << head + "\tmes \"a\"\r\n\tclose;\r\n}\r\n"
            << Diagnostics{fixAt(1, {{8, 0, ";"}})} << head + "\tmes \"a\";\r\n\tclose;\r\n}\r\n"
            << 1;
        QTest::newRow("two fixes on one line")
            << head + "\twrap \"x\",1,2; mse \"a\"\r\n}\r\n"
            << Diagnostics{fixAt(1, {{1, 4, "warp"}}), fixAt(1, {{15, 3, "mes"}, {22, 0, ";"}})}
            << head + "\twarp \"x\",1,2; mes \"a\";\r\n}\r\n"
            << 1;
        QTest::newRow("overlapping fixes: the first is kept")
            << head + "\twrap;\r\n}\r\n"
            << Diagnostics{fixAt(1, {{1, 4, "warp"}}), fixAt(1, {{3, 2, "xx"}})} << head + "\twarp;\r\n}\r\n"
            << 1;
        QTest::newRow("a fix with one overlapping edit is left out whole")
            << head + "\twrap;\r\n}\r\n"
            << Diagnostics{fixAt(1, {{1, 4, "warp"}}), fixAt(1, {{5, 0, "1"}, {2, 1, "x"}})}
            << head + "\twarp;\r\n}\r\n"
            << 1;
        QTest::newRow("only the first fix of a diagnostic")
            << head + "\twrap;\r\n}\r\n"
            << Diagnostics{fixAt(1, {{1, 4, "warp"}}, {{1, 4, "wrapped"}})} << head + "\twarp;\r\n}\r\n"
            << 1;
        QTest::newRow("Japanese around the edit keeps its bytes")
            << head + sjis("\tmes \"表示～\"\r\n") + "}\r\n"
            << Diagnostics{fixAt(1, {{10, 0, ";"}, {7, 0, "「"}})} << head + sjis("\tmes \"表「示～\";\r\n") + "}\r\n"
            << 1;
        QTest::newRow("a character that does not round trip stays as its bytes")
            << head + "\tmes \"\xed\x40\"\r\n}\r\n"
            << Diagnostics{fixAt(1, {{8, 0, ";"}})} << head + "\tmes \"\xed\x40\";\r\n}\r\n"
            << 1;
        QTest::newRow("last line without its line end")
            << head + "\tclose;\r\n}" << Diagnostics{fixAt(2, {{0, 0, "\t"}})} << head + "\tclose;\r\n\t}" << 1;
        QTest::newRow("lone LF and lone CR lines")
            << QByteArray("a\nb\rwrap\n") << Diagnostics{fixAt(2, {{0, 4, "warp"}})} << QByteArray("a\nb\rwarp\n") << 1;
        QTest::newRow("changes far apart make two hunks")
            << head + QByteArray("\tmes \"a\";\r\n").repeated(10) + "\twrap;\r\n}\r\n"
            << Diagnostics{fixAt(0, {{0, 1, "k"}}), fixAt(11, {{1, 4, "warp"}})}
            << "k" + head.mid(1) + QByteArray("\tmes \"a\";\r\n").repeated(10) + "\twarp;\r\n}\r\n"
            << 2;
        QTest::newRow("changes whose contexts meet share a hunk")
            << head + QByteArray("\tmes \"a\";\r\n").repeated(6) + "\twrap;\r\n}\r\n"
            << Diagnostics{fixAt(0, {{0, 1, "k"}}), fixAt(7, {{1, 4, "warp"}})}
            << "k" + head.mid(1) + QByteArray("\tmes \"a\";\r\n").repeated(6) + "\twarp;\r\n}\r\n"
            << 1;
    }
    void fixDiff_appliesWithPatchByteForByte()
    {
        QFETCH(QByteArray, original);
        QFETCH(Diagnostics, diagnostics);
        QFETCH(QByteArray, expected);
        QFETCH(int, hunks);
        const QByteArray diff = FixDiff::diff(QStringLiteral("npc/a.txt"), original, diagnostics);
        QVERIFY(diff.startsWith("--- a/npc/a.txt\n+++ b/npc/a.txt\n"));
        QCOMPARE(diff.count("\n@@ "), hunks);
        QCOMPARE(patched(original, diff), expected);
    }

    void fixDiff_nothingSureToFix_givesNoDiff_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<Diagnostics>("diagnostics");
        const QByteArray line = "\twrap;\r\n";
        QTest::newRow("no fixes") << line << Diagnostics{Rules::make(Rule::MissingSemicolon, 0, 5, 1)};
        QTest::newRow("edit past the line's end") << line << Diagnostics{fixAt(0, {{5, 3, "x"}})};
        QTest::newRow("line that is not there") << line << Diagnostics{fixAt(4, {{0, 0, "x"}})};
        QTest::newRow("text the code page cannot hold") << line << Diagnostics{fixAt(0, {{1, 4, "😀"}})};
        QTest::newRow("text with a line break") << line << Diagnostics{fixAt(0, {{1, 4, "a\nb"}})};
        QTest::newRow("bytes that are not Shift_JIS on the line")
            << QByteArray("\twrap \"\xff\";\r\n") << Diagnostics{fixAt(0, {{1, 4, "warp"}})};
        QTest::newRow("an edit that changes nothing") << line << Diagnostics{fixAt(0, {{1, 4, "wrap"}})};
    }
    void fixDiff_nothingSureToFix_givesNoDiff()
    {
        QFETCH(QByteArray, original);
        QFETCH(Diagnostics, diagnostics);
        QCOMPARE(FixDiff::diff(QStringLiteral("a.txt"), original, diagnostics), QByteArray());
    }

    void json_oneObjectPerFindingWithPlacesInCharacters()
    {
        const QJsonArray findings = QJsonDocument::fromJson(JsonFormat::report({sampleResult()})).array();
        QCOMPARE(findings.size(), 2);
        const QJsonObject unclosed = findings.at(0).toObject();
        QCOMPARE(unclosed.value("file").toString(), QStringLiteral("npc/港 町.txt"));
        QCOMPARE(unclosed.value("code").toString(), QStringLiteral("TW201"));
        QCOMPARE(unclosed.value("severity").toString(), QStringLiteral("error"));
        QCOMPARE(unclosed.value("line").toInt(), 1);
        QCOMPARE(unclosed.value("column").toInt(), 24); // the emoji counts once
        QCOMPARE(unclosed.value("end").toObject().value("column").toInt(), 25);
        const QJsonObject related = unclosed.value("related").toArray().at(0).toObject();
        QCOMPARE(related.value("line").toInt(), 3);
        QCOMPARE(related.value("end").toObject().value("column").toInt(), 10);
        QVERIFY(!related.value("message").toString().isEmpty());
        const QJsonObject edit = findings.at(1)
                                     .toObject()
                                     .value("fixes")
                                     .toArray()
                                     .at(0)
                                     .toObject()
                                     .value("edits")
                                     .toArray()
                                     .at(0)
                                     .toObject();
        QCOMPARE(edit.value("line").toInt(), 2);
        QCOMPARE(edit.value("column").toInt(), 6);
        QCOMPARE(edit.value("end").toObject().value("column").toInt(), 10);
        QCOMPARE(edit.value("text").toString(), QStringLiteral("warp"));
    }

    void sarif_listsEveryRuleAndPointsResultsAtThem()
    {
        const QJsonObject log = QJsonDocument::fromJson(SarifFormat::report({sampleResult()}, {}, "1.0")).object();
        QCOMPARE(log.value("version").toString(), QStringLiteral("2.1.0"));
        const QJsonObject run = log.value("runs").toArray().at(0).toObject();
        const QJsonArray rules = run.value("tool").toObject().value("driver").toObject().value("rules").toArray();
        QCOMPARE(rules.size(), int(Rules::end() - Rules::begin()));
        for (const QJsonValue &rule : rules) {
            QVERIFY(!rule.toObject().value("shortDescription").toObject().value("text").toString().isEmpty());
            QVERIFY(!rule.toObject().value("fullDescription").toObject().value("text").toString().isEmpty());
        }
        const QJsonArray results = run.value("results").toArray();
        QCOMPARE(results.size(), 2);
        for (const QJsonValue &result : results) {
            const QJsonObject object = result.toObject();
            QCOMPARE(rules.at(object.value("ruleIndex").toInt()).toObject().value("id"), object.value("ruleId"));
        }
        const QJsonObject first = results.at(0).toObject();
        const QJsonObject location =
            first.value("locations").toArray().at(0).toObject().value("physicalLocation").toObject();
        QCOMPARE(location.value("artifactLocation").toObject().value("uri").toString(),
                 QStringLiteral("npc/%E6%B8%AF%20%E7%94%BA.txt"));
        QCOMPARE(location.value("region").toObject().value("startColumn").toInt(), 24);
        QCOMPARE(first.value("relatedLocations")
                     .toArray()
                     .at(0)
                     .toObject()
                     .value("physicalLocation")
                     .toObject()
                     .value("region")
                     .toObject()
                     .value("startLine")
                     .toInt(),
                 3);
        const QJsonObject replacement = results.at(1)
                                            .toObject()
                                            .value("fixes")
                                            .toArray()
                                            .at(0)
                                            .toObject()
                                            .value("artifactChanges")
                                            .toArray()
                                            .at(0)
                                            .toObject()
                                            .value("replacements")
                                            .toArray()
                                            .at(0)
                                            .toObject();
        QCOMPARE(replacement.value("deletedRegion").toObject().value("startColumn").toInt(), 6);
        QCOMPARE(replacement.value("insertedContent").toObject().value("text").toString(), QStringLiteral("warp"));
        QCOMPARE(run.value("invocations").toArray().at(0).toObject().value("executionSuccessful").toBool(), true);
    }

    // Every format carries the places of a flow finding's path, in the same order.
    void emptyWindow_pathPlaces_inEveryFormat()
    {
        const CheckReport::FileResult result = emptyWindowResult();
        QCOMPARE(result.diagnostics.size(), 1);
        QCOMPARE(result.diagnostics.front().code, QStringLiteral("TW502"));
        const QStringList expected{"3:2", "4:2"}; // the close2, the condition that held

        QStringList gcc;
        const QRegularExpression note(QStringLiteral(R"(^a\.txt:(\d+:\d+): note: \S)"),
                                      QRegularExpression::MultilineOption);
        const QString report = GccFormat::report(result);
        for (auto it = note.globalMatch(report); it.hasNext();)
            gcc << it.next().captured(1);
        QCOMPARE(gcc, expected);
        QVERIFY(report.startsWith(QStringLiteral("a.txt:5:3: warning: ")));
        QCOMPARE(report.count(u'\n'), 3); // the finding, then its notes

        const QJsonObject json = QJsonDocument::fromJson(JsonFormat::report({result})).array().at(0).toObject();
        QCOMPARE(placesOf(json.value("related").toArray(), {}), expected);

        const QJsonObject sarif = QJsonDocument::fromJson(SarifFormat::report({result}, {}, "1.0"))
                                      .object()
                                      .value("runs")
                                      .toArray()
                                      .at(0)
                                      .toObject()
                                      .value("results")
                                      .toArray()
                                      .at(0)
                                      .toObject();
        QCOMPARE(placesOf(sarif.value("relatedLocations").toArray(), QStringLiteral("region")), expected);
    }

    void sarif_unreadableFile_makesTheRunUnsuccessful()
    {
        const QJsonObject log =
            QJsonDocument::fromJson(SarifFormat::report({}, {QStringLiteral("x.txt: ファイルがありません")}, "1.0"))
                .object();
        const QJsonObject invocation =
            log.value("runs").toArray().at(0).toObject().value("invocations").toArray().at(0).toObject();
        QCOMPARE(invocation.value("executionSuccessful").toBool(), false);
        QCOMPARE(invocation.value("toolExecutionNotifications").toArray().size(), 1);
    }
};

QTEST_GUILESS_MAIN(CheckFormatsTest)
#include "test_check_formats.moc"
