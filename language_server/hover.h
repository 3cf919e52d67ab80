#pragma once

#include "language_server/feature_table.h"

#include <optional>

namespace Lsp {

// What a word means: a command word's arguments as the table gives them; for a
// label, where it is defined and how many jumps reach it; for a called function,
// where the workspace defines it. Nothing elsewhere.
std::optional<Hover> hover(const Context &context, const PositionParams &params);

} // namespace Lsp
