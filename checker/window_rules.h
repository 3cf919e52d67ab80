#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"
#include "checker/target.h"
#include "checker/window_calls.h"
#include "checker/window_summary.h"

#include <functional>

namespace Commands {
class Table;
}

// The conversation window along every path of a body: a player left stuck, an
// empty window, a close behind another window, a window where no player is; and,
// from unreachable_rule, steps no path reaches. Diagnostics carry the line within
// the body.
namespace WindowRules {

// How the body's top is entered.
enum class Start : quint8
{
    Player,   // an NPC a player clicks: the window is closed
    Floating, // a floating NPC, reached by events and by name: whatever called it decides
    Function, // a function: its caller decides, and its end returns to the caller
};

// What a body sees of the file around it: its lines, to read the names it calls,
// and what the file's functions do to the window. Without them a call of a
// function of the file makes the window unknown.
struct Context
{
    FlowGraph::LineText text;
    WindowCalls::IsFileFunction isFileFunction;
    std::function<WindowSummary(const QString &lowerName)> summaryOf; // a name isFileFunction accepts
    // The ranges of commands' results, for the paths that can happen; none without it.
    const Commands::Table *commands = nullptr;
};

// Where the servers of `target` disagree about the window (a menu, select or input
// with no mes before opens none on today's servers), a finding is judged for it.
Diagnostics check(const FlowGraph::Graph &graph, Start start, const Target &target = Target(),
                  const Context &context = {});

// What the function of the file whose body is `graph` does to the window.
WindowSummary summarise(const FlowGraph::Graph &graph, const Context &context);

// What code nothing is known of does: a window a player sees becomes unknown.
WindowSummary unknownSummary();

} // namespace WindowRules
