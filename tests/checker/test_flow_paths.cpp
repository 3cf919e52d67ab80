// The path a flow finding was found on: the places it names (where the window was
// closed or opened, the call that left it so, the way chosen) and the decisions the
// preview takes again (choices, conditions, command results), each by its line.
#include "checker/script_check.h"
#include "checker_test_support.h"

#include <QTest>

namespace {

// "start:2", "choice:3=2", "holds:4", "fails:4", "value:3=2"; lines from 1.
QStringList decisionsOf(const Diagnostic &d)
{
    static const char *const kKinds[] = {"start", "choice", "holds", "fails", "value"};
    QStringList said;
    for (const Diagnostic::Decision &decision : d.path) {
        QString text =
            QStringLiteral("%1:%2").arg(QString::fromLatin1(kKinds[int(decision.kind)])).arg(decision.line + 1);
        if (decision.kind == Diagnostic::Decision::Kind::Choice || decision.kind == Diagnostic::Decision::Kind::Value)
            text += QStringLiteral("=%1").arg(decision.value);
        said << text;
    }
    return said;
}

QList<int> relatedLines(const Diagnostic &d)
{
    QList<int> lines;
    for (const Diagnostic::Related &place : d.related)
        lines << place.line + 1;
    return lines;
}

// The one finding of `code` in `script`.
Diagnostic onlyFinding(const QString &script, const QString &code)
{
    const Diagnostics found = checkScript(script);
    Diagnostics of;
    for (const Diagnostic &d : found) {
        if (d.code == code)
            of.append(d);
    }
    if (of.size() != 1)
        qWarning() << "findings:" << described(found);
    return of.value(0);
}

} // namespace

