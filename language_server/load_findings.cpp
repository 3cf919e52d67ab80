#include "language_server/load_findings.h"

#include "checker/load_order_rules.h"
#include "checker/rules.h"

#include <algorithm>

namespace Lsp {

namespace {

// The uses of one kept line, placed at its number now.
void place(const Findings::Line &line, quint64 &body, LoadOrderRules::Uses &into)
{
    LoadOrderRules::Uses placed = LoadOrderRules::placedAt(line.loads, line.number, body);
    // A call whose name stands on a later line of its statement would be shown on
    // the statement's line: such calls are left to talewick-check.
    placed.npcCalls.erase(std::remove_if(placed.npcCalls.begin(), placed.npcCalls.end(),
                                         [&](const auto &call) { return call.line != line.number; }),
                          placed.npcCalls.end());
    into.append(placed);
}

} // namespace

OpenLoads openLoads(const Findings &findings)
{
    OpenLoads loads;
    quint64 body = 0;
    findings.forEachWithLoads([&](const Findings::Line &line) {
        place(line, body, loads.uses);
        if (line.nameClashSilenced)
            loads.clashSilenced.insert(line.number);
    });
    return loads;
}

QHash<int, Diagnostics> loadFindings(const Findings &findings, const Target &target,
                                     const std::function<bool(const QString &)> &definedElsewhere)
{
    LoadOrderRules::File file;
    file.target = target;
    OpenLoads loads = openLoads(findings);
    file.uses = std::move(loads.uses);
    QHash<int, Diagnostics> byLine;
    if (file.uses.isEmpty())
        return byLine;
    QVector<LoadOrderRules::Use> &calls = file.uses.callsByName;
    if (definedElsewhere)
        calls.erase(std::remove_if(calls.begin(), calls.end(),
                                   [&](const LoadOrderRules::Use &call) { return definedElsewhere(call.name); }),
                    calls.end());
    LoadOrderRules::World world;
    world.files.push_back(&file);
    Diagnostics found = LoadOrderRules::judge(world).front();
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const Diagnostic &d) {
                                   return d.rule == Rule::UniqueNameTaken && loads.clashSilenced.contains(d.line);
                               }),
                found.end());
    for (Diagnostic &d : found)
        byLine[d.line].append(std::move(d));
    return byLine;
}

} // namespace Lsp
