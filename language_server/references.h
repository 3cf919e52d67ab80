#pragma once

#include "language_server/feature_table.h"

#include <optional>

namespace Lsp {

// Every place of the label under the cursor in its NPC's body: the jumps that
// reach it and, unless the client leaves them out, its definitions. Nothing when
// the cursor is on no label.
std::optional<QVector<Location>> references(const Context &context, const ReferenceParams &params);

} // namespace Lsp