class FlowPathsTest : public QObject
{
    Q_OBJECT

private slots:
    // TW502 and TW503 name how the window came to be as it is, and the way taken;
    // TW507 the read its value reaches, TW506 where the name it is near to is set.
    void flowFindings_nameThePlacesOnTheirPath_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("line");
        QTest::addColumn<QList<int>>("related");
        QTest::newRow("close after close2 where a condition holds")
            << npc("\tmes \"a\";\n\tclose2;\n\tif (@a)\n\t\tclose;\n\tend;") << "TW502" << 5 << QList<int>{3, 4};
        QTest::newRow("close after a call that came back with the window closed")
            << npc("\tcallsub L_Bye;\n\tclose;\nL_Bye:\n\tmes \"bye\";\n\tclose2;\n\treturn;") << "TW502" << 3
            << QList<int>{2};
        QTest::newRow("close after close2 on a menu's first choice")
            << npc("\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose2;\n\tclose;\nL_Y:\n\tclose;") << "TW502"
            << 6 << QList<int>{5, 3};
        QTest::newRow("storage where the message is open on the way a condition holds")
            << npc("\tif (@a) {\n\t\tmes \"a\";\n\t} else {\n\t\tmes \"b\";\n\t\tclose2;\n\t}\n\tguildopenstorage;"
                   "\n\tend;")
            << "TW503" << 8 << QList<int>{3, 2};
        QTest::newRow("storage after a call that left the message open")
            << npc("\tcallsub L_Say;\n\topenstorage;\n\tend;\nL_Say:\n\tmes \"hi\";\n\treturn;") << "TW503" << 3
            << QList<int>{2};
        QTest::newRow("a text stored in a number variable and read further on")
            << npc("\tset .@n,\"five\";\n\tgetitem 501,1;\n\tgetitem .@n,1;\n\tend;") << "TW507" << 2 << QList<int>{4};
        QTest::newRow("the nearer of two reads after a store of the other type")
            << npc("\t.@name$ = 5;\n\tif (@a)\n\t\tmes .@name$;\n\tmes .@name$;\n\tclose;") << "TW507" << 2
            << QList<int>{4};
        QTest::newRow("a misspelt variable, where the one meant is set")
            << npc("\tset .@count,3;\n\tmes \"n\" + .@cuont;\n\tclose;") << "TW506" << 3 << QList<int>{2};
        QTest::newRow("a variable no name is near to")
            << npc("\tmes \"n\" + .@zzz;\n\tclose;") << "TW506" << 2 << QList<int>{};
    }
    void flowFindings_nameThePlacesOnTheirPath()
    {
        QFETCH(QString, script);
        QFETCH(QString, code);
        QFETCH(int, line);
        QFETCH(QList<int>, related);
        const Diagnostic finding = onlyFinding(script, code);
        QCOMPARE(finding.line + 1, line);
        QCOMPARE(relatedLines(finding), related);
    }

    // What the player and the world decide on the way to the finding, in order.
    void windowFindings_carryTheDecisionsOfTheirPath_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("decisions");
        QTest::newRow("a condition that holds") << npc("\tmes \"a\";\n\tclose2;\n\tif (@a)\n\t\tclose;\n\tend;")
                                                << "TW502" << QStringList{"start:2", "holds:4"};
        QTest::newRow("a menu's second label")
            << npc("\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose;\nL_Y:\n\tend;") << "TW501"
            << QStringList{"start:2", "choice:3=2"};
        QTest::newRow("a menu text of two choices before the label taken")
            << npc("\tmes \"a\";\n\tmenu \"x:y\",L_X,\"z\",L_Z;\nL_X:\n\tclose;\nL_Z:\n\tend;") << "TW501"
            << QStringList{"start:2", "choice:3=3"};
        QTest::newRow("a switch on select")
            << npc("\tmes \"a\";\n\tswitch (select(\"x:y\")) {\n\tcase 2:\n\t\tend;\n\t}\n\tclose;") << "TW501"
            << QStringList{"start:2", "choice:3=2"};
        QTest::newRow("a menu that goes on, and a switch on @menu")
            << npc("\tmes \"a\";\n\tmenu \"x\",-,\"y\",-;\n\tswitch (@menu) {\n\tcase 1:\n\t\tclose;\n\tcase "
                   "2:\n\t\tend;"
                   "\n\t}")
            << "TW501" << QStringList{"start:2", "choice:3=2"};
        QTest::newRow("a select stored and compared")
            << npc("\tmes \"a\";\n\t.@c = select(\"x:y:z\");\n\tif (.@c == 3) {\n\t\tmes \"z\";\n\t\tend;\n\t}"
                   "\n\tclose;")
            << "TW501" << QStringList{"start:2", "value:3=3", "holds:4"};
        QTest::newRow("a random number compared")
            << npc("\t.@r = rand(3);\n\tif (.@r != 2)\n\t\tend;\n\tmes \"two\";\n\tend;") << "TW501"
            << QStringList{"start:2", "value:2=2", "fails:3"};
        QTest::newRow("a path from an event label")
            << QStringLiteral("m.tsg,5,5,0\tscript\tTrap\t-1,2,2,{\n\tend;\nOnTouch:\n\tmes \"Ouch\";\n\tend;\n}")
            << "TW501" << QStringList{"start:3"};
        QTest::newRow("a storage reached where one branch kept the message")
            << npc("\tif (@a) {\n\t\tmes \"a\";\n\t} else {\n\t\tmes \"b\";\n\t\tclose2;\n\t}\n\tguildopenstorage;"
                   "\n\tend;")
            << "TW503" << QStringList{"start:2", "holds:2"};
    }
    void windowFindings_carryTheDecisionsOfTheirPath()
    {
        QFETCH(QString, script);
        QFETCH(QString, code);
        QFETCH(QStringList, decisions);
        QCOMPARE(decisionsOf(onlyFinding(script, code)), decisions);
    }

    // The places a TW501 names and the decisions it carries are of one path: the
    // message that opened the window is on the branch the condition's outcome takes.
    void stuckPlayer_placesAndDecisions_areOfOnePath()
    {
        const Diagnostic stuck = onlyFinding(
            npc("\tif (Zeny < 5) {\n\t\tmes \"a\";\n\t} else {\n\t\tmes \"b\";\n\t}\n\tend;"), QStringLiteral("TW501"));
        const QStringList decisions = decisionsOf(stuck);
        QCOMPARE(relatedLines(stuck).size(), 1); // the paths parted before the window opened
        const int opener = relatedLines(stuck).front();
        QVERIFY2((decisions == QStringList{"start:2", "holds:2"} && opener == 3) ||
                     (decisions == QStringList{"start:2", "fails:2"} && opener == 5),
                 qPrintable(decisions.join(u' ') + QStringLiteral(" opener %1").arg(opener)));
    }

    // Each traced path costs its length: a body's first 32 findings are given theirs.
    void manyFindings_onlyTheFirstCarryTheirPath()
    {
        QString body = QStringLiteral("\tmes \"a\";\n\tclose2;\n");
        for (int i = 0; i < 40; ++i)
            body += QStringLiteral("\tif (Zeny < %1) close;\n").arg(i);
        const Diagnostics found = checkScript(npc(body + QStringLiteral("\tend;")));
        QCOMPARE(found.size(), 40);
        const auto withPath = std::count_if(found.cbegin(), found.cend(), [](const Diagnostic &d) {
            return d.code == u"TW502" && !d.path.isEmpty() && !d.related.isEmpty();
        });
        QCOMPARE(withPath, 32);
    }

    // The path's lines move with the finding when lines are added above it.
    void path_followsEditsAbove()
    {
        ScriptCheck check;
        check.replaceLines(0, 0,
                           npc("\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose;\nL_Y:\n\tend;").split(u'\n'));
        check.updateFlow();
        check.replaceLines(0, 0, {QStringLiteral("// a"), QStringLiteral("// b")});
        check.updateFlow();
        const Diagnostics found = check.allDiagnostics();
        QCOMPARE(found.size(), 1);
        QCOMPARE(decisionsOf(found.front()), (QStringList{"start:4", "choice:5=2"}));
    }
};

QTEST_GUILESS_MAIN(FlowPathsTest)
#include "test_flow_paths.moc"
