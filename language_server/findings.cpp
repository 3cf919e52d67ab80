#include "language_server/findings.h"

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

void Findings::update(const ScriptCheck &check, const TextDocument::Edit &edit)
{
    const auto from = std::lower_bound(lines_.begin(), lines_.end(), edit.first, byNumber);
    const auto to = std::lower_bound(from, lines_.end(), edit.first + edit.removed, byNumber);
    const auto after = lines_.erase(from, to);
    const int shift = edit.added - edit.removed;
    if (shift != 0) {
        for (auto line = after; line != lines_.end(); ++line)
            line->number += shift;
    }
    for (int number = edit.first; number < edit.first + edit.added; ++number)
        refresh(check, number);
    for (int number : edit.alsoChanged)
        refresh(check, number);
}

// Reads line `number` from the check again.
void Findings::refresh(const ScriptCheck &check, int number)
{
    Line line;
    line.number = number;
    line.diagnostics = check.diagnostics(number);
    line.calls = check.callsOn(number);
    line.function = check.functionDefinedOn(number);
    const bool holds = !line.diagnostics.isEmpty() || !line.calls.isEmpty() || !line.function.name.isEmpty();
    const auto place = std::lower_bound(lines_.begin(), lines_.end(), number, byNumber);
    const bool present = place != lines_.end() && place->number == number;
    if (holds && present)
        *place = std::move(line);
    else if (holds)
        lines_.insert(place, std::move(line));
    else if (present)
        lines_.erase(place);
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
