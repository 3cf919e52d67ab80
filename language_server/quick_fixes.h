#pragma once

#include "checker/commands.h"
#include "language_server/text_document.h"

#include <QJsonArray>

namespace Lsp {

// The fixes the checker can be sure of, for what it found on the lines from
// `start` to `end`: an unknown command to the one it is nearest, a jump to the
// case its label is defined in, a ";" where a statement lost it.
QJsonArray quickFixes(const TextDocument &document, const QString &uri, Position start, Position end,
                      const Commands::Table &commands);

} // namespace Lsp
