// Each rule of the checker on small scripts: where it fires, with which code, and
// that the constructs of the language around it do not make it fire.
#include "checker/commands.h"
#include "checker/language.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "checker_test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class CheckerRulesTest : public QObject
{
    Q_OBJECT

private:
    void addColumns()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
    }
    // The rules of statements, labels and definition lines, on snippets that are
    // not whole conversations: the flow of the body is judged in its own tables.
    void compare()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        QCOMPARE(described(checkScript(script, false)), expected);
        // What the server reads without an error, the preview reads whole.
        if (!expectsAnError(expected))
            QCOMPARE(firstPreviewStop(script), QString());
    }

private slots:
    void rules_everyRowHasItsOwnCodeInOrder()
    {
        QSet<QString> codes;
        int index = 0;
        for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row, ++index) {
            QCOMPARE(int(row->rule), index);
            const QString code = QString::fromUtf16(row->code);
            QVERIFY2(code.size() == 5 && code.startsWith(u"TW"), qPrintable(code));
            QVERIFY2(!codes.contains(code), qPrintable(code));
            codes.insert(code);
        }
    }

    // A rule whose code no rule table expects anywhere is a rule no test shows firing.
    void everyRule_hasARowInARuleTable()
    {
        const QDir tests(QStringLiteral(TALEWICK_SCRIPTS "/.."));
        QString tables;
        QDirIterator sources(tests.path(), {QStringLiteral("*.cpp"), QStringLiteral("*.expected")}, QDir::Files,
                             QDirIterator::Subdirectories);
        while (sources.hasNext()) {
            QFile file(sources.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            tables += QString::fromUtf8(file.readAll());
        }
        QSet<QString> expected;
        // "2:7 TW206" in a row, "[TW206]" in a report.
        const QRegularExpression row(QStringLiteral("(?:\\d+:\\d+ |\\[)(TW\\d{3})"));
        for (auto match = row.globalMatch(tables); match.hasNext();)
            expected.insert(match.next().captured(1));
        for (const Rules::Row *rule = Rules::begin(); rule != Rules::end(); ++rule)
            QVERIFY2(expected.contains(QString::fromUtf16(rule->code)), qPrintable(QString::fromUtf16(rule->code)));
    }

    void bodyMistakes_areReportedWithTheirCode_data()
    {
        addColumns();
        const auto row = [](const char *name, const QString &body, const QStringList &expected) {
            QTest::newRow(name) << npc(body) << expected;
        };
        row("string left open", "\tmes \"Hello;\n\tclose;", {"2:6 TW101"});
        row("escaped quote leaves the string open", "\tmes \"C:\\\";\n\tclose;", {"2:6 TW101"});
        row("semicolon lost before the next command", "\tmes \"a\"\n\tclose;", {"2:8 TW102"});
        row("semicolon lost before a label", "\tmenu \"a\",L_A\nL_A:\n\tclose;", {"2:13 TW102"});
        row("semicolon lost before the brace", "\tclose", {"2:6 TW102"});
        row("misspelt command with a hint", "\twrap \"x\",1,2;", {"2:2 TW103"});
        row("misspelt function in an expression", "\tset @x,rnad(1,5);", {"2:9 TW103"});
        row("words that are no command", "\tまたね。\n\tclose;", {"2:2 TW103"});
        row("too few arguments", "\twarp \"x\",1;", {"2:2 TW104"});
        row("too many arguments", "\tclose 1;", {"2:2 TW104"});
        row("function with too many arguments", "\tset @x,getarg(0,1);", {"2:9 TW104"});
        row("missing comma", "\theal 100 50;", {"2:11 TW105"});
        row("stray token", "\tmes \"a\",);", {"2:10 TW106"});
        row("missing parenthesis", "\tif (Zeny < 500 goto L_A;\nL_A:\n\tclose;", {"2:5 TW107"});
        row("missing bracket", "\tset @x,@list[1;", {"2:14 TW108"});
        row("comment never closed", "\t/* note\n\tclose;", {"1:24 TW201", "2:2 TW109"});
        row("button's empty value", "\tset Zeny = ,0;", {"2:11 TW110"});
        row("button's empty value after a plain operator", "\tset Zeny + ,0;", {"2:11 TW110"});
        row("expression nested past the limit", "\tset @a," + QString(300, u'(') + "1" + QString(300, u')') + ";",
            {"2:264 TW111"});
        row("statements nested past the limit", "\t" + QString("if (1) ").repeated(300) + "close;", {"2:1791 TW111"});
        row("block without its head", "\tmes \"a\" {\n\t}", {"2:9 TW106"});
        row("break outside any loop", "\tbreak;\n\tend;", {"2:2 TW122"});
        row("continue in a switch outside any loop", "\tswitch (.@n) {\n\tcase 1:\n\t\tcontinue;\n\t}\n\tend;",
            {"4:3 TW122"});
        row("case value written twice", "\tswitch (.@n) {\n\tcase 1:\n\tcase 0x1:\n\t}\n\tend;", {"4:7 TW123"});
        row("second default", "\tswitch (.@n) {\n\tdefault:\n\tdefault:\n\t}\n\tend;", {"4:2 TW123"});
        row("default with a blank before its colon", "\tswitch (.@n) {\n\tdefault :\n\t}\n\tend;", {"3:2 TW124"});
        row("digits grouped wrong", "\t.@n = 12_;\n\tend;", {"2:8 TW113", "2:8 TW125"});
    }
    void bodyMistakes_areReportedWithTheirCode() { compare(); }

    void bodiesMenusAndLabels_areReportedWithTheirCode_data()
    {
        addColumns();
        QTest::newRow("body never closed") << kHeader + "\n\tclose;" << QStringList{"1:24 TW201"};
        QTest::newRow("body runs into the next definition")
            << kHeader + "\n\tclose;\n" + kHeader + "\n\tclose;\n}" << QStringList{"1:24 TW201", "3:20 TW202"};
        QTest::newRow("closing brace once too often")
            << npc("\tclose;") + "\n}" << QStringList{"4:1 TW203", "4:1 TW331"};
        QTest::newRow("statement after the body")
            << npc("\tclose;") + "\n\tmes \"x\";" << QStringList{"4:2 TW204", "4:2 TW331"};
        QTest::newRow("label after the body") << npc("\tclose;") + "\nL_A:" << QStringList{"4:1 TW204", "4:1 TW331"};
        QTest::newRow("menu with an odd number of parts")
            << npc("\tmenu \"Yes\",L_A,\"No\";\nL_A:\n\tclose;") << QStringList{"2:2 TW205"};
        QTest::newRow("menu with a string for a label") << npc("\tmenu \"Yes\",\"No\";") << QStringList{"2:13 TW205"};
        QTest::newRow("jump to a missing label") << npc("\tgoto L_Gone;") << QStringList{"2:7 TW206"};
        QTest::newRow("label differs in case")
            << npc("\tmenu \"a\",L_yes;\nL_Yes:\n\tclose;") << QStringList{"2:11 TW207", "3:1 TW210"};
        QTest::newRow("label defined twice")
            << npc("\tgoto L_A;\nL_A:\nL_A:\n\tclose;") << QStringList{"3:1 TW208", "4:1 TW208"};
        QTest::newRow("event label over 24 bytes")
            << npc("OnTimerForTheGreatHarborX:\n\tend;") << QStringList{"2:1 TW216", "2:1 TW209"};
        QTest::newRow("event label of 17 characters, 27 bytes")
            << npc("OnTimer受付受付受付受付受付:\n\tend;") << QStringList{"2:1 TW120", "2:1 TW209"};
        QTest::newRow("label nobody jumps to") << npc("L_Old:\n\tclose;") << QStringList{"2:1 TW210"};
        QTest::newRow("a jump goes to the lower-case label first")
            << npc("\tgoto L_A;\nL_A:\nl_a:\n\tclose;") << QStringList{"3:1 TW210"};
        QTest::newRow("definition without its body")
            << "m.tsg,1,2,0\tscript\tA\t1\n\tmes \"a\";\n}" << QStringList{"1:20 TW211", "1:22 TW320"};
        QTest::newRow("label of another NPC")
            << npc("\tgoto L_A;") + "\n" + npc("L_A:\n\tclose;") << QStringList{"2:7 TW206", "5:1 TW210"};
    }
    void bodiesMenusAndLabels_areReportedWithTheirCode() { compare(); }

    void definitionMistakes_areReportedWithTheirCode_data()
    {
        addColumns();
        QTest::newRow("shop without its items") << "m.tsg,1,2,0\tshop\tS" << QStringList{"1:18 TW301"};
        QTest::newRow("blanks for tabs, still read")
            << "m.tsg,1,2,0 script A 1,{\n\tclose;\n}" << QStringList{"1:1 TW331", "1:12 TW302"};
        QTest::newRow("blanks for the tabs of a duplicate")
            << "m.tsg,1,2,0 duplicate(Guide) Guide2 56" << QStringList{"1:1 TW331", "1:12 TW302"};
        QTest::newRow("blanks for one tab, dropped") << "m.tsg,1,2,0  shop\tS\t1,501:50" << QStringList{"1:12 TW303"};
        QTest::newRow("misspelt kind") << "m.tsg,1,2,0\tscirpt\tA\t1,{\n\tclose;\n}"
                                       << QStringList{"1:13 TW304", "2:2 TW331"};
        QTest::newRow("place without numbers") << "m.tsg,x,2,0\tshop\tS\t1,501:50" << QStringList{"1:1 TW305"};
        QTest::newRow("warp place missing a number") << "m.tsg,1\twarp\tW\t1,1,n.tsg,2,2" << QStringList{"1:1 TW305"};
        QTest::newRow("facing 9") << "m.tsg,1,2,9\tshop\tS\t1,501:50" << QStringList{"1:11 TW306"};
        QTest::newRow("empty name") << "m.tsg,1,2,0\tshop\t \t1,501:50" << QStringList{"1:18 TW307"};
        QTest::newRow("item without its price") << "m.tsg,1,2,0\tshop\tS\t1,501:50,502" << QStringList{"1:29 TW308"};
        QTest::newRow("script without a sprite") << "m.tsg,1,2,0\tscript\tA\t,{\n}" << QStringList{"1:22 TW309"};
        QTest::newRow("warp target incomplete") << "m.tsg,1,2\twarp\tW\t1,1,n.tsg,2" << QStringList{"1:18 TW310"};
        QTest::newRow("monster without its count")
            << "m.tsg,0,0,0,0\tmonster\tSlime\t1002" << QStringList{"1:29 TW311"};
        QTest::newRow("duplicate of nothing") << "m.tsg,1,2,0\tduplicate()\tB\t56" << QStringList{"1:13 TW312"};
    }
    void definitionMistakes_areReportedWithTheirCode() { compare(); }

    void codePage_unencodableCharacters_areErrors_data()
    {
        addColumns();
        QTest::newRow("emoji") << npc("\tmes \"😀\";") << QStringList{"2:7 TW401"};
        QTest::newRow("two emoji") << npc("\tmes \"😀🎉\";") << QStringList{"2:7 TW401", "2:9 TW401"};
        QTest::newRow("Hangul in a comment") << npc("\t// 안") << QStringList{"2:5 TW401"};
    }
    void codePage_unencodableCharacters_areErrors() { compare(); }

    void unknownCommand_hintsTheNearestCommand_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("hint");
        QTest::newRow("swapped letters") << "\twrap \"x\",1,2;"
                                         << "warp";
        QTest::newRow("swapped at the end") << "\tmse \"x\";"
                                            << "mes";
        QTest::newRow("one letter dropped") << "\tclos;"
                                            << "close";
        // A name that is not ASCII is no function's on any server.
        QTest::newRow("nothing near") << "\tまたね;"
                                      << "";
    }
    void unknownCommand_hintsTheNearestCommand()
    {
        QFETCH(QString, statement);
        QFETCH(QString, hint);
        const Diagnostics found = checkScript(npc(statement), false);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().code, QStringLiteral("TW103"));
        QCOMPARE(found.front().message.contains(QStringLiteral("「%1」ですか").arg(hint)), !hint.isEmpty());
    }

    // What later servers read, and what their loader lets pass: mistakes that break
    // the NPC are errors, slips the loader reads past are warnings.
    void laterServerMistakes_areReportedWithTheirCode_data()
    {
        addColumns();
        const auto row = [](const char *name, const QString &script, const QStringList &expected) {
            QTest::newRow(name) << script << expected;
        };
        const QString defineF = "\tfunction F {\n\t\treturn getarg(0);\n\t}";
        row("call before the declaration", npc("\tF(1);\n\tfunction F;\n\tclose;\n" + defineF), {"2:2 TW112"});
        row("call as a statement before the definition", npc("\tF 1;\n\tclose;\n" + defineF), {"2:2 TW112"});
        row("call in an expression before the definition", npc("\tset .@n, F(1);\n\tclose;\n" + defineF),
            {"2:11 TW112"});
        row("declared and never defined", npc("\tfunction F;\n\tF(1);\n\tclose;"), {"2:11 TW213"});
        row("defined twice", npc("\tclose;\n" + defineF + "\n" + defineF), {"3:11 TW214", "6:11 TW214"});
        row("function of another NPC", npc(defineF) + "\n" + npc("\tF(1);\n\tclose;"), {"7:2 TW103"});
        row("comma straight after the command", npc("\tgetitem, 501,1;"), {"2:9 TW106"});
        row("lone colon", npc(":\n\tclose;"), {"2:1 TW215"});
        row("comma after the facing", "m.tsg,1,2,4,\tshop\tS\t1,501:50", {"1:12 TW313"});
        row("letter after the facing", "m.tsg,1,2,4z\tshop\tS\t1,501:50", {"1:12 TW313"});
        row("warp with a sixth value", "m.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2,9", {"1:31 TW313"});
        row("words after the warp's tab", "m.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2\tto the hall", {"1:32 TW313"});
        row("shop line after a tab", "\tm.tsg,1,2,4\tshop\tS\t1,501:50", {"1:1 TW314"});
        row("NPC line after blanks", "  m.tsg,1,2,4\tscript\tA\t1,{\n\tclose;\n}", {"1:1 TW314"});
        row("NPC line without its kind", "m.tsg,5,5,4\tGuard\t56,{\n\tclose;\n}", {"1:13 TW315", "2:2 TW331"});
        row("mistake in the body of an NPC without its kind", "m.tsg,5,5,4\tGuard\t56,{\n\tmse \"a\";\n}",
            {"1:13 TW315", "2:2 TW103", "2:2 TW331"});
        row("shop items joined by a blank", "m.tsg,1,2,4\tshop\tS\t1,501:50 502:40", {"1:22 TW308"});
        row("shop items joined by a semicolon", "m.tsg,1,2,4\tshop\tS\t1,501:50;502:40", {"1:22 TW308"});
        row("shop items joined by a full stop", "m.tsg,1,2,4\tshop\tS\t1,501:50.502:40", {"1:22 TW308"});
        row("lost semicolon swallows the next message", npc("\tmes \"A\"\n\tmes \"B\";"), {"2:8 TW102"});
    }
    void laterServerMistakes_areReportedWithTheirCode() { compare(); }

    // A directive silences its codes on the next statement, or, above the first
    // definition line, in the whole file.
    void directives_silenceTheirCodes_data()
    {
        addColumns();
        const auto row = [](const char *name, const QString &script, const QStringList &expected) {
            QTest::newRow(name) << script << expected;
        };
        const QString directive = "\t// talewick-check disable=TW103\n";
        row("on the next statement only", npc(directive + "\tmse \"a\";\n\tmse \"b\";"), {"4:2 TW103"});
        row("across blank and comment lines", npc(directive + "\n\t// why\n\tmse \"a\";"), {});
        row("on every line of the statement",
            npc("\t// talewick-check disable=TW104,TW105\n\tmes \"a\" +\n\t\t1 2;\n\tmes \"d\" 3;"),
            {"5:2 TW104", "5:10 TW105"});
        row("several codes, blanks and a note",
            npc("\t// talewick-check disable=tw103 , TW206 kept for the old client\n\tmse \"a\"; goto L_X;"), {});
        row("on a label nothing jumps to", npc("// talewick-check disable=TW210\nL_Old:\n\tclose;"), {});
        row("another code still reported", npc(directive + "\tgoto L_X;"), {"3:7 TW206"});
        row("unknown code", npc("\t// talewick-check disable=TW103,TW999\n\tmse \"a\";"), {"2:34 TW901"});
        row("whole file from above the first definition",
            "// talewick-check disable=TW210\n" + npc("L_A:\n\tclose;") + "\n" + npc("L_B:\n\tclose;"), {});
        row("below the first definition, the next statement only",
            npc("\tclose;") + "\n// talewick-check disable=TW210\n" + npc("L_A:\n\tclose;") + "\n" +
                npc("L_B:\n\tclose;"),
            {"6:1 TW210", "10:1 TW210"});
        row("not a directive without its word", npc("\t// disable=TW103\n\tmse \"a\";"), {"3:2 TW103"});
    }
    void directives_silenceTheirCodes() { compare(); }

    // The language as operators write it: none of these may give any diagnostic.
    void validConstruct_givesNoDiagnostic_data()
    {
        QTest::addColumn<QString>("script");
        const auto row = [](const char *name, const QString &script) { QTest::newRow(name) << script; };
        row("indented label", npc("\tgoto L_A;\n\tL_A:\n\tclose;"));
        row("label before a statement", npc("\tgoto L_Yes;\nL_Yes:\tmes \"Yes\"; close;"));
        row("commas inside a call", npc("\tset @x,rand(1,5);"));
        row("joined strings", npc("\tmes \"Level \" + BaseLevel;"));
        row("string variable", npc("\tmes @name$;"));
        row("expression choices", npc("\tmenu getequipname(1),L_1,\"No\",-;\nL_1:\n\tclose;"));
        row("menu over lines", npc("\tmenu \"a\",L_A,\n\t\t\"b\",L_B;\nL_A:\nL_B:\n\tclose;"));
        row("statement over lines", npc("\tannounce \"The ferry leaves \" +\n\t\t\"at noon.\",0;"));
        row("if goto", npc("\tif (Zeny < 500) goto L_Poor;\n\tclose;\nL_Poor:\n\tclose;"));
        row("if with a command", npc("\tif (countitem(512) < 1) close;\n\tclose;"));
        row("block comment", npc("\t/* a note\n\t   over lines */\n\tclose;"));
        row("comment between tokens", npc("\tmes /* inline */ \"a\"; // trailing"));
        row("blocks and loops", npc("\tif (@a) {\n\t\tmes \"a\";\n\t} else if (@b) {\n\t\tmes \"b\";\n\t} else {\n"
                                    "\t\tmes \"c\";\n\t}\n\tfor (set .@i,0; .@i < 3; set .@i,.@i+1) {\n"
                                    "\t\tmes \"x\";\n\t}\n\twhile (.@i > 0) .@i--;\n\tclose;"));
        row("switch", npc("\tswitch (select(\"a:b\")) {\n\tcase 1:\n\t\tmes \"a\";\n\t\tbreak;\n\tdefault:\n"
                          "\t\tbreak;\n\t}\n\tclose;"));
        row("do while", npc("\tdo {\n\t\t.@i++;\n\t} while (.@i < 3);\n\tend;"));
        row("every operator", npc("\tset @x,(1 || 2 && 3 == 4 != 5 < 6 <= 7 > 8 >= 9 ^ 10 | 11 & 12 << 1 >> 1 "
                                  "+ 1 - 2 * 3 / 4 % 5) + -@y + !@z + ~0x1F;"));
        row("ternary", npc("\tmes (@a ? \"x\" : \"y\");"));
        row("assignments", npc("\t.@i = 1;\n\t@list[2] += 3;\n\t$@count++;"));
        row("one-line body", "m.tsg,1,1,0\tscript\tSign\t111,{ mes \"Closed.\"; close; }");
        row("function", "function\tscript\tF_Add\t{\n\treturn getarg(0) + getarg(1);\n}");
        row("floating NPC with events", "-\tscript\tTimer\t-1,{\nOnInit:\n\tinitnpctimer;\n\tend;\n"
                                        "OnTimer5000:\n\tstopnpctimer;\n\tend;\n}");
        row("touch area", "m.tsg,5,5,0\tscript\tTrap\t-1,2,2,{\nOnTouch:\n\twarp \"m\",1,1;\n\tend;\n}");
        row("shop", "m.tsg,1,2,4\tshop\tTools\t83,501:50,502:-1,1750:1");
        row("warp", "m.tsg,50,10,0\twarp\tExit\t1,1,n.tsg,120,64");
        row("monster", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,10,5000,0,Hunt::OnKill");
        row("mapflags", "m.tsg\tmapflag\tnosave\tSavePoint\nm.tsg\tmapflag\tpvp");
        row("duplicate", "m.tsg,30,30,2\tduplicate(Guide#a)\tGuide#b\t56");
        row("comment above everything", "/* ====\n   Harbor\n==== */\n" + npc("\tclose;"));
        row("double-byte character before the quote", npc("\tmes \"表示\";\n\tmes \"ソ\";"));
        row("event labels are never unused", npc("OnInit:\n\tend;\nOnMyEvent:\n\tend;"));
        row("buttons' set forms", npc("\tset Zeny += 100,0;\n\tset Zeny - 5,0;\n\tset @x = 1,0;"));
        row("buttons' other forms", npc("\temote 3;\n\toption 8,1;\n\tjobchage 4;\n\tadditem 501,1;\n"
                                        "\tdelitem 501,1;\n\tsave \"harbor01\",120,85;\n\theal 100,50;"));
        row("call with parentheses", npc("\tgetitem(501,1);\n\tclose();\n\tgoto(L_A);\nL_A:\n\tend;"));
        row("return value on the next line", "function\tscript\tF\t{\n\treturn\n\t\t5;\n}");
        row("shop list ending in a comma", "m.tsg,1,2,4\tshop\tTools\t83,501:50,");
        row("comment at the top never closed", "/* notes\n" + npc("\tclose;"));
        row("function declared, called, then defined",
            npc("\tfunction F;\n\tF(1);\n\tF 2;\n\tset .@n, F(3) + 1;\n\tclose;\n\tfunction F {\n"
                "\t\treturn getarg(0);\n\t}"));
        row("function defined before its call", npc("\tfunction F {\n\t\treturn;\n\t}\n\tF;\n\tclose;"));
        row("jumps to a function's name",
            npc("\tfunction F;\n\tcallsub F;\n\tgoto F;\n\tfunction F {\n\t\tclose;\n\t}"));
        row("if reads one whole expression",
            npc("\tif (Zeny < 500) || (BaseLevel < 10) goto L_No;\n\tif (.@a == 1) && (.@b == 2) set .@c, 1;\n"
                "\tclose;\nL_No:\n\tclose;"));
        row("comma before the closing parenthesis",
            npc("\tswitch (select(\"Yes\",\"No\",)) {\n\tcase 1:\n\t\tclose;\n\tcase 2:\n\t\tclose;\n\t}\n"
                "\tgetitem(501,1,);"));
        row("comments after the fields' tab", "m.tsg,50,10,0\twarp\tExit\t1,1,n.tsg,120,64\t/* to the hall */\n"
                                              "m.tsg,1,2,4\tshop\tS\t1,501:50\t// potions");
        row("labels that begin with a digit", npc("\tmenu \"a\",1000F,\"b\",2F;\n1000F:\n\tgoto 2F;\n2F:\n\tclose;"));
    }
    // The loader knows only "//" comments outside bodies: a definition inside "/* */"
    // there is read, and what is wrong in it is reported.
    void definitionInsideTopLevelBlockComment_isChecked()
    {
        QCOMPARE(described(checkScript("/* old guard\n" + npc("\tmse \"x\";") + "\n*/", false)),
                 QStringList{"3:2 TW103"});
    }

    void validConstruct_givesNoDiagnostic()
    {
        QFETCH(QString, script);
        QCOMPARE(described(checkScript(script, false)), QStringList());
    }

    void unclosedBody_andTheDefinitionItRunsInto_pointAtEachOther()
    {
        const Diagnostics found = checkScript(kHeader + "\n\tclose;\n" + kHeader + "\n\tclose;\n}", false);
        QCOMPARE(described(found), (QStringList{"1:24 TW201", "3:20 TW202"}));
        QCOMPARE(found.at(0).related.size(), 1);
        QCOMPARE(found.at(0).related.front().line, 2);
        QCOMPARE(found.at(0).related.front().column, found.at(1).column);
        QCOMPARE(found.at(1).related.size(), 1);
        QCOMPARE(found.at(1).related.front().line, 0);
    }

    // Each sure fix, applied to its line, mends it: no finding of that code is left.
    void sureFix_appliedToItsLine_removesTheFinding_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("code");
        QTest::newRow("unknown command") << npc("\twrap \"x\",1,2;") << "TW103";
        QTest::newRow("label in the other case") << npc("\tmenu \"a\",L_yes;\nL_Yes:\n\tclose;") << "TW207";
        QTest::newRow("lost semicolon") << npc("\tmes \"a\"\n\tclose;") << "TW102";
    }
    void sureFix_appliedToItsLine_removesTheFinding()
    {
        QFETCH(QString, script);
        QFETCH(QString, code);
        const Diagnostics found = checkScript(script);
        const auto finding =
            std::find_if(found.cbegin(), found.cend(), [&](const Diagnostic &d) { return d.code == code; });
        QVERIFY(finding != found.cend());
        QCOMPARE(finding->fixes.size(), 1);
        QStringList lines = script.split(u'\n');
        QString &line = lines[finding->line];
        const Diagnostic::Fix &fix = finding->fixes.front();
        for (auto edit = fix.edits.crbegin(); edit != fix.edits.crend(); ++edit)
            line.replace(edit->column, edit->length, edit->text);
        const Diagnostics after = checkScript(lines.join(u'\n'));
        QVERIFY(std::none_of(after.cbegin(), after.cend(), [&](const Diagnostic &d) { return d.code == code; }));
    }

    void commandsTable_addedRows_areKnownToTheCheck()
    {
        auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        QVERIFY(table->addRows(u"# our server\nsummonpet\t1\t2\te…\n"));
        ScriptCheck check(table);
        check.replaceLines(0, 0, npc("\tsummonpet 1;\n\tsummonpet 1,2,3;").split(u'\n'));
        QCOMPARE(described(check.allDiagnostics()), QStringList{"3:2 TW104"});
        QVERIFY(!table->addRows(u"broken\tx\t1\n"));
    }

    void commandsTable_find_matchesEveryWordInAnyCaseAndNothingElse()
    {
        const auto table = Commands::Table::builtIn();
        for (const Commands::Command *command : table->all()) {
            QCOMPARE(table->find(command->word), command);
            QCOMPARE(table->find(command->word.toUpper()), command);
        }
        for (const char16_t *absent : {u"", u"me", u"mess", u"ｍｅｓ", u"mesé", u"m\u0130s", u"mes "})
            QVERIFY2(!table->find(absent), qPrintable(QString::fromUtf16(absent)));
    }

    void commandsTable_copy_findsItsOwnRowsAndKeepsThoseBeforeAFailure()
    {
        auto copy = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        QVERIFY(!copy->addRows(u"mes\t0\t0\nsummonpet\t1\t1\te\nsummon_the_pet_of_the_guild\t0\t0\nbroken\n"));
        QCOMPARE(copy->find(u"MES")->max, 0);
        QCOMPARE(copy->find(u"Summon_The_Pet_Of_The_Guild")->word, u"summon_the_pet_of_the_guild");
        QVERIFY(!copy->find(u"summon_the_pet_of_the_guilt"));
        QCOMPARE(copy->find(u"SummonPet")->min, 1);
        QVERIFY(!Commands::Table::builtIn()->find(u"summonpet"));
        QCOMPARE(Commands::Table::builtIn()->find(u"mes")->counts[0].max, 1); // on the older servers
        Commands::Table assigned;
        assigned = *copy;
        copy.reset();
        QCOMPARE(assigned.find(u"summonpet")->min, 1);
    }

    void lowered_anyName_foldsAsTheServerDoes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lower");
        QTest::newRow("lower already") << u"l_start"_qs << u"l_start"_qs;
        QTest::newRow("ASCII capitals") << u"L_Start2"_qs << u"l_start2"_qs;
        QTest::newRow("capital last") << u"menU"_qs << u"menu"_qs;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("full-width capitals") << u"Ｌ_Ａ"_qs << u"ｌ_ａ"_qs;
        QTest::newRow("Japanese and ASCII") << u"L_受付"_qs << u"l_受付"_qs;
    }
    void lowered_anyName_foldsAsTheServerDoes()
    {
        QFETCH(QString, name);
        QFETCH(QString, lower);
        QCOMPARE(Language::lowered(name), lower);
        QCOMPARE(Language::lowered(name), name.toLower());
    }
};

QTEST_GUILESS_MAIN(CheckerRulesTest)
#include "test_checker_rules.moc"
