// The columns of the command table after the arguments, each applied: a made-up
// command is only what its row says, so the window rules, the variable rules and
// the conversation preview must follow the row rather than the word.
#include "../conversation/conversation_test_support.h"
#include "checker/command_source.h"
#include "checker/commands.h"
#include "checker/script_check.h"
#include "checker_test_support.h"
#include "conversation/effects.h"
#include "conversation/run.h"

#include <QTest>

namespace {

using Commands::Bound;
using Commands::Window;

// Commands no server has, one for each value of the columns.
constexpr const char16_t *kMadeUp = u"say\t1\t1\ts\tshows\n"
                                    u"pause\t0\t0\t\twaits\n"
                                    u"shut\t0\t0\t\tcloses\n"
                                    u"shut2\t0\t0\t\tcloses_on\n"
                                    u"quit\t0\t0\t\tends\n"
                                    u"hop\t1\t1\ts\tmoves\n"
                                    u"stall\t0\t0\t\topens\n"
                                    u"delegate\t0\t0\t\truns\n"
                                    u"keep\t2\t2\tee\t-\t2\n"
                                    u"grab\t1\t-\te…\t-\t*\n"
                                    u"peek\t1\t1\te\t-\t-\n"
                                    u"roll\t1\t1\te\t-\t?\t0..n-1\n"
                                    u"pick\t0\t-\t…\tshows\t-\t1..choices\n"
                                    u"gift\t2\t2\tee\t-\t-\t-\ttake {2} of {1}\n";

std::shared_ptr<const Commands::Table> madeUpTable()
{
    static const std::shared_ptr<const Commands::Table> table = [] {
        auto built = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        QString error;
        if (!built->addRows(QStringView(kMadeUp), &error))
            qFatal("made-up rows refused: %s", qPrintable(error));
        return std::shared_ptr<const Commands::Table>(std::move(built));
    }();
    return table;
}

QStringList checked(const QString &body)
{
    ScriptCheck check(madeUpTable());
    check.replaceLines(0, 0, npc(body).split(u'\n'));
    check.updateFlow();
    return described(check.allDiagnostics());
}

std::unique_ptr<Conversation::Run> run(ScriptCheck &check, const QString &body, const QStringList &answers)
{
    ConversationTest::load(check, ConversationTest::npc(body));
    auto started = std::make_unique<Conversation::Run>(Conversation::Source{&check, 0, 0, {}}, QString(),
                                                       Conversation::FunctionFinder{}, madeUpTable());
    for (const QString &said : answers)
        started->answer(ConversationTest::answerOf(said));
    return started;
}

QString boundOf(const Bound &bound)
{
    static const char *const kBases[] = {"", "n", "choices"};
    const QString base = QString::fromLatin1(kBases[int(bound.base)]);
    if (bound.offset == 0 && !base.isEmpty())
        return base;
    return base + (bound.offset > 0 && !base.isEmpty() ? QStringLiteral("+") : QString()) +
           QString::number(bound.offset);
}

QString resultOf(const Commands::Command &command)
{
    if (!command.result.known)
        return QStringLiteral("-");
    return boundOf(command.result.low) + QStringLiteral("..") + boundOf(command.result.high);
}

} // namespace

class CommandTableTest : public QObject
{
    Q_OBJECT

private:
    // Rows of a body checked against the made-up table, and what it must give.
    static void addBodyColumns()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("expected");
    }
    static void compareChecked()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, expected);
        QCOMPARE(checked(body), expected);
    }

