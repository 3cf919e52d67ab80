#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"

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

Diagnostics check(const FlowGraph::Graph &graph, Start start);

} // namespace WindowRules
