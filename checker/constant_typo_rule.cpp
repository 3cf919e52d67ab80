// TW605: a bare name read as a value that nothing sets and the server does not
// know, a few letters from a name it does.
#include "checker/body_tokens.h"
#include "checker/call_sites.h"
#include "checker/language.h"
#include "checker/rules.h"
#include "checker/server_names.h"
#include "checker/server_rules.h"

#include <QHash>
#include <QSet>

#include <vector>

namespace ServerRules {

namespace {

using Script = std::vector<std::unique_ptr<LineStore::Line>>;

// Shorter names are too near too many others for a hint to mean anything.
constexpr qsizetype kShortestJudged = 4;

// Which nodes of a step are given a value: the target of an assignment or an
// increment, and the arguments a command or a call stores into.
template <typename LineText>
QVector<bool> givenValues(const FlowStep &step, const Commands::Table &commands, const LineText &lineText)
{
    QVector<bool> given(qsizetype(step.expressions.size()), false);
    for (const Expression &node : step.expressions) {
        if ((node.kind == Expression::Kind::Assign || node.kind == Expression::Kind::Increment) && node.first >= 0)
            given[node.first] = true;
    }
    for (const CallSites::Site &site : CallSites::of(step, lineText)) {
        const Commands::Command *command = commands.find(site.word);
        for (int i = 0; command && i < site.arguments.size(); ++i) {
            if (command->storesInto(i, site.inExpression))
                given[site.arguments.at(i)] = true;
        }
    }
    return given;
}

bool isName(const Expression &node)
{
    return node.kind == Expression::Kind::Variable || node.kind == Expression::Kind::Element;
}

struct Read
{
    int line; // within the body
    int column;
    QString name;
};

bool mayBeTypo(QStringView name, const Commands::Table &commands, const ServerNames &names)
{
    return name.size() >= kShortestJudged && BodyTokens::isPlainName(name) && !commands.find(name) &&
           !Language::isKeyword(name, Language::StartsStatement) && !names.isKnown(name);
}

// Calls `visit(node, name, given, line)` for each name node of the body's
// statements (a bare name or an array's), with its text, whether the statement
// gives it a value, and its line within the body.
template <typename Visit>
void forEachName(const QVector<FlowGraph::Located> &steps, int first, const Script &script,
                 const Commands::Table &commands, const Visit &visit)
{
    for (const FlowGraph::Located &located : steps) {
        const FlowStep &step = *located.step;
        if (!step.isStatement() || step.expressions.empty())
            continue;
        const int at = first + located.line;
        const auto lineText = [&](int k) -> const QString & { return script[size_t(at + k)]->text; };
        const QVector<bool> given = givenValues(step, commands, lineText);
        for (size_t i = 0; i < step.expressions.size(); ++i) {
            const Expression &node = step.expressions[i];
            if (isName(node))
                visit(node, CallSites::tokenOf(node, lineText), given.at(qsizetype(i)), located.line + node.token.line);
        }
    }
}

} // namespace

QSet<QString> namesSetIn(const QVector<FlowGraph::Located> &steps, int first, const Script &script,
                         const Commands::Table &commands)
{
    QSet<QString> set;
    forEachName(steps, first, script, commands, [&](const Expression &, QStringView name, bool given, int) {
        if (given)
            set.insert(Language::lowered(name.toString()));
    });
    return set;
}

Diagnostics constantTypos(const QVector<FlowGraph::Located> &steps, int first, const Script &script,
                          const Commands::Table &commands, const QSet<QString> &setInScript)
{
    // A name is judged unknown only when every table of the folder was read whole.
    const ServerNames *names = commands.serverNames();
    if (!names || !names->knowsEveryName())
        return {};
    // The bare names the body reads that the server does not know.
    QVector<Read> reads;
    forEachName(steps, first, script, commands, [&](const Expression &node, QStringView name, bool given, int line) {
        if (node.kind == Expression::Kind::Variable && !given && mayBeTypo(name, commands, *names))
            reads.append({line, node.token.column, name.toString()});
    });
    if (reads.isEmpty())
        return {};
    // Most unknown names are variables the script sets: those are passed over
    // before a near name is looked for, once a name.
    QHash<QString, QString> nearest;
    Diagnostics found;
    for (const Read &read : reads) {
        const QString key = Language::lowered(read.name);
        if (setInScript.contains(key))
            continue;
        auto hint = nearest.find(key);
        if (hint == nearest.end())
            hint = nearest.insert(key, names->nearestKnown(read.name));
        if (hint->isEmpty())
            continue;
        found.append(Rules::make(Rule::LikelyConstantTypo, read.line, read.column, int(read.name.size()),
                                 {read.name, Language::nearestCommandHint(*hint)}));
    }
    return found;
}

} // namespace ServerRules
