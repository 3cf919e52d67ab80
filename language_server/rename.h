#pragma once

#include "language_server/feature_table.h"

#include <optional>

namespace Lsp {

// The label under the cursor and its name, before the user types a new one;
// nothing when the cursor is on no label. An event label is refused at once.
std::optional<PrepareRenameResult> prepareRename(const Context &context, const PositionParams &params);

// Every place of the label under the cursor, renamed; refused (RequestError) for
// an event label, a name that is no label's, one the NPC already has, or one that
// would change where another jump goes.
WorkspaceEdit rename(const Context &context, const RenameParams &params);

} // namespace Lsp
