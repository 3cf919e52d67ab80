#pragma once

#include "checker/commands.h"
#include "checker/diagnostic.h"
#include "checker/flow_graph.h"
#include "checker/script_line.h"

#include <QSet>
#include <QString>
#include <QStringView>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

// What only the server's own folder lets the checker judge (TW6xx): maps, items
// and monsters the server does not know, and bare names that are most likely a
// misspelt constant. Each does nothing when the command table holds no folder.
namespace ServerRules {

// The map of a definition line's place, a warp's destination, a shop's items and a
// monster line's monster (TW601-TW603), added to the line's findings.
void checkDefinition(LineStore::Line &line, const Commands::Table &commands);

// The id of a shop's item or of a monster line's monster that stands at `column` of
// a definition line, for hover.
struct DefinitionId
{
    bool monster = false; // else an item
    qint64 id = 0;
    int column = 0;
    int length = 0;
};
std::optional<DefinitionId> definitionIdAt(QStringView line, const DefinitionLine::Definition &definition, int column);

// The arguments of a statement's commands and calls that name a map, an item or a
// monster (TW601, TW603, TW604). The step begins on `unit[first]`; its later lines
// follow there. Findings go to the lines the arguments stand on.
void checkStep(const FlowStep &step, const Commands::Table &commands, const QVector<LineStore::Line *> &unit,
               int first);

// The bare names, in lower case, that the body beginning at line `first` of
// `script` gives a value (an assignment, an increment, an argument a command
// stores into): gathered over the script's bodies for constantTypos.
QSet<QString> namesSetIn(const QVector<FlowGraph::Located> &steps, int first,
                         const std::vector<std::unique_ptr<LineStore::Line>> &script, const Commands::Table &commands);

// Bare names the body at line `first` of `script` reads that no body sets
// (`setInScript`, from namesSetIn) and that are a few letters from a name the
// server knows (TW605), with lines within the body.
Diagnostics constantTypos(const QVector<FlowGraph::Located> &steps, int first,
                          const std::vector<std::unique_ptr<LineStore::Line>> &script, const Commands::Table &commands,
                          const QSet<QString> &setInScript);

} // namespace ServerRules
