#pragma once

#include "language_server/text_document.h"

#include <QJsonArray>

namespace Lsp {

// The outline of a script: every definition line (NPCs, functions, shops, warps,
// monsters, map flags) with the labels of its body inside it. Clients that take
// no nesting get a flat list of the same symbols.
QJsonArray documentSymbols(const TextDocument &document, const QString &uri, bool hierarchical);

} // namespace Lsp
