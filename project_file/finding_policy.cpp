#include "project_file/finding_policy.h"

FindingPolicy FindingPolicy::of(const ProjectFile::Settings &file)
{
    return FindingPolicy{file.disabled, file.severities};
}

void FindingPolicy::apply(Diagnostics &diagnostics) const
{
    if (!disabled.isEmpty())
        diagnostics.removeIf([&](const Diagnostic &d) { return disabled.contains(d.code); });
    if (severities.isEmpty())
        return;
    for (Diagnostic &diagnostic : diagnostics) {
        const auto given = severities.constFind(diagnostic.code);
        if (given != severities.cend())
            diagnostic.severity = *given;
    }
}
