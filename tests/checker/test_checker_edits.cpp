// The store kept up to date edit by edit: after every edit it holds what a check
// from scratch finds (diagnostics, colours, statements with their expression trees),
// and it names every other line whose diagnostics or colours changed.
#include "checker/script_check.h"
#include "checker_test_support.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Everything a diagnostic holds, to show where two checks differ.
QString detailed(const Diagnostics &found)
{
    QStringList lines;
    for (const Diagnostic &d : found)
        lines << QStringLiteral("%1 +%2 %3").arg(described(d)).arg(d.length).arg(d.message);
    return lines.join(u'\n');
}

QString numbers(const QVector<int> &list)
{
    QStringList texts;
    for (const int number : list)
        texts << QString::number(number);
    return texts.join(u' ');
}

// Lines for random scripts: definitions of every kind, good and broken; braces,
// comments that open and close, statements over lines, labels that collide in
// name and case, menus, blocks and broken strings.
const QStringList kPool = {
    kHeader,
    "m.tsg,3,4,5\tscript\tB\t2,{",
    "m.tsg,1,2,0\tscript\tC\t1,",
    "m.tsg,1,1,0\tscript\tD\t1,{ mes \"x\"; goto L_A; }",
    "function\tscript\tF\t{",
    "-\tscript\tE\t-1,{",
    "m.tsg,1,2,0\tshop\tS\t1,501:50,502:20",
    "m.tsg,1,2,0 shop\tS\t1",
    "m.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2",
    "m.tsg\tmapflag\tpvp",
    "m.tsg,1,2,0\tscirpt\tX\t1,{",
    "m.tsg,1,2,0\ttrader\tT\t-1,{",
    "function\tscript\tG",
    "/* c */ {",
    "\treturn",
    "}",
    "\t}",
    "{",
    "\t} else {",
    "\tif (@a) {",
    "",
    "// note",
    "/* open",
    "close */",
    "\tmes \"a\"; /* x */ close;",
    "L_A:",
    "L_a:",
    "\tL_B:\tmes \"b\";",
    "OnInit:",
    "\tmes \"[Mira]\";",
    "\tmes \"open;",
    "\tmes \"表\";",
    "\tmes \"😀\";",
    "\tnext",
    "\tclose;",
    "\tmenu \"Yes\",L_A,\"No\",L_B;",
    "\tmenu \"Yes\",L_A,",
    "\t\t\"No\",L_B;",
    "\tmenu \"Yes\",L_C;",
    "\tgoto L_a;",
    "\tif (Zeny < 5) goto L_B;",
    "\tif (Zeny < 5 goto L_A;",
    "\tset @x,rand(1,",
    "\t\t5);",
    "\twrap \"x\",1,2;",
    "\tcallfunc \"F\",1;",
    "\treturn getarg(0);",
    "// talewick-check disable=TW103,TW206",
    "\t// talewick-check disable=TW210, TW999",
    "\tfunction SF;",
    "\tfunction SF {",
    "\tSF(1);",
    "\tset .@n, SF(2);",
    "1000:",
    "\tgoto 1000;",
    "\tmes \"a\";",
    "\tend;",
    "\tnext;",
    "\tclose2;",
    "\tcallshop \"S\",1;",
    "\tswitch (select(\"a:b\")) {",
    "\tcase 1:",
    "\tdefault:",
    "\tbreak;",
    "\tset .@count,1;",
    "\tmes .@cuont;",
    // Today's servers: joined strings, calls by name, conditional comments, operators.
    "\tmes \"The tide \"",
    "\t\t\"turns.\";",
    "\tF 2;",
    "\t.@fee = F(2) ** 2 + 1_000 + 0b11;",
    "\t/*@RENEWAL",
    "\t/*@!RENEWAL",
    "\t//@*/",
    "\t/*@PRERENEWAL*/ mes \"old\"; //@*/",
    "\t\"Other\"::Pay(1);",
    "public function Pay {",
    "\tif (.@w$ ~= \"^a\") for (.@i = 0; .@i < 2; .@i++) mes \"x\";",
    "\tMes \"Hi\";",
    "\tmes \"100\\%\";",
    "\tcase \"yes\":",
    "\t.@a = 1, .@b = 2;",
    "\twhile (@a) {",
    ":",
    "\tif (@a) || (@b) goto L_A;",
    "\tm.tsg,1,2,0\tshop\tS\t1,501:50",
    "m.tsg,5,5,4\tGuard\t56,{",
    "m.tsg,1,2\twarp\tW\t1,1,n.tsg,2,2\t/* hall */ x",
    "\tfor (set .@i,0; .@i < 3; .@i++) mes \"\" + -.@i;",
    "\t.@a = +(1 + 2) *",
    "\t\t.@b[.@i] ? 3 : 4;",
    "\tmenu \"a:b\",L_A,\"c\",-;",
    // The flow rules read numbers and names at their steps' places, and across bodies.
    "\tset getarg(0), 5;",
    "\tset getarg(1), 5;",
    "\tcallsub L_A, .@out$;",
    "\tmes .@out$;",
    "\t.@out$ = 5;",
    "\tset .@n, \"5\";",
    "\twhile (1) {",
    "\twhile (0) {",
    "\t++.@cuont;",
    "\tguildopenstorage;",
    // What a function does to the window is applied where it is called, in any body.
    "function\tscript\tF_Hi\t{",
    "\tcallfunc \"F_Hi\";",
    "\tif (callfunc(\"F_Hi\") == 0) close;",
    "\tF_Hi;",
    "\tcallsub L_A;",
    "\treturn;",
    // What a path knows of a variable keeps it off ways it cannot take.
    "\t.@r = rand(2);",
    "\tif (.@r == 0) close;",
    "\tif (.@r != 0) close;",
    // What a break, a continue, a case and a default stand in: the blocks around them.
    "\tcontinue;",
    "\tdo {",
    "\t} while (@a);",
    "\tcase 0x1:",
    "\tcase Job_Novice:",
    "\tdefault :",
    "\tswitch (@a) {",
    "\tfor (;;) {",
    "\t.@n = 12_ + 1__0 + 2019_cap;",
    // Lines that stop today's servers reading the file, outside a body.
    "};",
    "a note",
};

