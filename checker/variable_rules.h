#pragma once

#include "checker/diagnostic.h"
#include "checker/flow_graph.h"

// Scope variables (.@name) of one body: read where nothing gives them a value (a
// misspelt name, silently 0). Literals of the other type stored in a scope or
// player variable, where a path from the store reads the variable.
// Diagnostics carry the line within the body.
#include <QHash>
#include <QString>

#include <map>

namespace VariableRules {

// The server files variables without regard to case: a variable's key.
QString keyOf(const QString &name);

// The variable of `set` (spellings by key) nearest to `name` and of its kind,
// string or number, as a hint; empty when none is close.
QString nearestSet(const QString &name, const QHash<QString, QString> &set);
QString nearestSet(const QString &name, const std::map<QString, QString> &set);

// TW506 at a read of `name` that nothing sets, naming `nearest` when there is one.
Diagnostic neverSet(int line, int column, int length, const QString &name, const QString &nearest);

// TW506 and TW507 for one body, whose flow is `graph` and whose lines `text` gives.
// `setThroughGetarg`: the argument positions that functions of the file set
// through getarg (VariableStores::argumentsSetThroughGetarg), for the whole file.
Diagnostics check(const QVector<FlowGraph::Located> &steps, const FlowGraph::Graph &graph,
                  const FlowGraph::LineText &text, quint32 setThroughGetarg);

} // namespace VariableRules
