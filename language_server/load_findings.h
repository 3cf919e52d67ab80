#pragma once

#include "checker/diagnostic.h"
#include "checker/load_order_rules.h"
#include "checker/target.h"
#include "language_server/findings.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

namespace Lsp {

// What an open script defines and asks of the scripts loaded with it, summed
// over the lines Findings keeps (a body named by its opening line, plus one), and
// its lines where a name used twice is not told (TW333 silenced there).
struct OpenLoads
{
    LoadOrderRules::Uses uses;
    QSet<int> clashSilenced;
};
OpenLoads openLoads(const Findings &findings);

// What today's servers decide as they load an open script from the top
// (LoadOrderRules): a function called by name defined only further down, a
// duplicate whose source comes later, an NPC name used twice, another NPC's
// private function called. Judged over the lines Findings keeps, so it costs what
// the script defines, not its length. A function `definedElsewhere` says another
// script defines may be loaded before it: its calls are not judged.
QHash<int, Diagnostics> loadFindings(const Findings &findings, const Target &target,
                                     const std::function<bool(const QString &)> &definedElsewhere);

} // namespace Lsp
