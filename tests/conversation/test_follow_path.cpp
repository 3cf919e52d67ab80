// The preview taken along the path a flow finding was found on: the run answers
// what the path decides and stops at the finding's line, and leaves to the user
// what the path does not decide.
#include "checker/script_check.h"
#include "conversation/follow_path.h"
#include "conversation/script_snapshot.h"
#include "conversation_test_support.h"

#include <QTest>

using namespace Conversation;
using namespace ConversationTest;

namespace {

struct Followed
{
    std::unique_ptr<ScriptSnapshot> snapshot;
    std::unique_ptr<Run> run;
    int answers = 0;
};

// The finding of `code` in `lines`, and the run from its path's start taken along it.
Followed follow(const QStringList &lines, const QString &code, int *findingLine)
{
    ScriptCheck check;
    check.replaceLines(0, 0, lines);
    check.updateFlow();
    Diagnostic finding;
    for (int line = 0; line < check.lineCount() && finding.code.isEmpty(); ++line) {
        for (const Diagnostic &d : check.diagnostics(line)) {
            if (d.code == code)
                finding = d;
        }
    }
    *findingLine = finding.line;
    Followed followed;
    followed.snapshot = std::make_unique<ScriptSnapshot>(ScriptLines::of(lines));
    const int start = finding.path.isEmpty() ? finding.line : finding.path.first().line;
    const std::optional<ScriptSnapshot::Target> target = followed.snapshot->targetAt(start);
    if (!target)
        return followed;
    ScriptSnapshot *snapshot = followed.snapshot.get();
    followed.run = std::make_unique<Run>(target->source, target->label,
                                         [snapshot](const QString &name) { return snapshot->function(name); });
    followed.answers = followPath(*followed.run, finding.path, finding.line);
    return followed;
}

// Where the run stands: its state and the line it stopped or waits on (from 1).
QString whereOf(const Run &run)
{
    const Transcript &t = run.transcript();
    const int line = t.ending == Ending::Running ? run.wait().place.line : t.endPlace.line;
    return QStringLiteral("%1@%2").arg(stateOf(run)).arg(line + 1);
}

} // namespace

