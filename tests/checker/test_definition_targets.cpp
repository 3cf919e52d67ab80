// Definition lines judged for each target: what the older loader reads past and
// today's servers refuse (or the other way round) is an error only where every
// server of the target refuses it, a warning where some do, nothing where none does.
#include "checker/commands.h"
#include "checker/script_check.h"
#include "checker/target.h"
#include "checker_test_support.h"

#include <QTest>

#include <array>

namespace {

// The targets every row is checked for, in the order of a row's expectations.
const std::array<const char *, 6> kTargets = {"older", "later", "today", "today-strict", "today-anycase", ""};
// One list per target; none at all for a line every server reads without a word.
using Expected = QList<QStringList>;

// "1:13 TW316 E": where, which rule, and whether an error (E) or a warning (W).
QStringList judgedFor(const QString &script, const QString &targetName)
{
    auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
    table->setTarget(*Target::fromName(targetName));
    ScriptCheck check(table);
    check.replaceLines(0, 0, script.split(u'\n'));
    QStringList found;
    for (const Diagnostic &d : check.allDiagnostics())
        found << described(d) +
                     (d.severity == Diagnostic::Severity::Error ? QStringLiteral(" E") : QStringLiteral(" W"));
    return found;
}

QStringList with(const QStringList &findings, const char *severity)
{
    QStringList marked;
    for (const QString &finding : findings)
        marked << finding + u' ' + QLatin1String(severity);
    return marked;
}

// The shapes most findings take, by the servers that refuse them.
Expected refusedToday(const QStringList &f)
{
    return {{}, {}, with(f, "E"), with(f, "E"), with(f, "E"), with(f, "W")};
}
Expected refusedByStrictFamily(const QStringList &f)
{
    return {{}, {}, with(f, "W"), with(f, "E"), {}, with(f, "W")};
}
Expected refusedByOlderAndLater(const QStringList &f)
{
    return {with(f, "E"), with(f, "E"), {}, {}, {}, with(f, "W")};
}
Expected warnedToday(const QStringList &f)
{
    return {{}, {}, with(f, "W"), with(f, "W"), with(f, "W"), with(f, "W")};
}
// A warning of the older loader that today's servers make an error.
Expected warnedThenRefusedToday(const QStringList &f)
{
    return {with(f, "W"), with(f, "W"), with(f, "E"), with(f, "E"), with(f, "E"), with(f, "W")};
}
Expected everywhere(const QStringList &f, const char *severity)
{
    const QStringList marked = with(f, severity);
    return {marked, marked, marked, marked, marked, marked};
}
Expected fineEverywhere()
{
    return Expected(int(kTargets.size()));
}
// The same, and today's servers stop reading the file at `stop` (TW331).
Expected withStop(Expected expected, const QString &stop)
{
    for (int i = 2; i < 5; ++i)
        expected[i] << stop + QStringLiteral(" E");
    expected[5] << stop + QStringLiteral(" W");
    return expected;
}

const QString kClose = QStringLiteral("\n\tclose;\n}");

} // namespace

class DefinitionTargetsTest : public QObject
{
    Q_OBJECT

private:
    void addColumns()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("expected");
    }
    static void row(const char *name, const QString &script, const Expected &expected)
    {
        for (std::size_t i = 0; i < kTargets.size(); ++i) {
            const QString target = QString::fromLatin1(kTargets[i]);
            QTest::addRow("%s [%s]", name, target.isEmpty() ? "every" : kTargets[i]) << script << target << expected[i];
        }
    }
    static void compare()
    {
        QFETCH(QString, script);
        QFETCH(QString, target);
        QFETCH(QStringList, expected);
        QCOMPARE(judgedFor(script, target), expected);
    }

