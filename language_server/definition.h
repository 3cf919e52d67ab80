#pragma once

#include "language_server/feature_table.h"

#include <optional>

namespace Lsp {

// Where the label or the called function under the cursor is defined: a label in
// the NPC's body, a function in any open script or file of the workspace. None
// when the cursor is on neither.
QVector<Location> definition(const Context &context, const PositionParams &params);

// The callfunc whose function name (quotes included) `position` stands on.
std::optional<CallfuncSite> callAt(const ScriptCheck &check, Position position);

} // namespace Lsp
