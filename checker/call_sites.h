#pragma once

#include "checker/flow_step.h"
#include "checker/language.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <QVector>

#include <optional>

// The commands and function calls of one statement, each with the nodes of its
// arguments in order, for rules that judge what an argument holds.
namespace CallSites {

struct Site
{
    QString word;                      // in lower case
    bool inExpression;                 // a call inside an expression, not the statement's own command
    QVarLengthArray<int, 8> arguments; // nodes of the step's expressions
};

// The text of a node's own token; `lineText(k)` is the text of the k-th line after the step's.
template <typename LineText> QStringView tokenOf(const Expression &node, const LineText &lineText)
{
    const QString &text = lineText(node.token.line);
    if (node.token.column < 0 || node.token.column + node.length > text.size())
        return {};
    return QStringView(text).sliced(node.token.column, node.length);
}

// A decimal or hexadecimal integer, as the server reads ids.
inline std::optional<qint64> integerOf(QStringView text)
{
    bool ok = false;
    text = text.trimmed();
    const bool hex = text.startsWith(u"0x") || text.startsWith(u"0X");
    const qint64 value = hex ? text.sliced(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

inline void addChain(const FlowStep &step, int first, Site &site)
{
    for (int at = first; at >= 0 && at < int(step.expressions.size()); at = step.expressions[size_t(at)].next)
        site.arguments.append(at);
}

template <typename LineText> QVector<Site> of(const FlowStep &step, const LineText &lineText)
{
    QVector<Site> sites;
    if (step.kind == FlowStep::Kind::Command) {
        sites.append(Site{step.text, false, {}});
        addChain(step, step.root, sites.back());
    }
    for (const Expression &node : step.expressions) {
        if (node.kind != Expression::Kind::Call && node.kind != Expression::Kind::Command)
            continue;
        sites.append(
            Site{Language::lowered(tokenOf(node, lineText).toString()), node.kind == Expression::Kind::Call, {}});
        addChain(step, node.first, sites.back());
    }
    return sites;
}

} // namespace CallSites
