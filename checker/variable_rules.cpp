#include "checker/variable_rules.h"

#include "checker/language.h"
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"
#include "checker/spelling.h"
#include "checker/variable_stores.h"

#include <QHash>

#include <algorithm>
#include <optional>

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

// Whether a variable step gives its variable a value: noted as a store, or a read
// whose place is among `stores`, those the parser's notes leave out.
bool isStore(const FlowGraph::Located &located, const QVector<VariableStores::Place> &stores)
{
    const FlowStep &step = *located.step;
    if (step.kind == Kind::VariableSet)
        return true;
    return step.kind == Kind::VariableRead &&
           std::binary_search(stores.cbegin(), stores.cend(), VariableStores::Place{located.line, step.column});
}

// The scope variables a body sets, by key, each with the spelling first seen; in
// the order of the keys, so that a read is looked up without hashing its name.
using SetVariables = QVector<std::pair<QString, QString>>;

SetVariables scopeVariablesSet(const QVector<FlowGraph::Located> &steps, const QVector<VariableStores::Place> &stores)
{
    SetVariables set;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (!isScopeVariable(step) || !isStore(located, stores))
            continue;
        set.append({keyOf(step.text), step.text});
    }
    std::stable_sort(set.begin(), set.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    set.erase(std::unique(set.begin(), set.end(), [](const auto &a, const auto &b) { return a.first == b.first; }),
              set.end());
    return set;
}

// Where the body first gives each variable a value, by key.
QHash<QString, const FlowGraph::Located *> firstStores(const QVector<FlowGraph::Located> &steps,
                                                       const QVector<VariableStores::Place> &stores)
{
    QHash<QString, const FlowGraph::Located *> first;
    for (const FlowGraph::Located &located : steps) {
        if (located.step->isStatement() || !isStore(located, stores))
            continue;
        const QString key = keyOf(located.step->text);
        if (!first.contains(key))
            first.insert(key, &located);
    }
    return first;
}

bool holds(const SetVariables &set, const QString &key)
{
    const auto at =
        std::lower_bound(set.cbegin(), set.cend(), key,
                         [](const std::pair<QString, QString> &entry, const QString &k) { return entry.first < k; });
    return at != set.cend() && at->first == key;
}

} // namespace

namespace {

// The statement each variable step stands in, as a node of the flow graph: the
// statement after it on its line (a statement's variables come before its own
// step), else the one before it, which goes on from an earlier line.
std::vector<int> statementsOfSteps(const QVector<FlowGraph::Located> &steps)
{
    std::vector<int> statement(size_t(steps.size()), -1);
    int next = int(std::count_if(steps.cbegin(), steps.cend(), [](const auto &s) { return s.step->isStatement(); }));
    int nextLine = -1; // the line the next statement begins on
    for (qsizetype i = steps.size() - 1; i >= 0; --i) {
        if (steps.at(i).step->isStatement()) {
            statement[size_t(i)] = --next;
            nextLine = steps.at(i).line;
        } else {
            statement[size_t(i)] = nextLine == steps.at(i).line || next == 0 ? next : next - 1;
        }
    }
    return statement;
}

// A text of digits stored in a number variable is a number to the server.
bool isNumberText(QStringView literal)
{
    if (literal.size() < 3 || !literal.startsWith(u'"') || !literal.endsWith(u'"'))
        return false;
    QStringView inside = literal.sliced(1, literal.size() - 2);
    if (inside.startsWith(u'-'))
        inside = inside.sliced(1);
    return !inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](QChar c) { return c.isDigit(); });
}

// Per node of the graph, whether it reads and whether it stores one variable.
struct Uses
{
    std::vector<bool> reads;
    std::vector<bool> stores;
    QHash<int, const FlowGraph::Located *> readAt; // by node: its first read of the variable
};

// A store's target is noted as read too where the parser reads it as an
// expression ("set .@a$, 5"): at a store's place, a read is the store.
Uses usesOf(const QString &key, const QVector<FlowGraph::Located> &steps, const std::vector<int> &statements,
            const QVector<VariableStores::Place> &hidden, int nodes)
{
    Uses uses{std::vector<bool>(size_t(nodes), false), std::vector<bool>(size_t(nodes), false), {}};
    QVector<VariableStores::Place> storedAt;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const FlowStep &step = *steps.at(i).step;
        const int node = statements[size_t(i)];
        if (step.isStatement() || node < 0 || node >= nodes || keyOf(step.text) != key || !isStore(steps.at(i), hidden))
            continue;
        uses.stores[size_t(node)] = true;
        storedAt.append({steps.at(i).line, step.column});
    }
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const FlowStep &step = *steps.at(i).step;
        const int node = statements[size_t(i)];
        if (step.kind != Kind::VariableRead || node < 0 || node >= nodes || keyOf(step.text) != key)
            continue;
        if (storedAt.contains(VariableStores::Place{steps.at(i).line, step.column}))
            continue;
        uses.reads[size_t(node)] = true;
        if (!uses.readAt.contains(node))
            uses.readAt.insert(node, &steps.at(i));
    }
    return uses;
}

