#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"

// Steps of a body that no path reaches, read from the same flow graph as the
// window rules. Diagnostics carry the line within the body.
namespace UnreachableRule {

// One finding for each run of unreached statements; none for an unreadable graph.
Diagnostics check(const FlowGraph::Graph &graph);

} // namespace UnreachableRule
