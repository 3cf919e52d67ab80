// What each kind of server refuses, judged for the servers a script is checked
// for: an error where all of them refuse it, a warning where only some do.
#include "checker/commands.h"
#include "checker/script_check.h"
#include "checker/target.h"
#include "checker_test_support.h"

#include <QFile>
#include <QTest>

namespace {

std::shared_ptr<const Commands::Table> tableFor(const QString &target, const QStringList &flags = {})
{
    auto table = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
    std::optional<Target> read = Target::fromName(target);
    if (!read)
        qFatal("no target %s", qPrintable(target));
    for (const QString &flag : flags)
        read->setFlag(flag);
    table->setTarget(*read);
    return table;
}

// "LINE:COLUMN CODE E|W" of every finding.
QStringList judged(const QString &script, const QString &target, const QStringList &flags = {})
{
    ScriptCheck check(tableFor(target, flags));
    check.replaceLines(0, 0, script.split(u'\n'));
    QStringList found;
    for (const Diagnostic &d : check.allDiagnostics())
        found << described(d) + QLatin1String(d.severity == Diagnostic::Severity::Error ? " E" : " W");
    return found;
}

const QString kToll = QStringLiteral("function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n");

} // namespace

class TestTargets : public QObject
{
    Q_OBJECT

private slots:
    void judge_refusersAgainstTarget_givesVerdict_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("refusers");
        QTest::addColumn<int>("warners");
        QTest::addColumn<int>("verdict");
        const int older = Target::Older | Target::Later;
        const auto row = [](const char *name, const char *target, int refusers, int warners, Target::Verdict v) {
            QTest::newRow(name) << QString::fromLatin1(target) << refusers << warners << int(v);
        };
        row("every server refuses", "", Target::kEveryServer, 0, Target::Verdict::Error);
        row("only older refuse, no target", "", older, 0, Target::Verdict::Warning);
        row("only older refuse, today", "today", older, 0, Target::Verdict::Fine);
        row("only older refuse, older", "older", older, 0, Target::Verdict::Error);
        row("one family refuses, today", "today", Target::TodayStrict, 0, Target::Verdict::Warning);
        row("one family refuses, that family", "today-strict", Target::TodayStrict, 0, Target::Verdict::Error);
        row("older warn, older", "older", 0, older, Target::Verdict::Warning);
        row("nobody minds", "later", Target::kToday, 0, Target::Verdict::Fine);
    }
    void judge_refusersAgainstTarget_givesVerdict()
    {
        QFETCH(QString, target);
        QFETCH(int, refusers);
        QFETCH(int, warners);
        QFETCH(int, verdict);
        QCOMPARE(int(Target::fromName(target)->judge(Target::Servers(refusers), Target::Servers(warners))), verdict);
    }

    void fromName_unknownWord_givesNothing()
    {
        QVERIFY(!Target::fromName(u"newer"));
        QCOMPARE(Target::fromName(u"TODAY")->servers(), Target::kToday);
        QCOMPARE(Target::fromName(u"today-anycase")->name(), QStringLiteral("today-anycase"));
    }

    void setFlag_renewalAndPreRenewal_excludeEachOther()
    {
        Target target;
        QVERIFY(target.defines(u"RENEWAL"));
        QVERIFY(target.defines(u"RENEW")); // the start of a defined flag counts as it
        QVERIFY(!target.defines(u"FALSE"));
        QVERIFY(target.setFlag(u"PRERENEWAL"));
        QVERIFY(!target.defines(u"RENEWAL"));
        QVERIFY(target.setFlag(u"!PRERENEWAL"));
        QVERIFY(!target.defines(u"PRERENEWAL"));
        QVERIFY(!target.setFlag(u"ab"));
    }

    void builtIn_everyRowOfTheFile_isRead()
    {
        QFile file(QStringLiteral(":/talewick/checker/script-commands.tsv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QSet<QString> words;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.trimmed().isEmpty() && !line.startsWith(u'#'))
                words.insert(line.section(u'\t', 0, 0).toLower());
        }
        for (const QString &word : words)
            QVERIFY2(Commands::Table::builtIn()->find(word), qPrintable(word));
        QVERIFY(Commands::Table::builtIn()->find(u"_$"));
    }

    void check_constructPerTarget_givesFindings_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, const QString &script, const char *target, const QStringList &expected) {
            QTest::newRow(name) << script << QString::fromLatin1(target) << expected;
        };
        const QString power = npc(QStringLiteral("\t.@n = 3 ** 2;\n\tend;"));
        row("power, no target", power, "", {"2:10 TW113 W"});
        row("power, today", power, "today", {});
        row("power, later", power, "later", {"2:10 TW113 E"});
        row("pattern match, today", npc("\tif (.@w$ ~= \"^[a-z]+$\") end;\n\tend;"), "today", {});
        row("pattern match, older", npc("\tif (.@w$ ~= \"^[a-z]+$\") end;\n\tend;"), "older", {"2:11 TW113 E"});
        row("binary number, no target", npc("\t.@n = 0b101 + 1_000;\n\tend;"), "", {"2:8 TW113 W", "2:16 TW113 W"});
        row("binary number, today", npc("\t.@n = 0b101 + 0o17 + 1_000;\n\tend;"), "today", {});
        row("name led by digits, today", npc("\t.@n = 3rd_visit + 2019_cap;\n\tend;"), "today", {});
        row("name led by digits, older", npc("\t.@n = 3rd_visit;\n\tend;"), "older", {"2:8 TW113 E"});
        const QString joined = npc(QStringLiteral("\tmes \"The tide turns \"\n\t\t\"at dusk.\";\n\tclose;"));
        row("strings joined across lines, today", joined, "today", {});
        row("strings joined across lines, no target", joined, "", {"3:3 TW113 W"});
        const QString npcCall = npc(QStringLiteral("\t\"Ferryman\"::Pay(1);\n\t.@n = \"Ferryman\"::Fee();\n\tend;"));
        row("function of another npc, today", npcCall, "today", {});
        row("function of another npc, later", npcCall, "later", {"2:12 TW113 E", "3:18 TW113 E"});
        const QString publicFunction =
            npc(QStringLiteral("\tend;\npublic function Pay {\n\treturn;\n}\nprivate function Fee {\n\treturn 1;\n}"));
        row("public function, today", publicFunction, "today", {});
        row("public function, no target", publicFunction, "", {"3:1 TW113 W", "6:1 TW113 W"});
        const QString unbracedFor = npc(QStringLiteral("\tif (.@n) for (.@i = 0; .@i < 3; .@i++) mes \"x\";\n"
                                                       "\telse for (.@i = 0; .@i < 3; ++.@i) { mes \"y\"; }\n\tclose;"));
        row("for as the body of if and else, today", unbracedFor, "today", {});
        row("for as the body of if and else, no target", unbracedFor, "", {});
        const QString wrongCase = npc(QStringLiteral("\tMes \"Hi\";\n\tIf (1) close;\n\tclose;"));
        row("wrong case, no target", wrongCase, "", {"2:2 TW116 W", "3:2 TW116 W"});
        row("wrong case, strict family", wrongCase, "today-strict", {"2:2 TW116 E", "3:2 TW116 E"});
        row("wrong case, any-case family", wrongCase, "today-anycase", {});
        row("wrong case, older", wrongCase, "older", {});
        const QString translated = npc(QStringLiteral("\tmes _(\"Welcome\");\n\tclose;"));
        row("command of today only, no target", translated, "", {"2:6 TW103 W"});
        row("command of today only, today", translated, "today", {});
        row("command of today only, older", translated, "older", {"2:6 TW103 E"});
        const QString twoLines = npc(QStringLiteral("\tmes \"a\",\"b\";\n\tclose;"));
        row("mes with two texts, no target", twoLines, "", {"2:2 TW104 W"});
        row("mes with two texts, strict family", twoLines, "today-strict", {"2:2 TW104 E"});
        row("mes with two texts, any-case family", twoLines, "today-anycase", {});
        row("mes with two texts, older", twoLines, "older", {"2:2 TW104 W"});
        const QString byName = kToll + npc(QStringLiteral("\tF_Toll 2;\n\t.@fee = F_Toll(3);\n\tend;"));
        row("file function by name, no target", byName, "", {"5:2 TW114 W", "6:10 TW114 W"});
        row("file function by name, today", byName, "today", {});
        row("file function by name, older", byName, "older", {"5:2 TW114 E", "6:10 TW114 E"});
        const QString escape = npc(QStringLiteral("\tmes \"100\\% off \\\"now\\\"\";\n\tclose;"));
        row("unknown escape, today", escape, "today", {"2:10 TW117 E"});
        row("unknown escape, older", escape, "older", {});
        const QString cases = npc(QStringLiteral("\tswitch (.@n) {\n\tcase 0x10:\n\tcase -1:\n\tcase Job_Novice:\n"
                                                 "\tcase .@k:\n\tcase \"yes\":\n\tcase 1_000:\n\t\tend;\n\t}\n\tend;"));
        row("case values, today", cases, "today", {"6:7 TW118 E", "7:7 TW118 E", "8:7 TW118 E"});
        row("case values, no target", cases, "", {"6:7 TW118 W", "7:7 TW118 W", "8:7 TW118 W", "8:7 TW113 W"});
        const QString comma = npc(QStringLiteral("\t.@fee = 300, .@tax = 20;\n\tend;"));
        row("comma after an assignment, any-case family", comma, "today-anycase", {});
        row("comma after an assignment, strict family", comma, "today-strict", {"2:13 TW119 E"});
        row("comma after an assignment, no target", comma, "", {"2:13 TW119 W"});
        const QString wide = npc(QStringLiteral("\tgoto L_表示;\nL_表示:\n\t.@数 = 1;\n\tclose;"));
        row("double-byte names, today", wide, "today", {"3:1 TW120 E", "4:2 TW120 E"});
        row("double-byte names, older", wide, "older", {});
        const QString longLabel = npc(QStringLiteral("\tend;\nOnWhenTheHarborBellRings:\n\tend;"));
        row("label of 24 characters, today", longLabel, "today", {"3:1 TW216 E"});
        row("label of 24 characters, later", longLabel, "later", {});
        row("label of 24 characters in a function", "function\tscript\tF\t{\nOnWhenTheHarborBellRings:\n\treturn;\n}",
            "today", {});
        const QString lone = npc(QStringLiteral("\t:\n\tend;"));
        row("lone colon, today", lone, "today", {"2:2 TW215 E"});
        row("lone colon, older", lone, "older", {"2:2 TW215 W"});
        const QString lowerLabel = npc(QStringLiteral("\tgoto L_End;\nl_end:\n\tend;"));
        row("jump found in lower case, older", lowerLabel, "older", {});
        row("jump found in lower case, strict family", lowerLabel, "today-strict", {"2:7 TW207 E"});
        const QString otherCase = npc(QStringLiteral("\tgoto L_end;\nL_End:\n\tend;"));
        row("label in another case, any-case family", otherCase, "today-anycase", {"3:1 TW210 W"});
        row("label in another case, older", otherCase, "older", {"2:7 TW207 E", "3:1 TW210 W"});
        const QString lostSemicolon = npc(QStringLiteral("\tstopnpctimer\n\tend;"));
        row("lost semicolon joining the next line, today", lostSemicolon, "today", {"2:13 TW102 W"});
        row("lost semicolon joining the next line, older", lostSemicolon, "older", {"2:13 TW102 E"});
        row("lost semicolon after arguments, today", npc(QStringLiteral("\tmes \"a\"\n\tclose;")), "today",
            {"2:8 TW102 E"});
        // Valid where the target's servers have them, as the older rule table had it for every server.
        row("command case, later", npc(QStringLiteral("\tHeal 10,10;\n\tMes \"x\";\n\tCLOSE;")), "later", {});
        const QString builds = npc(QStringLiteral("\tquery_sql \"SELECT 1\";\n\tdefpattern 1,\"(.*)\",\"OnTalk\";\n"
                                                  "\tactivatepset 1;\n\tdeactivatepset 1;\n\tdeletepset 1;\nOnTalk:\n\tend;"));
        row("commands of some builds, later", builds, "later", {});
        row("commands of some builds, older", builds, "older",
            {"2:2 TW103 E", "3:2 TW103 E", "4:2 TW103 E", "5:2 TW103 E", "6:2 TW103 E"});
        const QString commandLabel = npc(QStringLiteral("\tgoto close;\nclose:\n\tclose;"));
        row("label named like a command, today", commandLabel, "today", {"3:1 TW218 E"});
        row("label named like a command, older", commandLabel, "older", {});
        const QString twice = kToll + kToll + npc(QStringLiteral("\tcallfunc \"F_Toll\",1;\n\tend;"));
        row("file function defined twice", twice, "today", {"1:17 TW219 W", "4:17 TW219 W"});
        const QString large = npc(QStringLiteral("\t.@a = 2147483647 + 0x7FFFFFFF;\n\t.@b = 2147483648;\n\tend;"));
        row("number past 32 bits, today", large, "today", {"3:8 TW121 W"});
        row("number past 32 bits, older", large, "older", {});
        // A break belongs to a loop or a switch around it, a continue to a loop; a
        // function of the body is around its own statements only.
        const QString exits = npc(QStringLiteral(
            "\tbreak;\n\tif (.@n) { continue; }\n\twhile (.@n) {\n\t\tif (.@n > 2) break;\n\t\tswitch (.@n) {\n"
            "\t\tcase 1: continue;\n\t\t}\n\t}\n\tswitch (.@n) {\n\tcase 1: continue;\n\tdefault: break;\n\t}\n"
            "\tfor (;;) break;\n\tdo continue; while (0);\n\twhile (.@n) {\n\t\tfunction F {\n\t\t\tbreak;\n\t\t}\n"
            "\t}\n\tend;"));
        row("break and continue outside a loop, today", exits, "today",
            {"2:2 TW122 E", "3:13 TW122 E", "11:10 TW122 E", "18:4 TW122 E"});
        const QString strayBreak = npc(QStringLiteral("\tmes \"a\";\n\tbreak;\n\tclose;"));
        row("break outside a loop, no target", strayBreak, "", {"3:2 TW122 W"});
        row("break outside a loop, older", strayBreak, "older", {});
        // Case values compared as the server reads them: 0x1 is 1, 010 is 8, a
        // constant by its name; each switch, nested ones too, has its own.
        const QString repeated = npc(QStringLiteral(
            "\tswitch (.@n) {\n\tcase 1:\n\tcase 0x1:\n\tcase 010:\n\tcase 8:\n\tcase -1:\n\tcase -0x1:\n"
            "\tcase Job_Novice:\n\tcase Job_Novice:\n\tcase 2:\n\t\tswitch (.@m) {\n\t\tcase 1:\n\t\tcase 2:\n"
            "\t\tdefault:\n\t\t}\n\t\tbreak;\n\tdefault:\n\t\tbreak;\n\tdefault:\n\t\tend;\n\t}\n\tend;"));
        row("case value repeated, today", repeated, "today",
            {"4:7 TW123 E", "6:7 TW123 E", "8:8 TW123 E", "10:7 TW123 E", "20:2 TW123 E"});
        row("case value repeated, no target", repeated, "",
            {"4:7 TW123 W", "6:7 TW123 W", "8:8 TW123 W", "10:7 TW123 W", "20:2 TW123 W"});
        const QString spaced = npc(
            QStringLiteral("\tswitch (.@n) {\n\tcase 1:\n\t\tbreak;\n\tdefault :\n\t\tbreak;\n\t}\n"
                           "\tswitch (.@n) {\n\tdefault:\n\t\tbreak;\n\tdefault /* no */:\n\t\tbreak;\n\t}\n\tend;"));
        row("default with a blank before its colon, today", spaced, "today", {"5:2 TW124 W", "11:2 TW124 W"});
        row("default with a blank before its colon, older", spaced, "older", {});
        const QString grouped = npc(QStringLiteral(
            "\t.@a = 12_ + 1__000 + 1_000 + 0x1F_;\n\t.@b = _12 + 2019_cap + 3rd_visit + 12_ab;\n\tend;"));
        row("digits grouped wrong, today", grouped, "today", {"2:8 TW125 E", "2:14 TW125 E", "2:31 TW125 E"});
        row("digits grouped wrong, no target", grouped, "",
            {"2:8 TW113 W", "2:8 TW125 W", "2:14 TW113 W", "2:14 TW125 W", "2:23 TW113 W", "2:31 TW113 W",
             "2:31 TW125 W", "3:14 TW113 W", "3:25 TW113 W", "3:37 TW113 W"});
        const QString unknown = npc(QStringLiteral("\tF_Nowhere 2;\n\tend;"));
        row("name defined nowhere, no target", unknown, "", {"2:2 TW115 W"});
        row("name defined nowhere, today", unknown, "today", {"2:2 TW115 W"});
        row("name defined nowhere, older", unknown, "older", {"2:2 TW103 E"});
    }
    void check_constructPerTarget_givesFindings()
    {
        QFETCH(QString, script);
        QFETCH(QString, target);
        QFETCH(QStringList, expected);
        QCOMPARE(judged(script, target), expected);
    }

    void conditionalComment_flags_chooseTheAlternativeReadAsCode_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("renewal as it comes") << QString() << QStringList() << QStringList{"3:2"};
        QTest::newRow("pre-renewal") << QStringLiteral("today") << QStringList{"PRERENEWAL"}
                                     << QStringList{"6:2", "8:18"};
        QTest::newRow("flag written short") << QString() << QStringList{"!RENEWAL", "RENEWAL_PLUS"}
                                            << QStringList{"3:2"};
        // To them "/*@PRERENEWAL*/" is a whole comment.
        QTest::newRow("older servers read comments") << QStringLiteral("later") << QStringList() << QStringList{"8:18"};
    }
    void conditionalComment_flags_chooseTheAlternativeReadAsCode()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, flags);
        QFETCH(QStringList, expected);
        // Line 8: "/*@FLAG*/ code //@*/" on one line, read either way.
        const QString script = npc(QStringLiteral("\t/*@RENEWAL\n\tF_Renewal 1;\n\t//@*/\n\t/*@!RENEWAL\n"
                                                  "\tF_Before 1;\n\t//@*/\n\t/*@PRERENEWAL*/ F_Short 1; //@*/\n\tend;"));
        QStringList codes;
        for (const QString &found : judged(script, target, flags))
            codes << found.section(u' ', 0, 0);
        QCOMPARE(codes, expected);
    }

    // "1 | 2 ^ 3 == 3": older servers bind "|" tighter than "^" and put comparisons
    // loosest; today's bind as C does.
    void operators_target_bindInItsServersOrder_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("rootColumn");
        QTest::newRow("no target: the older order") << QString() << 19;
        QTest::newRow("older") << QStringLiteral("older") << 19;
        QTest::newRow("today: C's order") << QStringLiteral("today") << 11;
    }
    void operators_target_bindInItsServersOrder()
    {
        QFETCH(QString, target);
        QFETCH(int, rootColumn);
        ScriptCheck check(tableFor(target));
        check.replaceLines(0, 0, npc(QStringLiteral("\t.@n = (1 | 2 ^ 3 == 3);\n\tend;")).split(u'\n'));
        const FlowSteps &steps = check.stepsOn(1);
        const auto statement =
            std::find_if(steps.cbegin(), steps.cend(), [](const FlowStep &step) { return step.root >= 0; });
        QVERIFY(statement != steps.cend());
        const std::vector<Expression> &nodes = statement->expressions;
        const Expression &assign = nodes[size_t(statement->root)];
        const Expression &value = nodes[size_t(nodes[size_t(assign.first)].next)];
        QCOMPARE(value.token.column + 1, rootColumn);
    }

    // Two alternative definition lines, one live for each set of flags.
    void conditionalComment_aroundDefinitionLines_oneIsLive_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("flags");
        QTest::newRow("renewal") << QStringLiteral("today") << QStringList();
        QTest::newRow("pre-renewal") << QStringLiteral("today") << QStringList{"PRERENEWAL"};
        QTest::newRow("every server, renewal") << QString() << QStringList();
    }
    void conditionalComment_aroundDefinitionLines_oneIsLive()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, flags);
        const QString script = QStringLiteral("/*@RENEWAL\nm.tsg,20,20,4\tscript\tPilot\t1,{\n//@*/\n/*@!RENEWAL\n"
                                              "n.tsg,8,14,2\tscript\tPilot\t1,{\n//@*/\n\tmes \"Welcome.\";\n"
                                              "\tclose;\n}");
        QCOMPARE(judged(script, target, flags), QStringList());
    }

    // A function defined after its callers are read still reaches them.
    void edit_functionDefinedLater_judgesCallsAgain()
    {
        ScriptCheck check(tableFor(QStringLiteral("today")));
        check.replaceLines(0, 0, npc(QStringLiteral("\tF_Toll 2;\n\tend;")).split(u'\n'));
        QCOMPARE(described(check.allDiagnostics()), QStringList{"2:2 TW115"});
        check.replaceLines(0, 0, kToll.split(u'\n'));
        QCOMPARE(described(check.allDiagnostics()), QStringList());
        check.replaceLines(0, 4, {});
        QCOMPARE(described(check.allDiagnostics()), QStringList{"2:2 TW115"});
    }
};

QTEST_GUILESS_MAIN(TestTargets)
#include "test_targets.moc"
