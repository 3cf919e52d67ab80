#pragma once

#include "checker/flow_graph.h"

#include <QString>
#include <QVarLengthArray>

#include <functional>

// The code a statement runs elsewhere and comes back from, in the order the
// server runs it: a function of the file by callfunc or by name, a label of the
// body by callsub, a function of the body. The window rules apply what each does
// to the window in its place.
namespace WindowCalls {

struct Call
{
    enum class Kind : quint8
    {
        File,    // name: a function of the file, in lower case
        Body,    // node: where the subroutine or function of the body begins
        Unknown, // a name read at run time, or code this body cannot see
    };
    Kind kind = Kind::Unknown;
    QString name;
    int node = -1;
};

using Calls = QVarLengthArray<Call, 1>;

// Whether the file defines a function of this name (lower case).
using IsFileFunction = std::function<bool(const QString &lowerName)>;

// The calls of the statement of `node`; `text` gives the body's lines.
Calls of(const FlowGraph::Graph &graph, int node, const FlowGraph::LineText &text,
         const IsFileFunction &isFileFunction);

} // namespace WindowCalls
