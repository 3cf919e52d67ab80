#include "checker/rules.h"

#include "checker/rule_tables.h"

#include <QSet>

#include <algorithm>
#include <iterator>
#include <vector>

namespace Rules {

namespace {

using Problem = TableProblem;

Problem problem(Problem::Kind kind, std::size_t rule, const char16_t *code)
{
    return {kind, rule, code ? QString::fromUtf16(code) : QString()};
}

// Each declaration in its enumerator's place; the first declaration that is
// incomplete, or whose rule or code is taken already.
Problem placeByRule(const RuleTable *tables, std::size_t tableCount, std::vector<const Row *> &byRule)
{
    QSet<QString> codes;
    for (std::size_t t = 0; t < tableCount; ++t) {
        for (const Row *row = tables[t].first; row != tables[t].first + tables[t].size; ++row) {
            const std::size_t rule = std::size_t(row->rule);
            if (!RuleDeclarations::isComplete(*row))
                return problem(Problem::Kind::IncompleteDeclaration, rule, row->code);
            if (rule >= byRule.size())
                return problem(Problem::Kind::RuleOutOfRange, rule, row->code);
            if (byRule[rule])
                return problem(Problem::Kind::RuleTwice, rule, row->code);
            const QString code = QString::fromUtf16(row->code);
            if (codes.contains(code))
                return problem(Problem::Kind::CodeTwice, rule, row->code);
            codes.insert(code);
            byRule[rule] = row;
        }
    }
    return {};
}

// Each declaration in its enumerator's place, every enumerator declared, the codes
// in the enumerators' order; the first problem found on the way.
Problem gathered(const RuleTable *tables, std::size_t tableCount, std::vector<const Row *> &byRule)
{
    if (const Problem found = placeByRule(tables, tableCount, byRule); found.kind != Problem::Kind::None)
        return found;
    for (std::size_t rule = 0; rule < byRule.size(); ++rule) {
        if (!byRule[rule])
            return problem(Problem::Kind::RuleNeverDeclared, rule, nullptr);
        if (rule > 0 && QStringView(byRule[rule]->code).compare(QStringView(byRule[rule - 1]->code)) <= 0)
            return problem(Problem::Kind::CodeOutOfOrder, rule, byRule[rule]->code);
    }
    return {};
}

const char *describe(Problem::Kind kind)
{
    switch (kind) {
    case Problem::Kind::None:
        break;
    case Problem::Kind::IncompleteDeclaration:
        return "a declaration without a well-formed code or with a part left empty";
    case Problem::Kind::CodeTwice:
        return "a code declared twice";
    case Problem::Kind::RuleTwice:
        return "a rule declared twice";
    case Problem::Kind::RuleNeverDeclared:
        return "a rule never declared";
    case Problem::Kind::CodeOutOfOrder:
        return "a code out of the order of the enumerators";
    case Problem::Kind::RuleOutOfRange:
        return "a rule past the last enumerator";
    }
    return "no problem";
}

// The rules in one array, in the order of the enumerators and so of the codes.
// Built once; a table that breaks the registry stops the program at once, naming
// the code, since every report after it would be wrong.
const std::vector<Row> &registry()
{
    static const std::vector<Row> rows = [] {
        // Each layer's table, declared beside the code that checks its rules. Listed
        // here, not registered by static objects, so that the linker keeps every layer.
        const RuleTable tables[] = {
            RuleTables::statements(),  RuleTables::bodies(),    RuleTables::labels(),
            RuleTables::definitions(), RuleTables::codePage(),  RuleTables::windows(),
            RuleTables::unreachable(), RuleTables::variables(), RuleTables::serverFolder(),
            RuleTables::directives(),
        };
        std::vector<const Row *> byRule(kRuleCount, nullptr);
        const Problem found = gathered(tables, std::size(tables), byRule);
        if (found.kind != Problem::Kind::None)
            qFatal("rule tables: %s, rule %zu %s", describe(found.kind), found.rule, qPrintable(found.code));
        std::vector<Row> ordered;
        ordered.reserve(kRuleCount);
        for (const Row *row : byRule)
            ordered.push_back(*row);
        return ordered;
    }();
    return rows;
}

} // namespace

TableProblem problemIn(const RuleTable *tables, std::size_t tableCount, std::size_t ruleCount)
{
    std::vector<const Row *> byRule(ruleCount, nullptr);
    return gathered(tables, tableCount, byRule);
}

const Row *begin()
{
    return registry().data();
}

const Row *end()
{
    return registry().data() + registry().size();
}

const Row *find(QStringView code)
{
    const auto found = std::find_if(
        begin(), end(), [&](const Row &row) { return code.compare(QStringView(row.code), Qt::CaseInsensitive) == 0; });
    return found == end() ? nullptr : found;
}

const Row &row(Rule rule)
{
    return registry()[std::size_t(rule)];
}

QString code(Rule rule)
{
    return QString::fromUtf16(row(rule).code);
}

Diagnostic::Severity severity(Rule rule)
{
    return row(rule).severity;
}

QString message(Rule rule, const QStringList &arguments)
{
    // One pass, so that a "%2" inside a filled-in label stays as written.
    const QString pattern = QString::fromUtf16(row(rule).message);
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const qsizetype number = i + 1 < pattern.size() ? pattern.at(i + 1).digitValue() : -1;
        if (pattern.at(i) == u'%' && number >= 1 && number <= arguments.size()) {
            text += arguments.at(number - 1);
            ++i;
        } else {
            text += pattern.at(i);
        }
    }
    return text;
}

Diagnostic make(Rule rule, int line, int column, int length, const QStringList &arguments)
{
    Diagnostic made;
    made.line = line;
    made.column = qMax(0, column);
    made.length = qMax(1, length);
    made.severity = severity(rule);
    made.rule = rule;
    made.code = code(rule);
    made.message = message(rule, arguments);
    return made;
}

Diagnostic judged(Rule rule, const Target &target, Target::Servers refusers, Target::Servers warners, int line,
                  int column, int length, const QStringList &arguments)
{
    // Only the servers of the target that refuse are named.
    return judged(rule, target.judge(refusers, warners), Target::Servers(refusers & target.servers()), line, column,
                  length, arguments);
}

Diagnostic judged(Rule rule, Target::Verdict verdict, Target::Servers refusers, int line, int column, int length,
                  const QStringList &arguments)
{
    if (verdict == Target::Verdict::Fine)
        return Diagnostic();
    Diagnostic made = make(rule, line, column, length, arguments);
    made.severity = verdict == Target::Verdict::Error ? Diagnostic::Severity::Error : Diagnostic::Severity::Warning;
    if (verdict == Target::Verdict::Warning && refusers != 0)
        made.message += QStringLiteral("（%1では読めません）").arg(Target::serversPhrase(refusers));
    return made;
}

} // namespace Rules
