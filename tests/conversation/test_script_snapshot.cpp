#include "checker/script_check.h"
#include "conversation/script_snapshot.h"

#include <QTest>

using namespace Conversation;

namespace {

// Lines from 0, numbered beside each.
const QStringList kScript = QString("// shared things\n"                        // 0
                                    "harbor01.tsg,5,5,4\tscript\tGuard\t56,{\n" // 1
                                    "\tmes \"Hi\";\n"                           // 2
                                    "\tclose;\n"                                // 3
                                    "OnTouch:\n"                                // 4
                                    "\tmes \"Touched\";\n"                      // 5
                                    "\tclose;\n"                                // 6
                                    "}\n"                                       // 7
                                    "\n"                                        // 8
                                    "harbor01.tsg,6,6,4\tscript\tOpen\t56,{\n"  // 9
                                    "\tif (1) {\n"                              // 10
                                    "\t\tmes \"never closed\";\n"               // 11
                                    "function\tscript\tHelp\t{\n"               // 12
                                    "\treturn 7;\n"                             // 13
                                    "}")                                        // 14
                                .split(u'\n');

} // namespace

class TestScriptSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void targetAt_line_givesBodyHoldingIt_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("name"); // empty: none
        QTest::addColumn<int>("definitionLine");
        QTest::addColumn<QString>("label");

        QTest::newRow("comment before any body") << 0 << "" << -1 << "";
        QTest::newRow("definition line") << 1 << "Guard" << 1 << "";
        QTest::newRow("inside") << 3 << "Guard" << 1 << "";
        QTest::newRow("on an event label") << 4 << "Guard" << 1 << "OnTouch";
        QTest::newRow("closing brace") << 7 << "Guard" << 1 << "";
        QTest::newRow("blank line after a body") << 8 << "" << -1 << "";
        QTest::newRow("unclosed body ends before the next definition") << 11 << "Open" << 9 << "";
        QTest::newRow("function") << 13 << "Help" << 12 << "";
        QTest::newRow("past the end") << 40 << "" << -1 << "";
    }

    void targetAt_line_givesBodyHoldingIt()
    {
        QFETCH(int, line);
        QFETCH(QString, name);
        ScriptSnapshot snapshot(ScriptLines::of(kScript));
        const auto target = snapshot.targetAt(line);
        QCOMPARE(bool(target), !name.isEmpty());
        if (!target)
            return;
        QCOMPARE(target->name, name);
        QTEST(target->source.lineOffset, "definitionLine");
        QTEST(target->label, "label");
    }

    void targetAt_eventsWithoutPlayer_saySo_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("withoutPlayer");

        const QString guard =
            "m.tsg,1,1,4\tscript\tG\t1,{\n\tend;\nOnInit:\n\tend;\nOnTouch:\n\tend;\nOnTimer500:\n\tend;\n}";
        QTest::newRow("talked to") << guard << 1 << false;
        QTest::newRow("OnInit") << guard << 2 << true;
        QTest::newRow("OnTouch has a player") << guard << 4 << false;
        QTest::newRow("OnTimer") << guard << 6 << true;
        QTest::newRow("NPC with no place") << "-\tscript\tHidden\t-1,{\n\tend;\n}" << 1 << true;
        QTest::newRow("function") << "function\tscript\tF\t{\n\treturn;\n}" << 1 << false;
    }

    void targetAt_eventsWithoutPlayer_saySo()
    {
        QFETCH(QString, script);
        QFETCH(int, line);
        ScriptSnapshot snapshot(ScriptLines::of(script.split(u'\n')));
        const auto target = snapshot.targetAt(line);
        QVERIFY(target);
        QTEST(target->withoutPlayer, "withoutPlayer");
    }

    void function_named_givesItsBody_readOnlyWhenFirstCalled()
    {
        int furthest = -1;
        ScriptSnapshot snapshot({[] { return int(kScript.size()); },
                                 [&furthest](int line) {
                                     furthest = std::max(furthest, line);
                                     return kScript.value(line);
                                 }});
        QVERIFY(snapshot.targetAt(2));
        QCOMPARE(furthest, 7); // the Guard's lines, not the whole script
        const auto help = snapshot.function(QStringLiteral("Help"));
        QVERIFY(help);
        QCOMPARE(help->lineOffset, 12);
        QCOMPARE(help->check->text(1), QStringLiteral("\treturn 7;"));
        QVERIFY(!snapshot.function(QStringLiteral("Nobody")));
    }

    void run_fromSnapshot_callfuncReachesFunctionOfTheScript()
    {
        ScriptSnapshot snapshot(
            ScriptLines::of(QString("a.tsg,1,1,0\tscript\tA\t1,{\n\tmes \"\" + callfunc(\"Help\");\n"
                                    "\tclose;\n}\nfunction\tscript\tHelp\t{\n\treturn 7;\n}")
                                .split(u'\n')));
        const auto target = snapshot.targetAt(1);
        QVERIFY(target);
        Run run(target->source, {}, [&](const QString &name) { return snapshot.function(name); });
        QCOMPARE(run.transcript().pages.value(0).lines.value(0).pieces.value(0).text, QStringLiteral("7"));
    }
};

QTEST_GUILESS_MAIN(TestScriptSnapshot)
#include "test_script_snapshot.moc"
