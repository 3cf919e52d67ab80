#include "checker/variable_rules.h"

#include "checker/language.h"
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"
#include "checker/spelling.h"

#include <QHash>

#include <algorithm>

namespace VariableRules {

namespace {

using Kind = FlowStep::Kind;

// Player variables (@name) live on past the body: they are judged across files.
bool isScopeVariable(const FlowStep &step)
{
    return Language::isScopeVariable(step.text);
}

} // namespace

QString keyOf(const QString &name)
{
    return Language::lowered(name);
}

namespace {

// The spelling set whose key is nearest to `name`'s, among `entries` of key and spelling.
template <typename Entries> QString nearestAmong(const QString &name, const Entries &entries)
{
    const QString key = keyOf(name);
    QString best;
    int bestDistance = 3;
    for (const auto &[entryKey, spelling] : entries) {
        if (entryKey.endsWith(u'$') != name.endsWith(u'$'))
            continue;
        const int distance = Spelling::distance(key, entryKey, 2);
        if (distance < bestDistance || (distance == bestDistance && spelling < best)) {
            bestDistance = distance;
            best = spelling;
        }
    }
    return best;
}

// The scope variables a body sets, by key, each with the spelling first seen; in
// the order of the keys, so that a read is looked up without hashing its name.
using SetVariables = QVector<std::pair<QString, QString>>;

SetVariables scopeVariablesSet(const QVector<FlowGraph::Located> &steps)
{
    SetVariables set;
    for (const FlowGraph::Located &located : steps) {
        if (located.step->kind == Kind::VariableSet && isScopeVariable(*located.step))
            set.append({keyOf(located.step->text), located.step->text});
    }
    std::stable_sort(set.begin(), set.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    set.erase(std::unique(set.begin(), set.end(), [](const auto &a, const auto &b) { return a.first == b.first; }),
              set.end());
    return set;
}

bool holds(const SetVariables &set, const QString &key)
{
    const auto at =
        std::lower_bound(set.cbegin(), set.cend(), key,
                         [](const std::pair<QString, QString> &entry, const QString &k) { return entry.first < k; });
    return at != set.cend() && at->first == key;
}

} // namespace

QString nearestSet(const QString &name, const QHash<QString, QString> &set)
{
    QVector<std::pair<QString, QString>> entries;
    entries.reserve(set.size());
    for (auto entry = set.cbegin(); entry != set.cend(); ++entry)
        entries.append({entry.key(), entry.value()});
    return nearestAmong(name, entries);
}

QString nearestSet(const QString &name, const std::map<QString, QString> &set)
{
    return nearestAmong(name, QVector<std::pair<QString, QString>>(set.cbegin(), set.cend()));
}

Diagnostic neverSet(int line, int column, int length, const QString &name, const QString &nearest)
{
    // The nearest name is a hint, not a sure fix: the writer may mean another.
    return Rules::make(Rule::VariableNeverSet, line, column, length,
                       {name, nearest.isEmpty() ? QString() : QStringLiteral("（「%1」ですか）").arg(nearest)});
}

Diagnostics check(const QVector<FlowGraph::Located> &steps)
{
    const SetVariables set = scopeVariablesSet(steps);
    Diagnostics found;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (step.kind == Kind::VariableRead && isScopeVariable(step) && !holds(set, keyOf(step.text))) {
            found.append(neverSet(located.line, step.column, step.length, step.text, nearestAmong(step.text, set)));
        } else if (step.kind == Kind::TypeMismatch) {
            const bool stringVariable = step.text.endsWith(u'$');
            found.append(Rules::make(Rule::LiteralOfOtherType, located.line, step.column, step.length,
                                     {stringVariable ? QStringLiteral("文字列") : QStringLiteral("数"), step.text,
                                      stringVariable ? QStringLiteral("数") : QStringLiteral("文字列")}));
        }
    }
    return found;
}

} // namespace VariableRules

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kVariableRules[] = {
    {Rule::VariableNeverSet, u"TW506", Severity::Warning,
     u"変数「%1」はどこでも値を入れられていません（常に0か空です）%2",
     u"値を入れていないスコープ変数・プレイヤー変数を読んでいる",
     u"スコープ変数（.@名前）を読んでいますが、この本体のどこでも値を入れていません。多くは綴りの誤りです。"
     u"プレイヤー変数（@名前）は、いっしょに調べたファイルのどれでも値を入れていないときに知らせます"
     u"（@menu は menu と select が入れます）。永続変数・アカウント変数・グローバル変数は調べません。",
     u"サーバーは何も言わず、値は 0（文字列なら空）になります。",
     EXAMPLE_NPC u"\tset .@count, 3;\n\tmes \"残り\" + .@cuont + \"回\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset .@count, 3;\n\tmes \"残り\" + .@count + \"回\";\n\tclose;\n" EXAMPLE_END},
    {Rule::LiteralOfOtherType, u"TW507", Severity::Warning, u"%1 の変数「%2」に%3を入れています",
     u"数の変数に文字列、文字列の変数に数",
     u"数の変数（名前が $ で終わらない）に文字列を、文字列の変数（$ で終わる）に数を入れています。",
     u"サーバーは型の合わない値を入れようとして、エラーを出すか 0 や空の値にします。",
     EXAMPLE_NPC u"\tset .@name$, 5;\n\tmes .@name$;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset .@name$, \"5\";\n\tmes .@name$;\n\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kVariableRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::variables()
{
    return tableOf(kVariableRules);
}
