#include "checker/variable_rules.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/spelling.h"

#include <QHash>

namespace VariableRules {

namespace {

using Kind = FlowStep::Kind;

// Player variables (@name) live on past the body: they are judged across files.
bool isScopeVariable(const FlowStep &step)
{
    return step.text.startsWith(u".@");
}

} // namespace

QString keyOf(const QString &name)
{
    return Language::lowered(name);
}

QString nearestSet(const QString &name, const QHash<QString, QString> &set)
{
    const QString key = keyOf(name);
    QString best;
    int bestDistance = 3;
    for (auto entry = set.cbegin(); entry != set.cend(); ++entry) {
        if (entry.key().endsWith(u'$') != name.endsWith(u'$'))
            continue;
        const int distance = Spelling::distance(key, entry.key(), 2);
        if (distance < bestDistance || (distance == bestDistance && entry.value() < best)) {
            bestDistance = distance;
            best = entry.value();
        }
    }
    return best;
}

Diagnostic neverSet(int line, int column, int length, const QString &name, const QString &nearest)
{
    // The nearest name is a hint, not a sure fix: the writer may mean another.
    return Rules::make(Rule::VariableNeverSet, line, column, length,
                       {name, nearest.isEmpty() ? QString() : QStringLiteral("（「%1」ですか）").arg(nearest)});
}

Diagnostics check(const QVector<FlowGraph::Located> &steps)
{
    QHash<QString, QString> set; // by key, the spelling first seen
    for (const FlowGraph::Located &located : steps) {
        if (located.step->kind == Kind::VariableSet && isScopeVariable(*located.step) &&
            !set.contains(keyOf(located.step->text)))
            set.insert(keyOf(located.step->text), located.step->text);
    }
    Diagnostics found;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (step.kind == Kind::VariableRead && isScopeVariable(step) && !set.contains(keyOf(step.text))) {
            found.append(neverSet(located.line, step.column, step.length, step.text, nearestSet(step.text, set)));
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
