#include "checker/variable_rules.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/spelling.h"

#include <QHash>

namespace VariableRules {

namespace {

using Kind = FlowStep::Kind;

// The server files variables without regard to case.
QString keyOf(const QString &name)
{
    return Language::lowered(name);
}

// The variable given a value whose name is nearest to `name`, as a hint; empty when none is close.
QString nearestSet(const QString &name, const QHash<QString, QString> &set)
{
    QString best;
    int bestDistance = 3;
    for (auto entry = set.cbegin(); entry != set.cend(); ++entry) {
        if (entry.key().endsWith(u'$') != name.endsWith(u'$'))
            continue;
        const int distance = Spelling::distance(keyOf(name), entry.key(), 2);
        if (distance < bestDistance || (distance == bestDistance && entry.value() < best)) {
            bestDistance = distance;
            best = entry.value();
        }
    }
    return best;
}

} // namespace

Diagnostics check(const QVector<FlowGraph::Located> &steps)
{
    QHash<QString, QString> set; // by key, the spelling first seen
    for (const FlowGraph::Located &located : steps) {
        if (located.step->kind == Kind::VariableSet && !set.contains(keyOf(located.step->text)))
            set.insert(keyOf(located.step->text), located.step->text);
    }
    Diagnostics found;
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (step.kind == Kind::VariableRead && !set.contains(keyOf(step.text))) {
            const QString nearest = nearestSet(step.text, set);
            // The nearest name is a hint, not a sure fix: the writer may mean another.
            found.append(Rules::make(
                Rule::VariableNeverSet, located.line, step.column, step.length,
                {step.text, nearest.isEmpty() ? QString() : QStringLiteral("（「%1」ですか）").arg(nearest)}));
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
