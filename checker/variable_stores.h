#pragma once

#include "checker/flow_graph.h"

#include <QVector>

#include <utility>

// The stores of a body that the parser notes as reads: "++" and "--", a "+="
// inside an expression, and a variable handed to a subroutine or function that
// sets the argument through getarg. The variable rules count them as stores.
namespace VariableStores {

// A variable's place in a body: its line within the body, and its column.
using Place = std::pair<int, int>;

// The argument position k that a step "set getarg(k), ..." on `line` writes into
// the caller's variable, as a bit (1 << k); 0 for any other step.
quint32 argumentSetThroughGetarg(const FlowStep &step, int line, const FlowGraph::LineText &text);

// The places, in order, of the variables these steps give a value where the parser
// noted a read: the target of an increment or an assignment inside an expression,
// and a bare variable handed to callsub, callfunc or a function of the body in a
// position in `setThroughGetarg`.
QVector<Place> hiddenStores(const QVector<FlowGraph::Located> &steps, const FlowGraph::LineText &text,
                            quint32 setThroughGetarg);

} // namespace VariableStores
