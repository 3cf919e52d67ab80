#include "checker/variable_rules.h"

#include "checker/language.h"
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
