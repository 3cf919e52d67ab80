#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"
#include "checker/target.h"

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

// Where the servers of `target` disagree about the window (a menu, select or input
// with no mes before opens none on today's servers), a finding is judged for it.
Diagnostics check(const FlowGraph::Graph &graph, Start start, const Target &target = Target());

} // namespace WindowRules
