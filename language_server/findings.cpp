#include "language_server/findings.h"

#include "checker/rules.h"

#include <algorithm>

namespace Lsp {

namespace {

auto byNumber = [](const Findings::Line &line, int number) { return line.number < number; };

} // namespace

Findings::Findings(const ScriptCheck &check)
{
    for (int number = 0; number < check.lineCount(); ++number)
        refresh(check, number);
}

bool Findings::update(const ScriptCheck &check, const TextDocument::Edit &edit)
{
    const auto from = std::lower_bound(lines_.begin(), lines_.end(), edit.first, byNumber);
    const auto to = std::lower_bound(from, lines_.end(), edit.first + edit.removed, byNumber);
    bool functions = std::any_of(from, to, [](const Line &line) { return !line.function.name.isEmpty(); });
    const auto after = lines_.erase(from, to);
    const int shift = edit.added - edit.removed;
    if (shift != 0) {
        for (auto line = after; line != lines_.end(); ++line)
            line->number += shift;
    }
    for (int number = edit.first; number < edit.first + edit.added; ++number)
        functions = refresh(check, number) || functions;
    for (int number : edit.alsoChanged)
        functions = refresh(check, number) || functions;
    return functions;
}

// Reads line `number` from the check again; true when it defines a function, or did.
bool Findings::refresh(const ScriptCheck &check, int number)
{
    Line line;
    line.number = number;
    line.diagnostics = check.diagnostics(number);
    // A call whose warning a directive silences is judged no further.
    static const QString undefinedFunction = Rules::code(Rule::UndefinedFunction);
    if (!check.silenced(number, undefinedFunction))
        line.calls = check.callsOn(number);
    line.function = check.functionDefinedOn(number);
    const bool holds = !line.diagnostics.isEmpty() || !line.calls.isEmpty() || !line.function.name.isEmpty();
    const auto place = std::lower_bound(lines_.begin(), lines_.end(), number, byNumber);
    const bool present = place != lines_.end() && place->number == number;
    const bool function = !line.function.name.isEmpty() || (present && !place->function.name.isEmpty());
    if (holds && present)
        *place = std::move(line);
    else if (holds)
        lines_.insert(place, std::move(line));
    else if (present)
        lines_.erase(place);
    return function;
}

QSet<QString> Findings::functionNames() const
{
    QSet<QString> names;
    for (const Line &line : lines_) {
        if (!line.function.name.isEmpty())
            names.insert(line.function.name);
    }
    return names;
}

} // namespace Lsp
