#pragma once

#include "checker/flow_graph.h"

#include <memory>
#include <optional>
#include <vector>

namespace Commands {
class Table;
}

// The ways of a body no path can take, from what a path knows of its scope and
// player variables compared with constants: the conditions taken (==, !=, <, <=,
// >, >=, !, &&, || on a variable and a constant), the constants stored, and the
// ranges of commands' results (rand, select: the result column of the command
// table). `else` after ifs that test every value rand(3) gives is such a way.
// Knowledge is kept per statement, the paths that meet there joined, so what is
// found is bounded and never more than the paths could know.
namespace FeasiblePaths {

// Per node, bit k set when no path takes its k-th way on (FlowGraph::Node::next).
using Blocked = std::vector<quint8>;

// `commands` may be null: then no command's result is known.
Blocked blockedWays(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, const Commands::Table *commands);

// One statement of a path and the way it left by (an index into its next), or
// -1 where it went into what it calls, or where the path ends.
struct Way
{
    int node = 0;
    int way = -1;
};

// A statement of a path that stores a command's result (rand, select...) in a
// compared variable, and the lowest value it may give for the conditions the path
// takes after it to hold.
struct GivenValue
{
    int step = 0; // its place in the path
    qint64 value = 0;
};

// What a body's statements and conditions tell, read once and kept: the ways no
// path takes, and the values along as many single paths as are asked about, each
// costing its length.
class Paths
{
public:
    // `commands` may be null: then no command's result is known.
    Paths(const FlowGraph::Graph &graph, const FlowGraph::LineText &text, const Commands::Table *commands);
    ~Paths();
    Paths(const Paths &) = delete;
    Paths &operator=(const Paths &) = delete;

    const Blocked &blocked();
    // Along the one path `path`, what each such statement must give; nothing for a
    // statement the path's conditions say nothing of, and nothing at all for a path
    // no values can take.
    QVector<GivenValue> valuesAlong(const QVector<Way> &path);

private:
    class Analysis;
    const bool usable_;
    std::unique_ptr<Analysis> analysis_;
    std::optional<Blocked> blocked_;
};

inline bool isBlocked(const Blocked &blocked, int node, int way)
{
    return size_t(node) < blocked.size() && way < 8 && ((blocked[size_t(node)] >> way) & 1u);
}

} // namespace FeasiblePaths
