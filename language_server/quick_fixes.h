#pragma once

#include "language_server/feature_table.h"

namespace Lsp {

// The fixes the checker is sure of, for what it found on the lines of the range:
// those the checker gives with a diagnostic; while it gives none, an unknown
// command to the one it is nearest, a jump to the case its label is defined in,
// a ";" where a statement lost it.
QVector<CodeAction> quickFixes(const Context &context, const CodeActionParams &params);

// The fixes of one diagnostic of `document`: the checker's own, or else the one
// worked out here.
QVector<CodeAction> fixesOf(const Diagnostic &diagnostic, const TextDocument &document, const QString &uri,
                            const Commands::Table &commands);

} // namespace Lsp