// The nearest statement on a path from node `from` that reads the variable before a
// store gives it another value, or -1. A statement reads its variables before it stores.
int readBeforeStore(const FlowGraph::Graph &graph, int from, const Uses &uses)
{
    std::vector<bool> seen(size_t(graph.nodes.size()), false);
    std::vector<int> work; // in the order reached: the first read found is the nearest
    const auto onward = [&](int node) {
        const FlowGraph::Node &at = graph.nodes.at(node);
        for (const int next : at.next)
            work.push_back(next);
        for (const int call : at.calls)
            work.push_back(call);
    };
    onward(from);
    for (size_t next = 0; next < work.size(); ++next) {
        const int node = work[next];
        if (seen[size_t(node)])
            continue;
        seen[size_t(node)] = true;
        if (uses.reads[size_t(node)])
            return node;
        if (!uses.stores[size_t(node)])
            onward(node);
    }
    return -1;
}

// TW507 where the value of the other type may be read.
Diagnostics typeMismatches(const QVector<FlowGraph::Located> &steps, const FlowGraph::Graph &graph,
                           const FlowGraph::LineText &text, const QVector<VariableStores::Place> &hidden)
{
    Diagnostics found;
    std::vector<int> statements;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const FlowGraph::Located &located = steps.at(i);
        const FlowStep &step = *located.step;
        if (step.kind != Kind::TypeMismatch)
            continue;
        const bool stringVariable = step.text.endsWith(u'$');
        if (!stringVariable && text && isNumberText(text(located.line).mid(step.column, step.length)))
            continue;
        if (statements.empty())
            statements = statementsOfSteps(steps);
        const int node = statements[size_t(i)];
        if (node < 0 || node >= graph.nodes.size())
            continue;
        const Uses uses = usesOf(keyOf(step.text), steps, statements, hidden, int(graph.nodes.size()));
        const int reader = readBeforeStore(graph, node, uses);
        if (reader < 0)
            continue;
        Diagnostic diagnostic =
            Rules::make(Rule::LiteralOfOtherType, located.line, step.column, step.length,
                        {stringVariable ? QStringLiteral("文字列") : QStringLiteral("数"), step.text,
                         stringVariable ? QStringLiteral("数") : QStringLiteral("文字列")});
        if (const FlowGraph::Located *read = uses.readAt.value(reader)) {
            diagnostic.related.append({read->line, read->step->column, std::max(1, read->step->length),
                                       QStringLiteral("ここでその値が読まれます")});
        }
        found.append(diagnostic);
    }
    return found;
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

Diagnostics check(const QVector<FlowGraph::Located> &steps, const FlowGraph::Graph &graph,
                  const FlowGraph::LineText &text, quint32 setThroughGetarg)
{
    // Most bodies set each variable they read and store no literal of the other
    // type: the stores hidden in expressions are looked for only when one is not.
    const SetVariables plain = scopeVariablesSet(steps, {});
    QVector<const FlowGraph::Located *> unset;
    bool mismatch = false;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (step.kind == Kind::VariableRead && isScopeVariable(step) && !holds(plain, keyOf(step.text)))
            unset.append(&located);
        mismatch = mismatch || step.kind == Kind::TypeMismatch;
    }
    if (unset.isEmpty() && !mismatch)
        return {};
    const QVector<VariableStores::Place> stores = VariableStores::hiddenStores(steps, text, setThroughGetarg);
    const SetVariables set = stores.isEmpty() ? plain : scopeVariablesSet(steps, stores);
    Diagnostics found;
    std::optional<QHash<QString, const FlowGraph::Located *>> stored; // read once, where a name is near
    for (const FlowGraph::Located *located : std::as_const(unset)) {
        const FlowStep &step = *located->step;
        if (holds(set, keyOf(step.text)))
            continue;
        const QString nearest = nearestAmong(step.text, set);
        Diagnostic diagnostic = neverSet(located->line, step.column, step.length, step.text, nearest);
        if (!nearest.isEmpty() && !stored)
            stored = firstStores(steps, stores);
        if (const FlowGraph::Located *store = nearest.isEmpty() ? nullptr : stored->value(keyOf(nearest))) {
            diagnostic.related.append({store->line, store->step->column, std::max(1, store->step->length),
                                       QStringLiteral("「%1」にはここで値を入れています").arg(nearest)});
        }
        found.append(diagnostic);
    }
    if (mismatch && graph.readable)
        found += typeMismatches(steps, graph, text, stores);
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
     u"数の変数（名前が $ で終わらない）に文字列を、文字列の変数（$ で終わる）に数を入れ、"
     u"別の値を入れる前にその変数を読む道筋があります。数字だけの文字列は数として入るので知らせません。",
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
