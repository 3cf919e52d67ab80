#pragma once

#include "language_server/feature_table.h"

namespace Lsp {

// The fixes the checker is sure of, for what it found on the lines of the range:
// an unknown command to the one it is nearest, a jump to the case its label is
// defined in, a ";" where a statement lost it. The checker makes them with the
// diagnostic; they are only converted here.
QVector<CodeAction> quickFixes(const Context &context, const CodeActionParams &params);

// The checker's fixes of one diagnostic, as code actions.
QVector<CodeAction> fixesOf(const Diagnostic &diagnostic, const QString &uri);

} // namespace Lsp
