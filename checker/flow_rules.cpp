#include "checker/flow_rules.h"

#include "checker/rules.h"

namespace FlowRules {

Step step(const State &before, const LineFacts &line, quint64 lineId)
{
    Step step;
    step.after = before;
    const auto report = [&](Rule rule) {
        step.found.append(Rules::make(rule, 0, line.anchorColumn, line.anchorLength));
    };
    if (startsNpc(line)) {
        step.endsNpc = true;
        if (before.menu)
            step.menuEnd = MenuEnd::NotClosed;
        step.after = State{lineId, line.opensBlock, 0};
        return step;
    }
    if (line.kind == LineKind::Blank)
        return step;
    if (before.menu) {
        if (line.kind == LineKind::Continuation) {
            // A choice line that does not end the menu takes over its end: a
            // missing ";" belongs after its last choice, not on the earlier line.
            step.menuEnd = MenuEnd::Closed;
            step.after.menu = line.endsStatement ? 0 : lineId;
            return step;
        }
        step.menuEnd = MenuEnd::NotClosed;
        step.after.menu = 0;
    }
    switch (line.kind) {
    case LineKind::CloseBrace:
        if (step.after.open)
            step.after.open = false;
        else
            report(Rule::StrayCloseBrace);
        break;
    case LineKind::LabelDefinition:
        if (!step.after.open)
            report(Rule::OutsideBlock);
        break;
    case LineKind::Statement:
        if (!step.after.open)
            report(Rule::OutsideBlock);
        if (line.menu && !line.endsStatement)
            step.after.menu = lineId;
        break;
    case LineKind::Continuation:
        report(Rule::StrayContinuation);
        break;
    default:
        break;
    }
    return step;
}

Diagnostic menuNotClosed(const LineFacts &menuLine)
{
    return Rules::make(Rule::MenuNotClosed, 0, menuLine.endColumn, 1);
}

Diagnostic blockNotClosed(const LineFacts &headerLine)
{
    return Rules::make(Rule::UnclosedBlock, 0, headerLine.anchorColumn, headerLine.anchorLength);
}

} // namespace FlowRules
