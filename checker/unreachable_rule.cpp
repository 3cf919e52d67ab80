#include "checker/unreachable_rule.h"

#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

#include <vector>

namespace UnreachableRule {

namespace {

using Kind = FlowStep::Kind;

// Whether a step no path reaches is worth a word: the braces, labels of cases and
// the ends a writer adds for safety ("close; end;", "close; break;") are not.
bool countsAsStatement(const FlowStep &step)
{
    if (step.kind == Kind::Command && step.word == FlowStep::Word::End)
        return false;
    switch (step.kind) {
    case Kind::Return:
    case Kind::BlockOpen:
    case Kind::BlockClose:
    case Kind::BodyEnd:
    case Kind::Else:
    case Kind::Empty:
    case Kind::Break:
    case Kind::Case:
    case Kind::Default:
    case Kind::FunctionDefinition:
    case Kind::FunctionDeclaration:
        return false;
    default:
        return true;
    }
}

// Arrays kept from body to body: a body is judged after nearly every edit.
struct Scratch
{
    std::vector<bool> reached;
    std::vector<int> work;
};
thread_local Scratch tScratch;

// Which nodes a path reaches from the top or from a head the graph marks reachable
// (a label, an event, a function).
const std::vector<bool> &reachedNodes(const FlowGraph::Graph &graph)
{
    std::vector<bool> &reached = tScratch.reached;
    std::vector<int> &work = tScratch.work;
    reached.assign(size_t(graph.nodes.size()), false);
    work.clear();
    for (int node = 0; node < graph.nodes.size(); ++node) {
        if (node == 0 || graph.nodes.at(node).reachableHead) {
            reached[size_t(node)] = true;
            work.push_back(node);
        }
    }
    while (!work.empty()) {
        const int from = work.back();
        work.pop_back();
        for (const int next : graph.nodes.at(from).next) {
            if (!reached[size_t(next)]) {
                reached[size_t(next)] = true;
                work.push_back(next);
            }
        }
    }
    return reached;
}

} // namespace

Diagnostics check(const FlowGraph::Graph &graph)
{
    if (!graph.readable)
        return {};
    const std::vector<bool> &reached = reachedNodes(graph);
    Diagnostics found;
    bool inRun = false;
    for (int node = 0; node < graph.nodes.size(); ++node) {
        const FlowGraph::Node &at = graph.nodes.at(node);
        if (reached[size_t(node)]) {
            inRun = false;
        } else if (countsAsStatement(*at.step) && !inRun) {
            found.append(Rules::make(Rule::Unreachable, at.line, at.step->column, at.step->length));
            inRun = true;
        }
    }
    return found;
}

} // namespace UnreachableRule

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kUnreachableRule[] = {
    {Rule::Unreachable, u"TW504", Severity::Warning, u"ここから先はどの道筋からも実行されません",
     u"どこからも届かない文",
     u"goto、close、end、return の後にあり、前にラベルもないため、どの道筋からも実行されない文です。",
     u"サーバーは読み込みますが、決して実行しません。ラベルを書き忘れたか、消し忘れた文です。",
     EXAMPLE_NPC u"\tmes \"やあ。\";\n\tclose;\n\tmes \"届かない\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"やあ。\";\n\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kUnreachableRule), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::unreachable()
{
    return tableOf(kUnreachableRule);
}