private slots:
    // Inside an open body no server looks for a definition line.
    void linesInsideABody_data()
    {
        addColumns();
        row("local function written with tabs",
            npc("function\tShowPrices\t{\n\tmes \"Potions: 50z\";\n\treturn;\n}\n\tShowPrices;\n\tclose;"),
            fineEverywhere());
        row("local function with a tab before its brace and more text",
            npc("function\tShowPrices\t{ mes \"a\"; return; }\n\tShowPrices;\n\tclose;"), fineEverywhere());
        row("global function after a forgotten brace still cuts the body",
            kHeader + "\n\tclose;\nfunction\tscript\tF\t{\n\treturn;\n}",
            everywhere({"1:24 TW201", "3:17 TW202"}, "E"));
        row("a comment after the closing brace", npc("\tclose;") + " // done", fineEverywhere());
        // Today's servers read the rest as a definition line, which stops the file (TW331).
        row("semicolon after the closing brace", kHeader + kClose + ";",
            {with({"3:2 TW325"}, "E"),
             {},
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "W")});
        row("statement after the closing brace on its line", kHeader + kClose + " mes \"x\";",
            {with({"3:3 TW325"}, "E"),
             {},
             with({"3:3 TW325", "3:3 TW331"}, "E"),
             with({"3:3 TW325", "3:3 TW331"}, "E"),
             with({"3:3 TW325", "3:3 TW331"}, "E"),
             with({"3:3 TW325", "3:3 TW331"}, "W")});
    }
    void linesInsideABody() { compare(); }

    // Outside a body, today's servers read every line that is not blank or a
    // comment as a definition line; the first with fewer than three tab fields
    // stops the file, where the older loader skips it without a word.
    void linesThatStopTheFile_data()
    {
        addColumns();
        const QString second = QStringLiteral("\nm.tsg,3,4,0\tscript\tB\t1,{\n\tclose;\n}");
        row("a note between NPCs without comment marks", npc("\tclose;") + "\nGuards of the harbour" + second,
            refusedToday({"4:1 TW331"}));
        row("an indented note", npc("\tclose;") + "\n  \tnote" + second, refusedToday({"4:4 TW331"}));
        row("a note after a comment on its line", npc("\tclose;") + "\n/* a */ note // b" + second,
            refusedToday({"4:9 TW331"}));
        row("a line with one tab", "m.tsg,3,4,0\tscript" + second, refusedToday({"1:1 TW331"}));
        row("only the first of two is reported", npc("\tclose;") + "\nnote\nmore notes" + second,
            refusedToday({"4:1 TW331"}));
        row("the first after closing braces with text", npc("\tclose;") + ";\nnote" + second,
            {with({"3:2 TW325"}, "E"),
             {},
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "E"),
             with({"3:2 TW325", "3:2 TW331"}, "W")});
        row("comments, blank lines and a block comment", "// guards\n\n   \n/* old\nnote\n*/" + second,
            fineEverywhere());
        row("a comment after the closing brace", npc("\tclose;") + " /* done */ // really" + second, fineEverywhere());
        row("the body of a line of three fields", "m.tsg,1,2,0\tscript\tA 1,{\n\tclose;\n}" + second,
            withStop(everywhere({"1:24 TW301"}, "E"), "2:2 TW331"));
        row("the body of a line without its kind", "m.tsg,1,2,0\tA\t1,{\n\t// first\n\tclose;\n}" + second,
            withStop(everywhere({"1:13 TW315"}, "E"), "3:2 TW331"));
        row("a map flag of three fields", "m.tsg\tmapflag\tnosave" + second, fineEverywhere());
        row("a function whose brace is on the next line", "function\tscript\tF\n{\n\treturn;\n}" + second,
            refusedToday({"1:17 TW321"}));
    }
    void linesThatStopTheFile() { compare(); }

    // The finding names how many lines the server leaves unread, following edits below it.
    void stopLine_countsTheLinesAfterIt()
    {
        auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        table->setTarget(Target(Target::kToday));
        ScriptCheck check(table);
        check.replaceLines(0, 0, (npc("\tclose;") + "\nnote\n// a\n\n").split(u'\n'));
        const auto stopMessage = [&] {
            const Diagnostics found = check.diagnostics(3);
            const auto stop = std::find_if(found.cbegin(), found.cend(),
                                           [](const Diagnostic &d) { return d.code == QLatin1String("TW331"); });
            return stop == found.cend() ? QString() : stop->message;
        };
        QVERIFY2(stopMessage().contains(u'3'), qPrintable(stopMessage()));
        QCOMPARE(check.replaceLines(6, 0, {QStringLiteral("// b"), QStringLiteral("// c")}), QVector<int>{3});
        QVERIFY2(stopMessage().contains(u'5'), qPrintable(stopMessage()));
        check.replaceLines(4, 4, {});
        QVERIFY2(!stopMessage().isEmpty() && !stopMessage().contains(u'0'), qPrintable(stopMessage()));
    }

    // Sprite names are judged only against a server's folder: without one, none is a mistake.
    void spriteNames_data()
    {
        addColumns();
        row("an NPC sprite name led by a digit", "m.tsg,1,2,0\tscript\tA\t4_M_SAILOR,{" + kClose, fineEverywhere());
        row("an invisible NPC", "m.tsg,1,2,0\tscript\tA\tFAKE_NPC,{" + kClose, fineEverywhere());
        row("a clickable NPC without a sprite", "m.tsg,1,2,0\tscript\tA\tHIDDEN_NPC,{" + kClose, fineEverywhere());
        row("a monster's name", "m.tsg,1,2,0\tshop\tS\tSAND_CRAB,501:50", fineEverywhere());
        row("a duplicate showing a named sprite", npc("\tclose;") + "\nm.tsg,2,2,0\tduplicate(A)\tA2\t4_F_NURSE",
            fineEverywhere());
    }
    void spriteNames() { compare(); }

    // How the line splits into fields, and the kind word in its field.
    void fieldsAndKindWords_data()
    {
        addColumns();
        row("two tabs before the kind", "m.tsg,1,2,0\t\tscript\tA\t1,{" + kClose,
            withStop(refusedToday({"1:12 TW316"}), "2:2 TW331"));
        row("two tabs before the name", "m.tsg,1,2,0\tscript\t\tA\t1,{" + kClose,
            withStop(refusedToday({"1:19 TW316"}), "2:2 TW331"));
        row("two tabs before the fourth field", "m.tsg,1,2,0\tscript\tA\t\t1,{" + kClose, fineEverywhere());
        row("kind with a blank after it", "m.tsg,1,2,0\tscript \tA\t1,{" + kClose,
            withStop({with({"1:13 TW304"}, "W"), with({"1:13 TW304"}, "W"), with({"1:13 TW317"}, "E"),
                      with({"1:13 TW317"}, "E"), with({"1:13 TW317"}, "E"), with({"1:13 TW317"}, "W")},
                     "2:2 TW331"));
        row("kind with a blank before it", "m.tsg,1,2,0\t shop\tS\t1,501:50",
            {with({"1:13 TW304"}, "W"), with({"1:13 TW304"}, "W"), with({"1:13 TW317"}, "E"), with({"1:13 TW317"}, "E"),
             with({"1:13 TW317"}, "E"), with({"1:13 TW317"}, "W")});
        // Only the strict family skips the line, so only for it alone does its body stop the file.
        row("kind in capitals", "m.tsg,1,2,0\tScript\tA\t1,{" + kClose,
            {{}, {}, {"1:13 TW318 W"}, {"1:13 TW318 E", "2:2 TW331 E"}, {}, {"1:13 TW318 W"}});
        row("shop in capitals", "m.tsg,1,2,0\tSHOP\tS\t1,501:50", refusedByStrictFamily({"1:13 TW318"}));
        row("duplicate in capitals", "m.tsg,1,2,0\tDuplicate(A)\tB\t1", refusedByStrictFamily({"1:13 TW318"}));
        row("blanks for every tab", "m.tsg,1,2,0 script A 1,{" + kClose,
            {with({"1:12 TW302"}, "W"), with({"1:12 TW302"}, "W"), with({"1:1 TW331", "1:12 TW302"}, "E"),
             with({"1:1 TW331", "1:12 TW302"}, "E"), with({"1:1 TW331", "1:12 TW302"}, "E"),
             with({"1:1 TW331", "1:12 TW302"}, "W")});
        row("misspelt kind", "m.tsg,1,2,0\tscirpt\tA\t1,{" + kClose,
            withStop(warnedThenRefusedToday({"1:13 TW304"}), "2:2 TW331"));
        row("indented definition", "\tm.tsg,1,2,0\tscript\tA\t1,{" + kClose, refusedByOlderAndLater({"1:1 TW314"}));
    }
    void fieldsAndKindWords() { compare(); }

    // Kinds that only some servers know.
    void kinds_data()
    {
        addColumns();
        row("trader", "m.tsg,1,2,0\ttrader\tBroker\t1,{" + kClose, refusedByOlderAndLater({"1:13 TW319"}));
        row("cashshop", "m.tsg,1,2,0\tcashshop\tCash\t1,501:50", refusedByOlderAndLater({"1:13 TW319"}));
        row("boss monster", "m.tsg,0,0,0,0\tboss_monster\tKing\t1002,1,0,0", refusedByOlderAndLater({"1:15 TW319"}));
        const Expected otherFamily = {with({"1:13 TW319"}, "E"),
                                      with({"1:13 TW319"}, "E"),
                                      with({"1:13 TW319"}, "W"),
                                      with({"1:13 TW319"}, "E"),
                                      {},
                                      with({"1:13 TW319"}, "W")};
        row("market shop", "m.tsg,1,2,0\tmarketshop\tMarket\t1,501:50", otherFamily);
        row("warp for hidden players too", "m.tsg,1,2,0\twarp2\tW\t1,1,n.tsg,2,2", otherFamily);
        row("unknown kind with a body", "m.tsg,1,2,0\tvendor\tV\t1,{\n\tunknowncommand 1;\n}",
            withStop(refusedToday({"1:13 TW319"}), "2:2 TW331"));
        row("body of an unknown kind, left open, unread", "-\tvendor\tT\t-1,{\n\tunknowncommand 1;\n\tgoto L_Gone;",
            withStop(refusedToday({"1:3 TW319"}), "2:2 TW331"));
        row("trader's body unread where no server knows it", "m.tsg,1,2,0\ttrader\tT\t1,{\n\tgoto L_Gone;\n}",
            {with({"1:13 TW319"}, "E"),
             with({"1:13 TW319"}, "E"),
             with({"2:7 TW206"}, "E"),
             with({"2:7 TW206"}, "E"),
             with({"2:7 TW206"}, "E"),
             {"1:13 TW319 W", "2:7 TW206 E"}});
    }
    void kinds() { compare(); }

    // Where an NPC's body opens.
    void bodyBraces_data()
    {
        addColumns();
        row("brace on the next line", "m.tsg,1,1,0\tscript\tSign\t111,\n{\n\tclose;\n}", refusedToday({"1:25 TW320"}));
        row("comment before the brace on the next line", "m.tsg,1,1,0\tscript\tSign\t111,\n/* body */ {\n\tclose;\n}",
            refusedToday({"1:25 TW320"}));
        row("blank between comma and brace", "m.tsg,1,1,0\tscript\tSign\t111, {" + kClose,
            refusedToday({"1:30 TW320"}));
        row("floating NPC without a sprite", "-\tscript\tInit\t{\nOnInit:\n\tend;\n}", refusedToday({"1:15 TW320"}));
        row("floating NPC with a named sprite", "-\tscript\tInit\tFAKE_NPC,{\nOnInit:\n\tend;\n}", fineEverywhere());
        row("function with its brace on the next line", "function\tscript\tF\n{\n\treturn;\n}",
            refusedToday({"1:17 TW321"}));
        row("function with a blank before its brace", "function\tscript\tF\t {\n\treturn;\n}",
            refusedToday({"1:19 TW321"}));
        row("function written as today's servers want it", "function\tscript\tF\t{\n\treturn;\n}", fineEverywhere());
    }
    void bodyBraces() { compare(); }

    void placesAndMonsters_data()
    {
        addColumns();
        row("facing 8", "m.tsg,1,2,8\tshop\tS\t1,501:50", warnedThenRefusedToday({"1:11 TW306"}));
        row("facing -1 of an NPC", "m.tsg,1,2,-1\tscript\tA\t1,{" + kClose, warnedThenRefusedToday({"1:11 TW306"}));
        row("NPC place without its facing", "m.tsg,1,2\tscript\tA\t1,{" + kClose, everywhere({"1:1 TW305"}, "E"));
        row("shop reached only by callshop", "-\tshop\tS\t1,501:50", refusedByOlderAndLater({"1:1 TW330"}));
        row("monster without its spawn area", "m.tsg,0,0\tmonster\tSlime\t1002,5,0,0",
            refusedByStrictFamily({"1:1 TW322"}));
        row("monster without its delays", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,5", refusedToday({"1:29 TW323"}));
        row("monster named, not numbered", "m.tsg,0,0,0,0\tmonster\tSlime\tSLIME,5,0,0", refusedToday({"1:29 TW323"}));
        row("monster count 0", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,0,0,0", refusedToday({"1:34 TW324"}));
        row("monster count 1001", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,1001,0,0", refusedToday({"1:34 TW324"}));
        row("monster with size and ai", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,5,0,0,OnDead,0,0",
            refusedByOlderAndLater({"1:46 TW311"}));
        row("monster as both want it", "m.tsg,0,0,0,0\tmonster\tSlime\t1002,1000,0,0,Guard::OnDead", fineEverywhere());
    }
    void placesAndMonsters() { compare(); }

    void namesAndShops_data()
    {
        addColumns();
        const QString name25 = QString(25, u'N');
        row("display name over 24 bytes", "m.tsg,1,2,0\tscript\t" + name25 + "::guard\t1,{" + kClose,
            warnedToday({"1:20 TW327"}));
        row("unique name over 24 bytes in Japanese",
            "m.tsg,1,2,0\tscript\tGuard::港の見張り番をする兵士さん\t1,{" + kClose, warnedToday({"1:27 TW327"}));
        row("names of 24 bytes",
            "m.tsg,1,2,0\tscript\t港の見張り番の兵士さん#1::" + QString(24, u'u') + "\t1,{" + kClose, fineEverywhere());
        row("item named, not numbered", "m.tsg,1,2,4\tshop\tS\t1,501:50,Red_Potion:50", refusedToday({"1:29 TW328"}));
        row("item joined on by a colon", "m.tsg,1,2,4\tshop\tS\t1,501:50:502:40", everywhere({"1:22 TW308"}, "E"));
        row("letter for a digit in the price", "m.tsg,1,2,4\tshop\tS\t1,501:5O", everywhere({"1:22 TW308"}, "E"));
        row("negative price other than -1", "m.tsg,1,2,4\tshop\tS\t1,501:-5,502:-1", warnedToday({"1:26 TW329"}));
        row("free item in a shop", "m.tsg,1,2,4\tshop\tS\t1,501:0", warnedToday({"1:26 TW329"}));
        row("free item in a cash shop", "m.tsg,1,2,4\tcashshop\tS\t1,501:0", refusedByOlderAndLater({"1:13 TW319"}));
    }
    void namesAndShops() { compare(); }

    // A file saved with a byte order mark, as the code page reads its bytes.
    void byteOrderMark_firstLine_refusedToday()
    {
        const QString bom = CodePage932::decode(QByteArrayView("\xEF\xBB\xBF"));
        const QString script = bom + kHeader + kClose;
        for (const char *target : kTargets) {
            const QStringList found = judgedFor(script, QString::fromLatin1(target));
            const bool today = Target::fromName(QString::fromLatin1(target))->includes(Target::kToday);
            const bool onlyToday = Target::fromName(QString::fromLatin1(target))->isOnly(Target::kToday);
            const QString expected = onlyToday ? "1:1 TW326 E" : "1:1 TW326 W";
            QCOMPARE(found.contains(expected), today);
            // The rest of the line is read as if the mark were not there.
            QVERIFY2(!found.join(u' ').contains(u"TW305"), qPrintable(found.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(DefinitionTargetsTest)
#include "test_definition_targets.moc"