QStringList randomLines(QRandomGenerator &random, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << kPool.at(int(random.bounded(quint32(kPool.size()))));
    return lines;
}

struct Snapshot
{
    Diagnostics diagnostics;
    QVector<Colour> colours;
    friend bool operator!=(const Snapshot &a, const Snapshot &b)
    {
        return a.diagnostics != b.diagnostics || a.colours != b.colours;
    }
};

// Each line's diagnostics without its line number, and its colours, to follow lines across an edit.
QVector<Snapshot> perLine(const ScriptCheck &check)
{
    QVector<Snapshot> lines;
    for (int i = 0; i < check.lineCount(); ++i) {
        Diagnostics found = check.diagnostics(i);
        // Related places and a path's decisions are numbered in the script; taken from
        // the line, they move with it.
        for (Diagnostic &d : found) {
            d.line = 0;
            for (Diagnostic::Related &related : d.related)
                related.line -= i;
            for (Diagnostic::Decision &decision : d.path)
                decision.line -= i;
        }
        lines.append(Snapshot{found, check.colours(i)});
    }
    return lines;
}

} // namespace

class CheckerEditsTest : public QObject
{
    Q_OBJECT

private slots:
    // Line numbers here count from 0, as replaceLines does.
    void replaceLines_returnsTheOtherLinesItChanged_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("changed");
        const QString menu = "\tmenu \"Go\",L_Go;";
        const QStringList withLabel{kHeader, menu, "L_Go:", "\tclose;", "}"};
        QTest::newRow("defining the missing label") << QStringList{kHeader, menu, "\tclose;", "}"} << 3 << 0
                                                    << QStringList{"L_Go:", "\tclose;"} << QList<int>{1};
        QTest::newRow("renaming the label a menu jumps to")
            << withLabel << 2 << 1 << QStringList{"L_Stop:"} << QList<int>{1};
        QTest::newRow("removing the closing brace")
            << QStringList{kHeader, "\tclose;", "}"} << 2 << 1 << QStringList() << QList<int>{0};
        QTest::newRow("rewording a message")
            << QStringList{kHeader, "\tmes \"a\";", "}"} << 1 << 1 << QStringList{"\tmes \"b\";"} << QList<int>();
        QTest::newRow("opening a comment") << QStringList{kHeader, "\tmes \"a\";", "\tclose;", "}"} << 1 << 1
                                           << QStringList{"\t/* mes \"a\";"} << QList<int>{0, 2, 3};
        QTest::newRow("an edit in one NPC leaves the next alone")
            << withLabel + withLabel << 2 << 1 << QStringList{"L_Gone:"} << QList<int>{1};
        const QStringList loop{kHeader, "\twhile (.@n) {", "\t\tbreak;", "\t}", "\tend;", "}"};
        QTest::newRow("a loop's head becoming an if's")
            << loop << 1 << 1 << QStringList{"\tif (.@n) {"} << QList<int>{2};
        const QStringList cases{
            kHeader, "\tswitch (.@n) {", "\tcase 1:", "\tcase 2:", "\tcase 3:", "\t}", "\tend;", "}"};
        QTest::newRow("a case given the value of a later one")
            << cases << 2 << 1 << QStringList{"\tcase 0x3:"} << QList<int>{4};
        // Today's servers stop at the first line outside a body they cannot split
        // (TW331, which counts the lines after it): the store names it wherever it is.
        const QStringList stops{kHeader, "\tclose;", "}", "", "", "note", "", "more notes", "", kHeader, "}"};
        QTest::newRow("a stop written above the first") << stops << 3 << 1 << QStringList{"};"} << QList<int>{5};
        QTest::newRow("the first stop mended") << stops << 5 << 1 << QStringList{"// note"} << QList<int>{7};
        QTest::newRow("the first stop removed") << stops << 5 << 1 << QStringList() << QList<int>{6};
        QTest::newRow("a line added below the first") << stops << 8 << 0 << QStringList{""} << QList<int>{5};
        QTest::newRow("a line rewritten below the first") << stops << 8 << 1 << QStringList{"//"} << QList<int>();
        QTest::newRow("a stop written below the first") << stops << 8 << 1 << QStringList{"x"} << QList<int>();
        QTest::newRow("continuing a statement")
            << QStringList{kHeader, "\tmenu \"Go\",L_Go,", "\t\"No\",-;", "L_Go:", "\tclose;", "}"} << 2 << 1
            << QStringList{"\t\"No\";"} << QList<int>{1};
    }
    void replaceLines_returnsTheOtherLinesItChanged()
    {
        QFETCH(QStringList, before);
        QFETCH(int, first);
        QFETCH(int, removed);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, changed);
        ScriptCheck check;
        check.replaceLines(0, 0, before);
        QList<int> returned = check.replaceLines(first, removed, lines);
        std::sort(returned.begin(), returned.end());
        QCOMPARE(returned, changed);
    }

    void randomEdits_agreeWithAFullCheckAndNameWhatChanged_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_agreeWithAFullCheckAndNameWhatChanged()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        ScriptCheck check;
        QStringList text = randomLines(random, 40);
        check.replaceLines(0, 0, text);
        for (int step = 0; step < 1000; ++step) {
            const int first = int(random.bounded(quint32(check.lineCount() + 1)));
            const int room = check.lineCount() - first;
            const int removed = room == 0 ? 0 : int(random.bounded(quint32(qMin(room, 6) + 1)));
            const int most = check.lineCount() > 100 ? removed : 6; // between a few and about a hundred lines
            const QStringList lines = randomLines(random, int(random.bounded(quint32(most + 1))));

            const QVector<Snapshot> before = perLine(check);
            QVector<int> returned = check.replaceLines(first, removed, lines);
            returned += check.updateFlow(); // as the editor does once typing pauses
            text.remove(first, removed);
            for (int i = 0; i < lines.size(); ++i)
                text.insert(first + i, lines.at(i));
            const QString where = QStringLiteral("step %1, replacing %2 lines at %3 with %4 in:\n%5")
                                      .arg(step)
                                      .arg(removed)
                                      .arg(first)
                                      .arg(lines.join(u'|'), text.join(u'\n'));

            QCOMPARE(check.lineCount(), int(text.size()));
            ScriptCheck fresh;
            fresh.replaceLines(0, 0, text);
            fresh.updateFlow();
            if (check.allDiagnostics() != fresh.allDiagnostics())
                QFAIL(qPrintable(where + "\nincremental:\n" + detailed(check.allDiagnostics()) + "\nfull:\n" +
                                 detailed(fresh.allDiagnostics())));
            for (int line = 0; line < text.size(); ++line) {
                if (check.colours(line) != fresh.colours(line))
                    QFAIL(qPrintable(where + QStringLiteral("\ncolours differ on line %1").arg(line)));
                // The form of the body: its statements and their expression trees.
                if (check.stepsOn(line) != fresh.stepsOn(line))
                    QFAIL(qPrintable(where + QStringLiteral("\nstatements differ on line %1").arg(line)));
            }

            const QVector<Snapshot> after = perLine(check);
            const int end = first + int(lines.size());
            QVector<int> changed;
            for (int line = 0; line < after.size(); ++line) {
                if (line >= first && line < end)
                    continue;
                const int old = line < first ? line : line - end + first + removed;
                if (after.at(line) != before.at(old))
                    changed.append(line);
            }
            std::sort(returned.begin(), returned.end());
            for (const int line : std::as_const(changed)) {
                if (!returned.contains(line))
                    QFAIL(qPrintable(where + "\nreturned: " + numbers(returned) + "\nchanged: " + numbers(changed)));
            }
        }
    }

    // For one family of today's servers alone, the lines they cannot split and the
    // bodies they read as definition lines follow edits as for every server.
    void randomEdits_forTheStrictFamily_agreeWithAFullCheck()
    {
        auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        table->setTarget(Target(Target::TodayStrict));
        const QStringList pool = kPool + QStringList{"m.tsg,1,2,0\tScript\tA\t1,{", "m.tsg,1,2,0\tscript\tA 1,{"};
        for (const quint32 seed : {1u, 2u, 3u}) {
            QRandomGenerator random(seed);
            const auto some = [&](int count) {
                QStringList lines;
                for (int i = 0; i < count; ++i)
                    lines << pool.at(int(random.bounded(quint32(pool.size()))));
                return lines;
            };
            ScriptCheck check(table);
            QStringList text = some(40);
            check.replaceLines(0, 0, text);
            for (int step = 0; step < 300; ++step) {
                const int first = int(random.bounded(quint32(check.lineCount() + 1)));
                const int removed = int(random.bounded(quint32(qMin(check.lineCount() - first, 6) + 1)));
                const QStringList lines = some(int(random.bounded(7u)));
                check.replaceLines(first, removed, lines);
                text.remove(first, removed);
                for (int i = 0; i < lines.size(); ++i)
                    text.insert(first + i, lines.at(i));
                ScriptCheck fresh(table);
                fresh.replaceLines(0, 0, text);
                if (check.allDiagnostics() != fresh.allDiagnostics())
                    QFAIL(qPrintable(QStringLiteral("seed %1, step %2:\n%3\nincremental:\n%4\nfull:\n%5")
                                         .arg(seed)
                                         .arg(step)
                                         .arg(text.join(u'\n'), detailed(check.allDiagnostics()),
                                              detailed(fresh.allDiagnostics()))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(CheckerEditsTest)
#include "test_checker_edits.moc"