private slots:
    void windowColumn_drivesTheWindowRules_data()
    {
        addBodyColumns();
        QTest::newRow("closes ends a path like close") << "\tmes \"a\";\n\tshut;" << QStringList{};
        QTest::newRow("closes with nothing shown") << "\tshut;" << QStringList{"2:2 TW502"};
        QTest::newRow("closes cuts the path") << "\tmes \"a\";\n\tshut;\n\tmes \"b\";" << QStringList{"4:2 TW504"};
        QTest::newRow("closes_on goes on closed") << "\tmes \"a\";\n\tshut2;\n\tend;" << QStringList{};
        QTest::newRow("closes_on then close") << "\tmes \"a\";\n\tshut2;\n\tclose;" << QStringList{"4:2 TW502"};
        QTest::newRow("nothing leaves the window open") << "\tmes \"a\";\n\tgift 1,2;" << QStringList{"4:1 TW501"};
        QTest::newRow("shows opens the window") << "\tsay \"a\";\n\tend;" << QStringList{"3:2 TW501"};
        QTest::newRow("waits keeps it open") << "\tmes \"a\";\n\tpause;\n\tend;" << QStringList{"4:2 TW501"};
        QTest::newRow("ends like end") << "\tmes \"a\";\n\tquit;" << QStringList{"3:2 TW501"};
        QTest::newRow("moves makes the state unknown") << "\tmes \"a\";\n\thop \"x\";" << QStringList{};
        QTest::newRow("runs makes the state unknown") << "\tmes \"a\";\n\tdelegate;" << QStringList{};
        QTest::newRow("opens: beside an open message")
            << "\tmes \"a\";\n\tstall;\n\tclose;" << QStringList{"3:2 TW503"};
        QTest::newRow("opens: a close behind it is fine")
            << "\tmes \"a\";\n\tclose2;\n\tstall;\n\tclose;" << QStringList{};
        QTest::newRow("shows in an event without a player")
            << "\tend;\nOnInit:\n\tsay \"a\";\n\tend;" << QStringList{"4:2 TW505"};
    }
    void windowColumn_drivesTheWindowRules() { compareChecked(); }

    void storesColumn_decidesWhichArgumentsAreSet_data()
    {
        addBodyColumns();
        QTest::newRow("listed: only that argument")
            << "\tkeep .@a, .@b;\n\tmes \"\" + .@b;\n\tclose;" << QStringList{"2:7 TW506"};
        QTest::newRow("listed, inside an expression")
            << "\tset .@n, keep(.@a, .@b);\n\tmes \"\" + .@b;\n\tclose;" << QStringList{"2:16 TW506"};
        QTest::newRow("any") << "\tgrab .@a, .@b;\n\tmes \"\" + .@a + .@b;\n\tclose;" << QStringList{};
        QTest::newRow("any, inside an expression")
            << "\tset .@n, grab(.@a);\n\tmes \"\" + .@a;\n\tclose;" << QStringList{};
        QTest::newRow("none") << "\tpeek .@a;\n\tend;" << QStringList{"2:7 TW506"};
        QTest::newRow("unsaid: a statement may store") << "\troll .@a;\n\tmes \"\" + .@a;\n\tclose;" << QStringList{};
        QTest::newRow("unsaid: an expression only reads")
            << "\tset .@n, roll(.@a);\n\tend;" << QStringList{"2:16 TW506"};
        QTest::newRow("set gives its first argument only")
            << "\tset .@a, .@b;\n\tmes \"\" + .@a;\n\tclose;" << QStringList{"2:11 TW506"};
        QTest::newRow("input gives its first") << "\tinput .@n;\n\tmes \"\" + .@n;\n\tclose;" << QStringList{};
    }
    void storesColumn_decidesWhichArgumentsAreSet() { compareChecked(); }

    void resultColumn_isReadAsGiven_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("result");
        QTest::newRow("made-up, below the argument") << "roll"
                                                     << "0..n-1";
        QTest::newRow("made-up, the choices") << "pick"
                                              << "1..choices";
        QTest::newRow("made-up, none") << "gift"
                                       << "-";
        QTest::newRow("rand") << "rand"
                              << "0..n-1";
        QTest::newRow("select") << "select"
                                << "1..choices";
        QTest::newRow("a yes or no") << "isnight"
                                     << "0..1";
    }
    void resultColumn_isReadAsGiven()
    {
        QFETCH(QString, word);
        QFETCH(QString, result);
        const Commands::Command *command = madeUpTable()->find(word);
        QVERIFY(command);
        QCOMPARE(resultOf(*command), result);
    }

    void badColumn_refusesTheRow_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("unknown window") << "odd\t0\t0\t\tflies" << 5;
        QTest::newRow("argument 0") << "odd\t0\t0\t\t-\t0" << 6;
        QTest::newRow("argument not a number") << "odd\t0\t0\t\t-\tfirst" << 6;
        QTest::newRow("range without an end") << "odd\t0\t0\t\t-\t-\t1.." << 7;
        QTest::newRow("range with a lone sign") << "odd\t0\t0\t\t-\t-\t0..n-" << 7;
        QTest::newRow("one column too many") << "odd\t0\t0\t\t-\t-\t-\tsays\textra" << 9;
    }
    void badColumn_refusesTheRow()
    {
        QFETCH(QString, row);
        QFETCH(int, column);
        Commands::Table table;
        QString error;
        QVERIFY(!table.addRows(row, &error));
        QVERIFY(!table.find(u"odd"));
        QVERIFY2(error.contains(QString::number(column)), qPrintable(error));
    }

    void fourColumns_loadWithDefaults()
    {
        Commands::Table table(*Commands::Table::builtIn());
        QVERIFY(table.addRows(u"# command\tmin\tmax\targuments\nclose\t0\t0\t\t\nsummonpet\t1\t2\tee\n"));
        const Commands::Command *close = table.find(u"close");
        QVERIFY(close);
        QCOMPARE(close->window, Window::Closes); // what the table said of it stays, an empty column too
        const Commands::Command *added = table.find(u"summonpet");
        QVERIFY(added);
        QCOMPARE(added->window, Window::None);
        QCOMPARE(added->stores, Commands::Stores::Unsaid);
        QVERIFY(!added->result.known);
        QVERIFY(added->effect.isEmpty());
    }

    void serverSource_keepsWhatTheTableSaid()
    {
        Commands::Table table(*Commands::Table::builtIn());
        QVERIFY(
            table.addRows(CommandSource::tableRows(u"\tBUILDIN_DEF(warp,\"sii\"),\n\tBUILDIN_DEF(input,\"r?ii\"),")));
        QCOMPARE(table.find(u"warp")->window, Window::Moves);
        QVERIFY(table.find(u"input")->storesInto(0, false));
        QVERIFY(!table.find(u"input")->storesInto(1, false));
        // The counts are the source's: "?" is one optional argument, and the letters after it too.
        QCOMPARE(table.find(u"input")->min, 1);
        QCOMPARE(table.find(u"input")->max, 4);
    }

    void windowColumn_drivesTheRun_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("state");
        QTest::newRow("moves ends the conversation")
            << "\tmes \"a\";\n\thop \"x\";\n\tmes \"b\";" << QStringList{} << QStringList{"a"} << "warped";
        QTest::newRow("shows then closes")
            << "\tsay \"a\";\n\tshut;" << QStringList{"press"} << QStringList{"a[閉じる]"} << "closed";
        QTest::newRow("waits, closes and goes on")
            << "\tsay \"a\";\n\tpause;\n\tsay \"b\";\n\tshut2;\n\tend;" << QStringList{"press", "press"}
            << QStringList{"a[次へ]", "b[閉じる]"} << "ended";
        QTest::newRow("ends with the window open")
            << "\tmes \"a\";\n\tquit;\n\tclose;" << QStringList{} << QStringList{"a"} << "stuck";
    }
    void windowColumn_drivesTheRun()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, pages);
        QFETCH(QString, state);
        ScriptCheck check(madeUpTable());
        const auto done = run(check, body, answers);
        QCOMPARE(ConversationTest::pagesOf(done->transcript()), pages);
        QCOMPARE(ConversationTest::stateOf(*done), state);
    }

    void effectColumn_fillsInTheArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::newRow("in the order the text wants") << QStringList{"501", "3"} << "take 3 of 501";
        QTest::newRow("one missing") << QStringList{"501"} << "take ? of 501";
        QTest::newRow("braces in an argument stay") << QStringList{"{2}", "3"} << "take 3 of {2}";
    }
    void effectColumn_fillsInTheArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, text);
        QCOMPARE(Conversation::Effects::describe(madeUpTable()->find(u"gift"), QStringLiteral("gift"), arguments),
                 text);
    }
};

QTEST_GUILESS_MAIN(CommandTableTest)
#include "test_command_table.moc"
