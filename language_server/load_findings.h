#pragma once

#include "checker/diagnostic.h"
#include "checker/target.h"
#include "language_server/findings.h"

#include <QHash>
#include <QString>

#include <functional>

namespace Lsp {

// What today's servers decide as they load an open script from the top
// (LoadOrderRules): a function called by name defined only further down, a
// duplicate whose source comes later, an NPC name used twice, another NPC's
// private function called. Judged over the lines Findings keeps, so it costs what
// the script defines, not its length. A function `definedElsewhere` says another
// script defines may be loaded before it: its calls are not judged.
QHash<int, Diagnostics> loadFindings(const Findings &findings, const Target &target,
                                     const std::function<bool(const QString &)> &definedElsewhere);

} // namespace Lsp
