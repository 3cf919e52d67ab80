// What each line of a script defines and asks of the scripts loaded with it, kept
// through edits: after any edit, the kept sum and what the load order decides for
// the script alone equal those of the script read afresh.
#include "checker/load_lines.h"
#include "checker/script_check.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

std::shared_ptr<const Commands::Table> todayTable()
{
    auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
    table->setTarget(Target(Target::kToday));
    return table;
}

template <typename List> void describeUses(const char *kind, const List &uses, QStringList &into)
{
    for (const auto &use : uses)
        into << QStringLiteral("%1 %2 %3:%4+%5 body %6")
                    .arg(QLatin1String(kind), use.name)
                    .arg(use.line)
                    .arg(use.column)
                    .arg(use.length)
                    .arg(use.body);
}

QString described(const LoadOrderRules::Uses &uses)
{
    QStringList lines;
    describeUses("function", uses.fileFunctions, lines);
    describeUses("call", uses.callsByName, lines);
    describeUses("npc", uses.npcs, lines);
    describeUses("source", uses.duplicateSources, lines);
    describeUses("local", uses.localFunctions, lines);
    describeUses("npc call", uses.npcCalls, lines);
    return lines.join(u'\n');
}

QString described(const QHash<int, Diagnostics> &found)
{
    QStringList lines;
    for (auto line = found.cbegin(); line != found.cend(); ++line) {
        for (const Diagnostic &d : *line)
            lines << QStringLiteral("%1 %2 %3+%4").arg(line.key()).arg(d.code).arg(d.column).arg(d.length);
    }
    lines.sort();
    return lines.join(u'\n');
}

const QStringList kPool = {
    QStringLiteral("harbor01,1,1,0\tscript\tFerryman\t56,{"),
    QStringLiteral("harbor01,2,2,0\tscript\tBoatman\t56,{"),
    QStringLiteral("harbor01,3,3,0\tduplicate(Ferryman)\tFerryman#2\t56"),
    QStringLiteral("harbor01,4,4,0\tduplicate(Boatman)\tSkiff\t56"),
    QStringLiteral("function\tscript\tF_Go\t{"),
    QStringLiteral("}"),
    QStringLiteral("\tF_Go();"),
    QStringLiteral("\tfunction F_Go;"),
    QStringLiteral("\tfunction Fare {"),
    QStringLiteral("\tpublic function Fare {"),
    QStringLiteral("\t}"),
    QStringLiteral("\tcallfunctionofnpc \"Ferryman\",\"Fare\";"),
    QStringLiteral("\t.@n = \"Boatman\"::Fare(1);"),
    QStringLiteral("\tmes \"a\","),
    QStringLiteral("\t\"b\";"),
    QStringLiteral("\treturn;"),
    QStringLiteral("\tclose;"),
    QStringLiteral("/*"),
    QStringLiteral("*/"),
    QStringLiteral("// talewick-check disable=TW333,TW222"),
    QStringLiteral(""),
};

QStringList randomLines(QRandomGenerator &random, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << kPool.at(int(random.bounded(quint32(kPool.size()))));
    return lines;
}

} // namespace

class LoadLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void randomEdits_keepTheSumAndFindingsOfAFreshRead_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEdits_keepTheSumAndFindingsOfAFreshRead()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const auto table = todayTable();
        ScriptCheck check(table);
        QStringList text = randomLines(random, 30);
        check.replaceLines(0, 0, text);
        LoadLines kept;
        kept.readAll(check);
        bool foundAny = false;
        for (int step = 0; step < 600; ++step) {
            const int first = int(random.bounded(quint32(check.lineCount() + 1)));
            const int removed = int(random.bounded(quint32(qMin(check.lineCount() - first, 4) + 1)));
            const QStringList lines = randomLines(random, int(random.bounded(5u)));
            const QVector<int> changed = check.replaceLines(first, removed, lines);
            kept.update(check, first, removed, int(lines.size()), changed);
            text.remove(first, removed);
            for (int i = 0; i < lines.size(); ++i)
                text.insert(first + i, lines.at(i));

            ScriptCheck fresh(table);
            fresh.replaceLines(0, 0, text);
            LoadLines read;
            read.readAll(fresh);
            const QString where = QStringLiteral("step %1, %2 lines at %3 replaced by %4 in:\n%5")
                                      .arg(step)
                                      .arg(removed)
                                      .arg(first)
                                      .arg(lines.join(u'|'), text.join(u'\n'));
            const QString keptSum = described(kept.sum());
            if (keptSum != described(read.sum()))
                QFAIL(qPrintable(where + "\nkept:\n" + keptSum + "\nfresh:\n" + described(read.sum())));
            const QString keptFound = described(kept.judgeAlone(check, table->target()));
            QCOMPARE(keptFound, described(read.judgeAlone(fresh, table->target())));
            foundAny = foundAny || !keptFound.isEmpty();
        }
        QVERIFY(foundAny); // the pool makes the rules find something
    }

    // Within one script the order is the lines': the later NPC of a name, a call
    // above its function, a duplicate above its source, a private function called.
    void scriptAlone_findsWhatItsOwnOrderDecides_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a name twice") << QStringList{"harbor01,1,1,0\tscript\tFerryman\t56,{", "\tclose;", "}",
                                                     "harbor01,2,2,0\tscript\tFerryman\t56,{", "\tclose;", "}"}
                                      << "3 TW333 22+8";
        QTest::newRow("a call above its function")
            << QStringList{"harbor01,1,1,0\tscript\tGate\t56,{", "\tF_Go();", "\tend;", "}",
                           "function\tscript\tF_Go\t{", "\treturn;", "}"}
            << "1 TW222 1+4";
        QTest::newRow("a call below its function")
            << QStringList{"function\tscript\tF_Go\t{", "\treturn;", "}", "harbor01,1,1,0\tscript\tGate\t56,{",
                           "\tF_Go();", "\tend;", "}"}
            << "";
        QTest::newRow("a duplicate above its source")
            << QStringList{"harbor01,3,3,0\tduplicate(Ferryman)\tFerryman#2\t56", "harbor01,1,1,0\tscript\tFerryman\t56,{",
                           "\tclose;", "}"}
            << "0 TW334 25+8";
        QTest::newRow("a private function of another NPC")
            << QStringList{"harbor01,1,1,0\tscript\tFerryman\t56,{", "\tfunction Fare {", "\t\treturn 5;", "\t}",
                           "\tend;", "}", "harbor01,2,2,0\tscript\tGate\t56,{",
                           "\tcallfunctionofnpc \"Ferryman\",\"Fare\";", "\tend;", "}"}
            << "7 TW223 30+6";
    }
    void scriptAlone_findsWhatItsOwnOrderDecides()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        const auto table = todayTable();
        ScriptCheck check(table);
        check.replaceLines(0, 0, lines);
        LoadLines kept;
        kept.readAll(check);
        QCOMPARE(described(kept.judgeAlone(check, table->target())), expected);
    }
};

QTEST_GUILESS_MAIN(LoadLinesTest)
#include "test_load_lines.moc"
