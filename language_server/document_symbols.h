#pragma once

#include "language_server/feature_table.h"

namespace Lsp {

// The outline of a script: every definition line (NPCs, functions, shops, warps,
// monsters, map flags) with the labels of its body inside it.
QVector<DocumentSymbol> documentSymbols(const TextDocument &document);
// The same, flat for clients that take no nesting.
Outline outline(const Context &context, const DocumentParams &params);

} // namespace Lsp
