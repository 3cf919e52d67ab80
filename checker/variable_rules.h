#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"

// Scope variables (.@name) of one body: read where nothing gives them a value (a
// misspelt name, silently 0), and literals of the other type stored in them.
// Diagnostics carry the line within the body.
namespace VariableRules {

Diagnostics check(const QVector<FlowGraph::Located> &steps);

} // namespace VariableRules