class FollowPathTest : public QObject
{
    Q_OBJECT

private slots:
    // Each run reaches the finding's line: an end with the window open, a close on
    // an empty window, a storage opened over the message.
    void followPath_reachesTheFinding_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("a menu's second label")
            << "\tmes \"a\";\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose;\nL_Y:\n\tmes \"y\";\n\tend;"
            << "TW501"
            << "stuck@8" << QStringList{"a/y"};
        QTest::newRow("a switch on select")
            << "\tmes \"a\";\n\tswitch (select(\"x:y\")) {\n\tcase 2:\n\t\tmes \"two\";\n\t\tend;\n\t}\n\tclose;"
            << "TW501"
            << "stuck@6" << QStringList{"a/two"};
        QTest::newRow("a select stored and compared")
            << "\tmes \"a\";\n\tnext;\n\t.@c = select(\"x:y:z\");\n\tif (.@c == 3) {\n\t\tmes \"z\";\n\t\tend;\n\t}"
               "\n\tclose;"
            << "TW501"
            << "stuck@7" << QStringList{"a[次へ]", "z"};
        QTest::newRow("a random number asked for")
            << "\t.@r = rand(3);\n\tif (.@r != 2)\n\t\tend;\n\tmes \"two\";\n\tend;"
            << "TW501"
            << "stuck@6" << QStringList{"two"};
        const QString gate = QStringLiteral(
            "\tmes \"[門番]\";\n\tnext;\n\tswitch (select(\"払う:やめる\")) {\n\tcase 1:\n\t\tif (Zeny < 100) {\n"
            "\t\t\tmes \"足りないな。\";\n\t\t\tend;\n\t\t}\n\t\tclose;\n\tcase "
            "2:\n\t\tclose2;\n\t\tbreak;\n\t}\n\tclose;");
        QTest::newRow("a select's case, then a condition on the world")
            << gate << "TW501"
            << "stuck@8" << QStringList{"[門番][次へ]", "足りないな。"};
        QTest::newRow("a select's other case, to a close on an empty window")
            << gate << "TW502"
            << "waits:button@15" << QStringList{"[門番][次へ]", "[閉じる]", "[閉じる]"};
        QTest::newRow("a condition on the world that holds")
            << "\tmes \"a\";\n\tclose2;\n\tif (Zeny < 5)\n\t\tclose;\n\tend;"
            << "TW502"
            << "waits:button@5" << QStringList{"a[閉じる]", "[閉じる]"};
        QTest::newRow("a storage where one branch kept the message")
            << "\tif (Zeny < 5) {\n\t\tmes \"a\";\n\t} else {\n\t\tmes \"b\";\n\t\tclose2;\n\t}\n\tguildopenstorage;"
               "\n\tend;"
            << "TW503"
            << "stuck@9" << QStringList{"a"};
    }
    void followPath_reachesTheFinding()
    {
        QFETCH(QString, body);
        QFETCH(QString, code);
        QFETCH(QString, where);
        QFETCH(QStringList, pages);
        int line = -1;
        const Followed followed = follow(npc(body), code, &line);
        QVERIFY(line > 0);
        QVERIFY(followed.run);
        QCOMPARE(whereOf(*followed.run), where);
        QCOMPARE(pagesOf(followed.run->transcript()), pages);
    }

    // A path from an event label starts the run there.
    void followPath_fromAnEventLabel_startsAtIt()
    {
        const QStringList lines =
            QStringLiteral("m.tsg,5,5,0\tscript\tTrap\t-1,2,2,{\n\tmes \"top\";\n\tclose;\nOnTouch:\n\tmes \"Ouch\";\n"
                           "\tend;\n}")
                .split(u'\n');
        int line = -1;
        const Followed followed = follow(lines, QStringLiteral("TW501"), &line);
        QCOMPARE(line, 5);
        QCOMPARE(whereOf(*followed.run), QStringLiteral("stuck@6"));
        QCOMPARE(pagesOf(followed.run->transcript()), QStringList{"Ouch"});
    }

    // The storage's effect is on the finding's line; the run stops at the next wait.
    void followPath_effectOnTheLine_isReached()
    {
        int line = -1;
        const Followed followed =
            follow(npc("\tif (Zeny < 5) {\n\t\tmes \"a\";\n\t\tnext;\n\t}\n\tguildopenstorage;\n\tnext;\n\tclose;"),
                   QStringLiteral("TW503"), &line);
        QCOMPARE(line, 5);
        QVERIFY(effectsOf(followed.run->transcript()).contains(QStringLiteral("6:guildopenstorage")));
        QCOMPARE(whereOf(*followed.run), QStringLiteral("waits:button@7"));
    }

    // A choice the path does not decide waits for the user; nothing is guessed.
    void followPath_choiceThePathDoesNotDecide_waitsForTheUser()
    {
        Followed followed;
        followed.snapshot = std::make_unique<ScriptSnapshot>(ScriptLines::of(npc("\tmes \"a\";\n\tselect(\"x:y\");")));
        followed.run = std::make_unique<Run>(followed.snapshot->targetAt(1)->source);
        const QVector<Diagnostic::Decision> path{{Diagnostic::Decision::Kind::Start, 1, 0},
                                                 {Diagnostic::Decision::Kind::Choice, 9, 2}};
        QCOMPARE(followPath(*followed.run, path, 3), 0);
        QCOMPARE(whereOf(*followed.run), QStringLiteral("waits:choice@3"));
    }

    // The answers the path gave are the run's own: giving them again reaches the same place.
    void followPath_answersAreReplayedLikeTheUsers()
    {
        int line = -1;
        const QStringList lines =
            npc("\tmes \"a\";\n\tnext;\n\tmenu \"x\",L_X,\"y\",L_Y;\nL_X:\n\tclose;\nL_Y:\n\tend;");
        const Followed followed = follow(lines, QStringLiteral("TW501"), &line);
        QCOMPARE(followed.answers, 2); // the button, then the choice
        Run again(followed.snapshot->targetAt(1)->source);
        QCOMPARE(replay(again, followed.run->given()), 2);
        QCOMPARE(whereOf(again), whereOf(*followed.run));
    }
};

QTEST_GUILESS_MAIN(FollowPathTest)
#include "test_follow_path.moc"
