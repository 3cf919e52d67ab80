// The conversation's flow, one small NPC per case: where a player is left stuck,
// an empty window or a close behind a shop, a window where no player is, steps no
// path reaches, and scope variables. The safe forms must give nothing.
#include "checker/commands.h"
#include "checker/script_check.h"
#include "checker/target.h"
#include "checker_test_support.h"

#include <QTest>

class FlowRulesTest : public QObject
{
    Q_OBJECT

private:
    static void addColumns()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("expected");
    }
    static void row(const char *name, const QString &script, const QStringList &expected)
    {
        QTest::newRow(name) << script << expected;
    }
    static void compare()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        QCOMPARE(described(checkScript(script)), expected);
        // What the server reads without an error, the preview reads whole.
        if (!expectsAnError(expected))
            QCOMPARE(firstPreviewStop(script), QString());
    }

private slots:
    void stuckPlayer_isReportedAtTheEndReached_data()
    {
        addColumns();
        row("end after a message", npc("\tmes \"Bye.\";\n\tend;"), {"3:2 TW501"});
        row("body's brace after a message", npc("\tmes \"Bye.\";"), {"3:1 TW501"});
        row("return at the top after next", npc("\tmes \"a\";\n\tnext;\n\treturn;"), {"4:2 TW501"});
        row("menu branch that forgets its close",
            npc("\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tmes \"x\";\n\tclose;\nL_Y:\n\tmes \"y\";"),
            {"9:1 TW501"});
        row("one branch of an if", npc("\tif (Zeny < 5) mes \"poor\";\n\tend;"), {"3:2 TW501"});
        row("else branch", npc("\tif (@a) {\n\t\tmes \"a\";\n\t\tclose;\n\t} else {\n\t\tmes \"b\";\n\t}\n\tend;"),
            {"8:2 TW501"});
        row("switch on select without every choice",
            npc("\tmes \"a\";\n\tswitch (select(\"x:y\")) {\n\tcase 1:\n\t\tclose;\n\t}\n\tend;"), {"7:2 TW501"});
        row("loop that shows a message", npc("\tfor (set .@i,0; .@i < 3; .@i++)\n\t\tmes \"x\";\n\tend;"),
            {"4:2 TW501"});
        row("callsub that returns", npc("\tmes \"a\";\n\tgoto L_End;\nL_End:\n\tend;"), {"5:2 TW501"});
        row("subroutine that ends the script",
            npc("\tmes \"a\";\n\tcallsub L_Sub;\n\tclose;\nL_Sub:\n\tmes \"b\";\n\tend;"), {"7:2 TW501"});
        row("touch event", "m.tsg,5,5,0\tscript\tTrap\t-1,2,2,{\nOnTouch:\n\tmes \"Ouch\";\n\tend;\n}", {"4:2 TW501"});
    }
    void stuckPlayer_isReportedAtTheEndReached() { compare(); }

    void otherWindowRules_areReportedWithTheirCode_data()
    {
        addColumns();
        row("close with nothing shown", npc("\tgetitem 501,1;\n\tclose;"), {"3:2 TW502"});
        row("storage opened while a message shows", npc("\tmes \"a\";\n\tguildopenstorage;\n\tend;"), {"3:2 TW503"});
        row("storage opened after next", npc("\tmes \"a\";\n\tnext;\n\tguildopenstorage;\n\tend;"), {"4:2 TW503"});
        row("storage opened where one branch left the message open",
            npc("\tif (@a) {\n\t\tmes \"a\";\n\t} else {\n\t\tmes \"b\";\n\t\tclose2;\n\t}\n\tguildopenstorage;"
                "\n\tend;"),
            {"8:2 TW503"});
        row("statements after a goto", npc("\tgoto L_A;\n\tmes \"x\";\n\tmes \"y\";\nL_A:\n\tend;"), {"3:2 TW504"});
        row("statement after close", npc("\tmes \"a\";\n\tclose;\n\tset .@x,1;"), {"4:2 TW504"});
        // A for with no condition leaves only by break.
        row("statement after an endless for", npc("\tfor (;;) {\n\t\tmes \"a\";\n\t\tnext;\n\t}\n\tclose;"),
            {"6:2 TW504"});
        row("message in OnInit", "-\tscript\tInit\t-1,{\nOnInit:\n\tmes \"hi\";\n\tend;\n}", {"3:2 TW505"});
        row("menu in OnClock", "-\tscript\tBell\t-1,{\nOnClock1200:\n\tmenu \"a\",-;\n\tend;\n}", {"3:2 TW505"});
        row("misspelt scope variable", npc("\tset .@count,3;\n\tmes \"n\" + .@cuont;\n\tclose;"), {"3:12 TW506"});
        row("string into a number variable, then read", npc("\tset .@n,\"five\";\n\tgetitem .@n,1;\n\tend;"),
            {"2:10 TW507"});
        row("number into a string variable, then read", npc("\t.@name$ = 5;\n\tmes .@name$;\n\tclose;"),
            {"2:12 TW507"});
        row("number into a player's string variable, then read", npc("\t@name$ = 5;\n\tmes @name$;\n\tclose;"),
            {"2:11 TW507"});
    }
    void otherWindowRules_areReportedWithTheirCode() { compare(); }

    void safeForms_giveNothing_data()
    {
        addColumns();
        row("endless for left by break", npc("\tfor (;;) {\n\t\tmes \"a\";\n\t\tnext;\n\t\tbreak;\n\t}\n\tclose;"), {});
        row("message and close", npc("\tmes \"a\";\n\tclose;"), {});
        row("close2, warp, end", npc("\tmes \"a\";\n\tclose2;\n\twarp \"m\",1,1;\n\tend;"), {});
        row("warp then end", npc("\tmes \"a\";\n\tnext;\n\twarp \"m\",1,1;\n\tend;"), {});
        row("warp then close", npc("\tmes \"a\";\n\tnext;\n\twarp \"m\",1,1;\n\tclose;"), {});
        row("a function that closes", npc("\tmes \"a\";\n\tcallfunc \"F_Close\";\n\tend;"), {});
        row("a function of the body that closes",
            npc("\tfunction F;\n\tmes \"a\";\n\tF();\n\tend;\n\tfunction F {\n\t\tclose;\n\t}"), {});
        row("message in a timer attached to a player", "-\tscript\tT\t-1,{\nOnTimer1000:\n\tmes \"tick\";\n\tclose;\n}",
            {});
        row("switch on select that covers every choice",
            npc("\tmes \"a\";\n\tswitch (select(\"x:y\")) {\n\tcase 1:\n\t\tclose;\n\tcase 2:\n\t\tclose;\n\t}"), {});
        row("switch on @menu that covers the menu",
            npc("\tmes \"a\";\n\tmenu \"x\",-,\"y\",-;\n\tswitch (@menu) {\n\tcase 1:\n\t\tclose;\n\tcase "
                "2:\n\t\tclose;\n\t}"),
            {});
        row("subroutine that returns to a close",
            npc("\tmes \"a\";\n\tcallsub L_Sub;\n\tclose;\nL_Sub:\n\tmes \"b\";\n\treturn;"), {});
        row("nothing shown, end", npc("\tgetitem 501,1;\n\tend;"), {});
        row("a function's return after a message", "function\tscript\tF_Show\t{\n\tmes \"a\";\n\treturn;\n}", {});
        row("floating NPC called by name", "-\tscript\tHelper\t-1,{\n\tmes \"a\";\n\tend;\n}", {});
        row("break after close in a switch",
            npc("\tswitch (@a) {\n\tcase 1:\n\t\tmes \"a\";\n\t\tclose;\n\t\tbreak;\n\tdefault:\n\t\tend;\n\t}"), {});
        row("variables set every way",
            npc("\tinput .@a;\n\tsetarray .@b[0],1,2;\n\tcopyarray .@c[0],.@b[0],2;\n\t.@d = 1;\n\t.@e++;\n"
                "\tfor (.@f = 0; .@f < 2; .@f++) .@g += .@f;\n\tgetmapxy(.@m$,.@x,.@y,0);\n"
                "\tmes .@a + .@b[1] + .@c[0] + .@d + .@e + .@g + .@m$ + .@x + .@y;\n\tclose;"),
            {});
        row("player variables are judged across files, not per body",
            npc("\tmes \"\" + @never + $@global;\n\t@cuont = @count + 1;\n\tclose;"), {});
        row("a body with a mistake is not judged", npc("\tmes \"a\";\n\tmse \"b\";\n\tend;"), {"3:2 TW103"});
        row("silenced by a directive", npc("\tmes \"a\";\n\t// talewick-check disable=TW501\n\tend;"), {});
        row("a loop head the file ends on",
            QStringLiteral("map.tsg,5,5,4\tscript\tGuard\t56,{\n\tfor (sett .@i, 0; .@i < 3; .@i++) \n"),
            {"1:31 TW201", "2:7 TW103"});
    }
    void safeForms_giveNothing() { compare(); }

    // A shop or storage opened while a message shows is the mistake, at the open;
    // a close after it only puts a button in the message window.
    void otherWindow_isWarnedWhereItOpensBesideAMessage_data()
    {
        addColumns();
        row("close after storage opened behind close2", npc("\tmes \"a\";\n\tclose2;\n\tguildopenstorage;\n\tclose;"),
            {});
        row("storage after close2, then end", npc("\tmes \"a\";\n\tclose2;\n\tguildopenstorage;\n\tend;"), {});
        row("storage with nothing shown", npc("\tguildopenstorage;\n\tend;"), {});
        row("storage opened on a message, closed after", npc("\tmes \"a\";\n\tguildopenstorage;\n\tclose;"),
            {"3:2 TW503"});
    }
    void otherWindow_isWarnedWhereItOpensBesideAMessage() { compare(); }

    // Every way the server stores counts as giving a value: no TW506 for these.
    void storesBesidesSet_giveValues_data()
    {
        addColumns();
        row("prefix and postfix increments, compound assignments",
            npc("\t++.@a;\n\t--.@b;\n\t.@c--;\n\t.@d *= 2;\n\tmes \"\" + .@a + .@b + .@c + .@d;\n\tclose;"), {});
        row("assignment and increment inside an expression",
            npc("\tif ((.@a = rand(3)) > 1) mes \"\" + .@a;\n\tmes \"\" + (.@b++) + .@b;\n\tclose;"), {});
        row("a subroutine sets its argument through getarg",
            npc("\tcallsub L_Get, .@out;\n\tmes \"\" + .@out;\n\tclose;\nL_Get:\n\tset getarg(0), 5;\n\treturn;"), {});
        row("a function of the file sets its argument through getarg",
            npc("\tcallfunc \"F_Get\", .@out;\n\tmes \"\" + .@out;\n\tclose;") +
                "\nfunction\tscript\tF_Get\t{\n\tset getarg(0), 5;\n\treturn;\n}",
            {});
        row("a function of the body sets its argument through getarg",
            npc("\tfunction Get;\n\tGet(.@out);\n\tmes \"\" + .@out;\n\tclose;\n\tfunction Get {\n"
                "\t\tset getarg(0), 5;\n\t\treturn;\n\t}"),
            {});
        // Only the position getarg writes is given a value.
        row("an argument in a position getarg does not write",
            npc("\tcallsub L_Get, .@a, .@b;\n\tmes \"\" + .@a + .@b;\n\tclose;\nL_Get:\n\tset getarg(1), 5;\n"
                "\treturn;"),
            {"2:17 TW506", "3:11 TW506"});
    }
    void storesBesidesSet_giveValues() { compare(); }

    // A call applies what its callee does to the window: a function of the file by
    // callfunc, in a condition or by name, a label by callsub, a function of the body.
    void calls_applyWhatTheCalleeDoes_data()
    {
        addColumns();
        const QString hello = "\nfunction\tscript\tF_Hello\t{\n\tmes \"Hello.\";\n\treturn;\n}";
        const QString ask = "\nfunction\tscript\tF_Ask\t{\n\tmes \"Sure?\";\n\treturn select(\"Yes:No\") - 1;\n}";
        const QString bye = "\nfunction\tscript\tF_Bye\t{\n\tmes \"Bye.\";\n\tclose;\n}";
        row("callfunc of a function that shows a message, then end", npc("\tcallfunc \"F_Hello\";\n\tend;") + hello,
            {"3:2 TW501"});
        // Called by name, which only today's servers read.
        row("a function called by name", npc("\tF_Hello;\n\tend;") + hello, {"2:2 TW114", "3:2 TW501"});
        row("a function called by name with brackets", npc("\tF_Hello();\n\tend;") + hello, {"2:2 TW114", "3:2 TW501"});
        row("a function called inside a value", npc("\tset .@a, callfunc(\"F_Hello\");\n\tend;") + hello,
            {"3:2 TW501"});
        row("close after a function asked in a condition",
            npc("\tif (callfunc(\"F_Ask\") == 0) close;\n\tmes \"Done.\";\n\tclose;") + ask, {});
        row("a function that shows a message, then close", npc("\tcallfunc \"F_Hello\";\n\tclose;") + hello, {});
        row("a function that closes, then end", npc("\tcallfunc \"F_Bye\";\n\tend;") + bye, {});
        row("a function that closes with close2, then close",
            npc("\tcallfunc \"F_Done\";\n\tclose;") +
                "\nfunction\tscript\tF_Done\t{\n\tmes \"a\";\n\tclose2;\n\treturn;\n}",
            {"3:2 TW502"});
        row("a function that calls another that shows a message",
            npc("\tcallfunc \"F_Outer\";\n\tend;") +
                "\nfunction\tscript\tF_Outer\t{\n\tcallfunc \"F_Hello\";\n\treturn;\n}" + hello,
            {"3:2 TW501"});
        row("a function that calls itself",
            npc("\tcallfunc \"F_Loop\";\n\tend;") +
                "\nfunction\tscript\tF_Loop\t{\n\tif (@a) callfunc \"F_Loop\";\n\tclose2;\n\treturn;\n}",
            {});
        // Round the circle the window is unknown; the way out of it still shows the message.
        row("functions that call each other round",
            npc("\tcallfunc \"F_A\";\n\tend;") +
                "\nfunction\tscript\tF_A\t{\n\tmes \"a\";\n\tcallfunc \"F_B\";\n\treturn;\n}" +
                "\nfunction\tscript\tF_B\t{\n\tif (rand(2)) callfunc \"F_A\";\n\treturn;\n}",
            {"3:2 TW501"});
        row("functions that call each other round, closing on the way out",
            npc("\tmes \"a\";\n\tcallfunc \"F_A\";\n\tclose;") +
                "\nfunction\tscript\tF_A\t{\n\tcallfunc \"F_B\";\n\treturn;\n}" +
                "\nfunction\tscript\tF_B\t{\n\tif (rand(2)) callfunc \"F_A\";\n\treturn;\n}",
            {});
        row("a function no file here defines", npc("\tcallfunc \"F_Elsewhere\";\n\tend;"), {});
        row("callsub to a label that shows text", npc("\tcallsub L_Say;\n\tend;\nL_Say:\n\tmes \"hi\";\n\treturn;"),
            {"3:2 TW501"});
        row("callsub to a label that closes",
            npc("\tmes \"a\";\n\tcallsub L_Bye;\n\tend;\nL_Bye:\n\tclose2;\n\treturn;"), {});
        row("callsub to a label that calls itself",
            npc("\tcallsub L_Sub;\n\tend;\nL_Sub:\n\tif (@a) callsub L_Sub;\n\treturn;"), {});
        row("a function of the body that shows text",
            npc("\tfunction Say;\n\tSay();\n\tend;\n\tfunction Say {\n\t\tmes \"hi\";\n\t\treturn;\n\t}"),
            {"4:2 TW501"});
        row("a function of the body left by its brace",
            npc("\tfunction Say;\n\tSay;\n\tend;\n\tfunction Say {\n\t\tmes \"hi\";\n\t}"), {"4:2 TW501"});
    }
    void calls_applyWhatTheCalleeDoes() { compare(); }

    // A path whose conditions no value of a variable meets is not followed: here the
    // end after the tests, where the window would be left open.
    void impossiblePaths_areNotFollowed_data()
    {
        addColumns();
        const auto tested = [](const char *lines) {
            return npc(QStringLiteral("\tmes \"a\";\n") + lines + "\n\tend;");
        };
        row("rand with every value tested",
            tested(
                "\t.@r = rand(3);\n\tif (.@r == 0) close;\n\telse if (.@r == 1) close;\n\telse if (.@r == 2) close;"),
            {});
        row("rand with one value left out",
            tested("\t.@r = rand(3);\n\tif (.@r == 0) close;\n\telse if (.@r == 2) close;"), {"6:2 TW501"});
        row("set from rand, tested with ranges",
            tested("\tset .@r, rand(4);\n\tif (.@r < 2) close;\n\tif (.@r >= 2) close;"), {});
        row("complementary conditions on a player variable", tested("\tif (@x == 1) close;\n\tif (@x != 1) close;"),
            {});
        row("a value and its negation", tested("\tif (!@x) close;\n\tif (@x) close;"), {});
        row("conditions joined by || and &&",
            tested("\t.@n = rand(4);\n\tif (.@n == 0 || .@n == 1) close;\n\tif (.@n >= 2 && .@n <= 3) close;"), {});
        row("a constant on the left", tested("\t.@n = rand(2);\n\tif (0 == .@n) close;\n\tif (1 <= .@n) close;"), {});
        row("select stored, every choice tested",
            tested("\t.@s = select(\"x:y\");\n\tif (.@s == 1) close;\n\tif (.@s == 2) close;"), {});
        row("a constant stored", tested("\t.@k = 2;\n\tif (.@k == 2) close;"), {});
        row("a read keeps what is known",
            tested("\t.@r = rand(2);\n\tmes \"\" + .@r;\n\tif (.@r == 0) close;\n\tif (.@r == 1) close;"), {});
        // Forgotten, and the end is a true finding again.
        row("rand of two arguments is not read as 0..n-1",
            tested("\t.@r = rand(1, 3);\n\tif (.@r == 1) close;\n\telse if (.@r == 2) close;"), {"6:2 TW501"});
        row("a store between the tests",
            tested("\t.@r = rand(2);\n\tif (.@r == 0) close;\n\t.@r += 1;\n\tif (.@r == 1) close;"), {"7:2 TW501"});
        row("a subroutine between the tests",
            npc("\tmes \"a\";\n\t.@r = rand(2);\n\tcallsub L_S;\n\tif (.@r == 0) close;\n\tif (.@r == 1) close;\n"
                "\tend;\nL_S:\n\t.@r = 7;\n\treturn;"),
            {"7:2 TW501"});
        row("a loop's counter is not followed", tested("\t.@i = 0;\n\twhile (.@i < 3) .@i++;\n\tif (.@i == 3) close;"),
            {"6:2 TW501"});
        row("a switch on a stored select with every choice",
            tested("\t.@c = select(\"x:y\");\n\tswitch (.@c) {\n\tcase 1:\n\t\tclose;\n\tcase 2:\n\t\tclose;\n\t}"),
            {});
        row("a switch on a stored select with a choice left out",
            tested("\t.@c = select(\"x:y:z\");\n\tswitch (.@c) {\n\tcase 1:\n\t\tclose;\n\tcase 3:\n\t\tclose;\n\t}"),
            {"10:2 TW501"});
        row("a case no value reaches is not followed",
            tested("\t.@c = rand(2);\n\tswitch (.@c) {\n\tcase 5:\n\t\tend;\n\tdefault:\n\t\tclose;\n\t}"), {});
        row("a string variable is not compared", tested("\t.@s$ = \"a\";\n\tif (.@s$ == \"a\") close;"), {"5:2 TW501"});
    }
    void impossiblePaths_areNotFollowed() { compare(); }

    // Statements before the first case run; a loop on a true constant leaves only by
    // a break of its own, a goto or an end, never by its condition.
    void switchesAndEndlessLoops_followTheServersWays_data()
    {
        addColumns();
        row("statements before the first case run",
            npc("\tswitch (@a) {\n\tmes \"before\";\n\tcase 1:\n\t\tclose;\n\tdefault:\n\t\tclose;\n\t}"), {});
        row("a break in a switch goes round the endless loop",
            npc("\tmes \"a\";\n\twhile (1) {\n\t\tswitch (select(\"Buy:Leave\")) {\n\t\tcase 1:\n\t\t\tmes \"b\";\n"
                "\t\t\tnext;\n\t\t\tbreak;\n\t\tcase 2:\n\t\t\tclose;\n\t\t}\n\t}"),
            {});
        row("a statement after a loop left only by close",
            npc("\tmes \"a\";\n\twhile (1) {\n\t\tswitch (select(\"Buy:Leave\")) {\n\t\tcase 1:\n\t\t\tbreak;\n"
                "\t\tcase 2:\n\t\t\tclose;\n\t\t}\n\t}\n\tmes \"never\";\n\tclose;"),
            {"11:2 TW504"});
        row("the loop's own break leads out, window open",
            npc("\tmes \"a\";\n\twhile (1) {\n\t\tnext;\n\t\tif (@a) break;\n\t}\n\tend;"), {"7:2 TW501"});
        row("a do on a true constant", npc("\tdo {\n\t\tmes \"a\";\n\t\tclose2;\n\t} while (1);\n\tend;"), {});
        row("a goto out of an endless loop",
            npc("\twhile (1) {\n\t\tmes \"a\";\n\t\tnext;\n\t\tgoto L_Out;\n\t}\nL_Out:\n\tclose;"), {});
        row("a loop on 0 is left by its condition", npc("\tmes \"a\";\n\twhile (0) {\n\t\tclose;\n\t}\n\tend;"),
            {"6:2 TW501"});
        // No jump reaches a label made only of digits, whether or not one exists.
    }
    void switchesAndEndlessLoops_followTheServersWays() { compare(); }

    // No jump reaches a label made only of digits: the word is read as a number and
    // the script stops there, whether or not such a label exists.
    void digitsLabel_jumpIsAnError_data()
    {
        addColumns();
        row("goto where no label of digits exists", npc("\tgoto 100;\n\tend;"), {"2:7 TW217"});
        row("goto where the label of digits exists", npc("\tgoto 100;\n100:\n\tend;"), {"2:7 TW217"});
        row("callsub where the label of digits exists", npc("\tcallsub 100;\n\tend;\n100:\n\treturn;"),
            {"2:10 TW217"});
        row("menu choice to a label of digits", npc("\tmes \"x\";\n\tmenu \"a\",100,\"b\",L_B;\n100:\nL_B:\n\tclose;"),
            {"3:11 TW217"});
        row("a label led by digits is reached", npc("\tgoto 100F;\n100F:\n\tend;"), {});
    }
    void digitsLabel_jumpIsAnError() { compare(); }

    // A literal of the other type is worth a word only where a path reads it.
    void typeMismatch_isReportedOnlyWhereRead_data()
    {
        addColumns();
        row("never read", npc("\t.@name$ = 5;\n\tend;"), {});
        row("a text of digits into a number", npc("\tset .@n, \"5\";\n\tgetitem .@n,1;\n\tend;"), {});
        row("stored again before the read", npc("\tset .@a$, 5;\n\tset .@a$, \"x\";\n\tmes .@a$;\n\tclose;"), {});
        row("read on one path of two", npc("\t.@s$ = 5;\n\tif (@a) .@s$ = \"x\";\n\tmes .@s$;\n\tclose;"),
            {"2:9 TW507"});
        row("a store over two lines, then read", npc("\tset .@a$,\n\t\t5;\n\tmes .@a$;\n\tclose;"), {"3:3 TW507"});
        row("read again round a loop", npc("L_Top:\n\tmes \"\" + .@s$;\n\tnext;\n\t.@s$ = 5;\n\tgoto L_Top;"),
            {"5:9 TW507"});
    }
    void typeMismatch_isReportedOnlyWhereRead() { compare(); }

    // Judged for a target, "LINE:COLUMN CODE E|W". A choice with no mes before opens no
    // message window on today's servers: an end after it leaves a player stuck only
    // on the older ones.
    void flowRules_forATarget_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("expected");
        const QString select = npc("\tif (select(\"a:b\") == 1) getitem 501,1;\n\tend;");
        QTest::newRow("select, every server") << select << QString() << QStringList{"3:2 TW501 W"};
        QTest::newRow("select, today") << select << QStringLiteral("today") << QStringList();
        QTest::newRow("select, older") << select << QStringLiteral("older") << QStringList{"3:2 TW501 E"};
        QTest::newRow("input, today") << npc("\tinput .@n;\n\tend;") << QStringLiteral("today") << QStringList();
        QTest::newRow("menu after a mes, today")
            << npc("\tmes \"a\";\n\tmenu \"x\",-;\n\tend;") << QStringLiteral("today") << QStringList{"4:2 TW501 E"};
        QTest::newRow("a mes after the choice, today")
            << npc("\tinput .@n;\n\tmes \"\" + .@n;\n\tend;") << QStringLiteral("today") << QStringList{"4:2 TW501 E"};
        const QString closeAfterChoice = npc("\tif (select(\"a:b\") == 1) getitem 501,1;\n\tclose;");
        QTest::newRow("close after a bare choice, today")
            << closeAfterChoice << QStringLiteral("today") << QStringList{"3:2 TW502 W"};
        QTest::newRow("close after a bare choice, older")
            << closeAfterChoice << QStringLiteral("older") << QStringList();
        QTest::newRow("close after a bare choice, every server")
            << closeAfterChoice << QString() << QStringList{"3:2 TW502 W"};
        QTest::newRow("storage after a bare choice, later") << npc("\tinput .@n;\n\tguildopenstorage;\n\tend;")
                                                            << QStringLiteral("later") << QStringList{"3:2 TW503 W"};
        QTest::newRow("shop opened on a message, today") << npc("\tmes \"a\";\n\tcallshop \"S\",1;\n\tclose;")
                                                         << QStringLiteral("today") << QStringList{"3:2 TW503 W"};
        QTest::newRow("today's commands called in an expression store into their variables")
            << npc("\t.@n = explode(.@parts$, \"a:b\", \":\");\n\t.@m = sscanf(\"12\", \"%d\", .@v);\n"
                   "\tmes .@parts$[0] + .@v;\n\tclose;")
            << QStringLiteral("today") << QStringList();
        QTest::newRow("a command that only reads its variable")
            << npc("\t.@i = inarray(.@lst, 5);\n\tmes \"\" + .@i;\n\tclose;") << QStringLiteral("today-anycase")
            << QStringList{"2:16 TW506 W"};
    }
    void flowRules_forATarget()
    {
        QFETCH(QString, script);
        QFETCH(QString, target);
        QFETCH(QStringList, expected);
        auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        table->setTarget(*Target::fromName(target));
        ScriptCheck check(table);
        check.replaceLines(0, 0, script.split(u'\n'));
        check.updateFlow();
        QStringList found;
        for (const Diagnostic &d : check.allDiagnostics())
            found << described(d) + QLatin1String(d.severity == Diagnostic::Severity::Error ? " E" : " W");
        QCOMPARE(found, expected);
    }

    // The player variables a script sets and reads, "LINE:COLUMN NAME", for the
    // check across files; no other kind of variable is among them.
    void playerVariables_areGatheredWhereSetAndRead_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("sets");
        QTest::addColumn<QStringList>("reads");
        QTest::newRow("set every way")
            << npc("\tset @a,1;\n\t@b = 2;\n\t@c++;\n\tinput @d$;\n\tsetarray @e[0],1;\n\tgetmapxy(@m$,@x,@y,0);\n"
                   "\tfor (@f = 0; @f < 2; @f++) mes \"x\";\n\tclose;")
            << QStringList{"2:6 @a",   "3:2 @b",  "4:2 @c",  "5:8 @d$", "6:11 @e",
                           "7:11 @m$", "7:15 @x", "7:18 @y", "8:7 @f",  "8:23 @f"}
            << QStringList{"8:15 @f"};
        QTest::newRow("read by commands that only read")
            << npc("\tmes @a$;\n\tgetitem @id,1;\n\tif (@menu == 1) close;\n\tclose;") << QStringList()
            << QStringList{"2:6 @a$", "3:10 @id", "4:6 @menu"};
        QTest::newRow("other kinds of variable")
            << npc("\tset .@s,1;\n\tset $@g,1;\n\tset #acc,1;\n\tset perm,1;\n\tmes \"\" + .@s + $@g + #acc + perm;\n"
                   "\tclose;")
            << QStringList() << QStringList();
        QTest::newRow("a function definition")
            << QStringLiteral("function\tscript\tF\t{\n\tset @out,@in * 2;\n\treturn;\n}") << QStringList{"2:6 @out"}
            << QStringList{"2:11 @in"};
        QTest::newRow("outside any body")
            << QStringLiteral("// set @a,1;\nm.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2") << QStringList() << QStringList();
        QTest::newRow("read below a set, in its column")
            << npc("\tset @a,1;\n\tmes @b;\n\tclose;") << QStringList{"2:6 @a"} << QStringList{"3:6 @b"};
    }
    void playerVariables_areGatheredWhereSetAndRead()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, sets);
        QFETCH(QStringList, reads);
        ScriptCheck check;
        check.replaceLines(0, 0, script.split(u'\n'));
        const auto describe = [](const QVector<ScriptCheck::VariableUse> &uses) {
            QStringList found;
            for (const ScriptCheck::VariableUse &use : uses)
                found << QStringLiteral("%1:%2 %3").arg(use.line + 1).arg(use.column + 1).arg(use.name);
            return found;
        };
        const ScriptCheck::PlayerVariables variables = check.playerVariables();
        QCOMPARE(describe(variables.sets), sets);
        QCOMPARE(describe(variables.reads), reads);
        // Line by line, the same.
        ScriptCheck::PlayerVariables byLine;
        for (int line = 0; line < check.lineCount(); ++line) {
            byLine.sets += check.playerVariablesOn(line).sets;
            byLine.reads += check.playerVariablesOn(line).reads;
        }
        QCOMPARE(describe(byLine.sets), sets);
        QCOMPARE(describe(byLine.reads), reads);
    }

    // An edit judges again every body whose findings it changes, as a fresh check
    // finds them: a line rewritten in place to the same steps, or a function of the
    // file that begins or stops setting an argument through getarg.
    void edits_judgeAgainWhatTheyChange_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        const QString caller = npc("\tcallfunc \"F_Get\", .@out;\n\tmes \"\" + .@out;\n\tclose;") + u'\n';
        QTest::newRow("a function of the file starts setting the argument")
            << caller + "function\tscript\tF_Get\t{\n\tset getarg(1), 5;\n\treturn;\n}" << 6 << "\tset getarg(0), 5;"
            << QStringList{"2:20 TW506", "3:11 TW506"} << QStringList();
        QTest::newRow("a function of the file stops setting the argument")
            << caller + "function\tscript\tF_Get\t{\n\tset getarg(0), 5;\n\treturn;\n}" << 6 << "\tset getarg(1), 5;"
            << QStringList() << QStringList{"2:20 TW506", "3:11 TW506"};
        QTest::newRow("a loop's constant rewritten in place")
            << npc("\tmes \"a\";\n\twhile (1) {\n\t\tclose;\n\t}\n\tend;") << 2 << "\twhile (0) {" << QStringList()
            << QStringList{"6:2 TW501"};
        const QString hello =
            npc("\tcallfunc \"F_Hello\";\n\tend;") + "\nfunction\tscript\tF_Hello\t{\n\tmes \"Hello.\";\n\treturn;\n}";
        QTest::newRow("a function of the file stops showing a message")
            << hello << 5 << "\tset @a, 1;" << QStringList{"3:2 TW501"} << QStringList();
        QTest::newRow("a function of the file starts closing the window")
            << hello << 6 << "\tclose;" << QStringList{"3:2 TW501"} << QStringList();
        QTest::newRow("a function of the file is renamed")
            << hello << 4 << "function\tscript\tF_Other\t{" << QStringList{"3:2 TW501"} << QStringList();
        QTest::newRow("a text of digits rewritten in place")
            << npc("\tset .@n, \"5\";\n\tgetitem .@n,1;\n\tend;") << 1 << "\tset .@n, \"x\";" << QStringList()
            << QStringList{"2:11 TW507"};
    }
    void edits_judgeAgainWhatTheyChange()
    {
        QFETCH(QString, script);
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        ScriptCheck check;
        check.replaceLines(0, 0, script.split(u'\n'));
        check.updateFlow();
        QCOMPARE(described(check.allDiagnostics()), before);
        check.replaceLines(line, 1, {text});
        check.updateFlow();
        QCOMPARE(described(check.allDiagnostics()), after);
        QStringList lines = script.split(u'\n');
        lines[line] = text;
        QCOMPARE(described(checkScript(lines.join(u'\n'))), after);
    }

    void stuckPlayer_fixAndRelatedPlace()
    {
        const Diagnostics found = checkScript(npc("\tmes \"Bye.\";\n\tend;"));
        QCOMPARE(found.size(), 1);
        const Diagnostic &stuck = found.front();
        QCOMPARE(stuck.code, QStringLiteral("TW501"));
        QCOMPARE(stuck.related.size(), 1);
        QCOMPARE(stuck.related.front().line, 1);
        QCOMPARE(stuck.fixes.size(), 1);
        QCOMPARE(stuck.fixes.front().edits.front().text, QStringLiteral("close; "));
        // The fix applied leaves nothing to report: an end after close is no unreachable code.
        QCOMPARE(described(checkScript(npc("\tmes \"Bye.\";\n\tclose; end;"))), QStringList());
    }

    // Where a call left the window open, the finding points at the call, not into the callee.
    void stuckPlayer_relatedPlaceIsTheCallThatLeftTheWindowOpen()
    {
        const Diagnostics found = checkScript(npc("\tgetitem 501,1;\n\tcallsub L_Say;\n\tend;\nL_Say:\n\tmes \"hi\";\n"
                                                  "\treturn;"));
        QCOMPARE(described(found), QStringList{"4:2 TW501"});
        QCOMPARE(found.front().related.size(), 1);
        QCOMPARE(found.front().related.front().line, 2);
        QCOMPARE(found.front().related.front().column, 1);
    }

    // Where paths part with the window open, the finding names the way taken: the
    // condition that did not hold, the choice, no case. Lines of the related places.
    void stuckPlayer_relatedPlacesNameTheWayTaken_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("related");
        QTest::newRow("a condition that does not hold")
            << npc("\tmes \"a\";\n\tif (@a) close;\n\tend;") << QList<int>{1, 2};
        QTest::newRow("a menu's choice")
            << npc("\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose;\nL_Y:\n\tend;") << QList<int>{1, 2};
        QTest::newRow("past the cases of a switch")
            << npc("\tmes \"a\";\n\tswitch (@a) {\n\tcase 1:\n\t\tclose;\n\t}\n\tend;") << QList<int>{1, 2};
        QTest::newRow("paths parting before the window opens")
            << npc("\tif (@a) end;\n\tmes \"a\";\n\tend;") << QList<int>{2};
    }
    void stuckPlayer_relatedPlacesNameTheWayTaken()
    {
        QFETCH(QString, script);
        QFETCH(QList<int>, related);
        const Diagnostics found = checkScript(script);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().code, QStringLiteral("TW501"));
        QList<int> lines;
        for (const Diagnostic::Related &place : found.front().related)
            lines << place.line;
        QCOMPARE(lines, related);
    }

    // Edits above a finding move its related place with it.
    void stuckPlayer_relatedPlaceFollowsEdits()
    {
        ScriptCheck check;
        check.replaceLines(0, 0, npc("\tmes \"Bye.\";\n\tend;").split(u'\n'));
        check.updateFlow();
        check.replaceLines(0, 0, {QStringLiteral("// a"), QStringLiteral("// b")});
        check.updateFlow();
        const Diagnostics found = check.allDiagnostics();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.front().line, 4);
        QCOMPARE(found.front().related.front().line, 3);
    }
};

QTEST_GUILESS_MAIN(FlowRulesTest)
#include "test_flow_rules.moc"
