#pragma once

#include "checker/flow_step.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <QVector>

#include <functional>
#include <unordered_map>

// The flow of one body: its statements as nodes, with the ways the server can go
// from one to the next (in order, into and around blocks, loops and switches, and
// along goto, menu choices and the labels they name). Read off the body's lowered
// form (body_form.h), the one the conversation preview runs.
namespace FlowGraph {

struct Node
{
    const FlowStep *step = nullptr;
    int line = 0; // within the body
    // Most steps lead on to one or two others: kept without an allocation each.
    QVarLengthArray<int, 2> next; // where the server may go after this step
    // Beside each of next: 1 where the step's condition holds, -1 where it does not, 0 either way;
    // kCase to a case of the switch `chooses` heads, kPastCases where no case matched.
    QVarLengthArray<qint8, 2> when;
    int chooses = -1;              // the head of the switch whose cases this step leads to
    QVarLengthArray<int, 1> calls; // what callsub or a call of a function of the body runs, to come back
    bool inFunction = false;       // inside a function of the body: its return goes back to the caller
    bool reachableHead = false;    // a place the server may start from: a label, a function's block
};

constexpr qint8 kCase = 2;
constexpr qint8 kPastCases = 3;

// A body's labels are hashed with FNV-1a (common/fnv_hash.h), not Qt's string hash.
struct LabelHash
{
    size_t operator()(const QString &label) const noexcept;
};

struct Graph
{
    QVector<Node> nodes;
    std::unordered_map<QString, int, LabelHash> labels; // by name as written
    bool readable = true;                               // false when a statement was given up on: nothing is judged
    QVector<int> functionStarts;                        // the first node of each function of the body
    QVector<int> functionEnds;                          // its last node, the "}" that returns to the caller
};

struct Located
{
    int line;
    const FlowStep *step;
};

// The text of a line of the body, by its line within the body.
using LineText = std::function<QStringView(int line)>;

// The steps of one body, in order, each with its line within the body. With the
// body's text, a loop whose condition is a number other than 0 leaves only by a
// break, a goto or an end, as the server runs it.
Graph build(const QVector<Located> &steps, const LineText &text = {});

// Whether the condition of the loop `step` ("while", "for", the "while" of a do)
// is a number other than 0, read from the body's text.
bool alwaysTrue(const FlowStep &step, int line, const LineText &text);

// The node a jump to `label` reaches, lower case first as the server looks it up; -1 for none.
int labelNode(const Graph &graph, const QString &label);

} // namespace FlowGraph
