#pragma once

#include "checker/diagnostic.h"
#include "checker/feasible_paths.h"

// What the player and the world decide along one path of a body's flow graph, read
// off the ways it takes, for a finding to carry and the preview to follow again.
namespace FlowPath {

// The path's start, then each choice, condition and command result it depends on,
// in order; lines within the body.
// `paths` knows the body's values.
QVector<Diagnostic::Decision> decisions(const FlowGraph::Graph &graph, const FlowGraph::LineText &text,
                                        FeasiblePaths::Paths &paths, const QVector<FeasiblePaths::Way> &path);

// The number of the choice a menu's `way`-th way on stands for, from 1; 0 when it
// cannot be told.
int menuChoice(const FlowGraph::Graph &graph, int node, int way, const FlowGraph::LineText &text);

} // namespace FlowPath
