// The registry that gathers the rule tables of every layer: it turns away tables
// that would give a code two meanings or leave a rule without its declaration.
#include "checker/rules.h"

#include <QTest>

#include <vector>

namespace {

using Tables = std::vector<std::vector<RuleDeclaration>>;
using Kind = Rules::TableProblem::Kind;

constexpr RuleDeclaration declared(int rule, const char16_t *code, const char16_t *summary = u"要約")
{
    return {Rule(rule), code, Diagnostic::Severity::Warning, u"文", summary, u"意味", u"サーバー", u"誤り", u"直し"};
}

constexpr RuleDeclaration kSound[] = {declared(0, u"TW101"), declared(1, u"TW102")};
constexpr RuleDeclaration kCodeTwice[] = {declared(0, u"TW101"), declared(1, u"TW101")};
constexpr RuleDeclaration kRuleTwice[] = {declared(0, u"TW101"), declared(0, u"TW102")};
constexpr RuleDeclaration kNoSummary[] = {declared(0, u"TW101", u"")};
constexpr RuleDeclaration kShortCode[] = {declared(0, u"TW10")};

// What a layer's own static_assert sees, before any table meets another.
static_assert(RuleDeclarations::areSound(kSound));
static_assert(!RuleDeclarations::areSound(kCodeTwice));
static_assert(!RuleDeclarations::areSound(kRuleTwice));
static_assert(!RuleDeclarations::areSound(kNoSummary));
static_assert(!RuleDeclarations::areSound(kShortCode));

Rules::TableProblem problemIn(const Tables &tables, std::size_t ruleCount)
{
    std::vector<RuleTable> views;
    for (const std::vector<RuleDeclaration> &table : tables)
        views.push_back({table.data(), table.size()});
    return Rules::problemIn(views.data(), views.size(), ruleCount);
}

} // namespace

Q_DECLARE_METATYPE(Tables)

class RuleRegistryTest : public QObject
{
    Q_OBJECT

private slots:
    void problemIn_tables_findsTheFirstOffendingCode_data()
    {
        QTest::addColumn<Tables>("tables");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("code");
        const auto row = [](const char *name, const Tables &tables, Kind kind, int rule, const QString &code) {
            QTest::newRow(name) << tables << int(kind) << rule << code;
        };
        row("sound, across two tables", {{declared(0, u"TW101"), declared(1, u"TW102")}, {declared(2, u"TW201")}},
            Kind::None, 0, QString());
        row("code twice in one table", {{declared(0, u"TW101"), declared(1, u"TW101"), declared(2, u"TW103")}},
            Kind::CodeTwice, 1, "TW101");
        row("code twice across tables", {{declared(0, u"TW101"), declared(1, u"TW102")}, {declared(2, u"TW102")}},
            Kind::CodeTwice, 2, "TW102");
        row("rule twice across tables", {{declared(0, u"TW101"), declared(1, u"TW102")}, {declared(1, u"TW103")}},
            Kind::RuleTwice, 1, "TW103");
        row("rule never declared", {{declared(0, u"TW101"), declared(2, u"TW103")}}, Kind::RuleNeverDeclared, 1,
            QString());
        row("codes against the enumerators", {{declared(0, u"TW102"), declared(1, u"TW101"), declared(2, u"TW103")}},
            Kind::CodeOutOfOrder, 1, "TW101");
        row("rule past the last enumerator", {{declared(0, u"TW101"), declared(1, u"TW102"), declared(3, u"TW104")}},
            Kind::RuleOutOfRange, 3, "TW104");
        row("summary left empty", {{declared(0, u"TW101", u""), declared(1, u"TW102"), declared(2, u"TW103")}},
            Kind::IncompleteDeclaration, 0, "TW101");
        row("code of four characters", {{declared(0, u"TW101"), declared(1, u"TW12"), declared(2, u"TW103")}},
            Kind::IncompleteDeclaration, 1, "TW12");
    }
    void problemIn_tables_findsTheFirstOffendingCode()
    {
        QFETCH(Tables, tables);
        QFETCH(int, kind);
        QFETCH(int, rule);
        QFETCH(QString, code);
        const Rules::TableProblem found = problemIn(tables, 3);
        QCOMPARE(int(found.kind), kind);
        if (found.kind != Kind::None) {
            QCOMPARE(int(found.rule), rule);
            QCOMPARE(found.code, code);
        }
    }
};

QTEST_GUILESS_MAIN(RuleRegistryTest)
#include "test_rule_registry.moc"
