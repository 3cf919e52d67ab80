#include "check_tool/finding_filter.h"

#include <algorithm>

namespace FindingFilter {

void dropCodes(QVector<CheckReport::FileResult> &files, const QSet<QString> &codes)
{
    for (CheckReport::FileResult &file : files)
        dropCodes(file, codes);
}

void dropCodes(CheckReport::FileResult &file, const QSet<QString> &codes)
{
    if (!codes.isEmpty())
        file.diagnostics.removeIf([&](const Diagnostic &d) { return codes.contains(d.code); });
}

void setSeverities(CheckReport::FileResult &file, const QHash<QString, Diagnostic::Severity> &severities)
{
    if (severities.isEmpty())
        return;
    for (Diagnostic &diagnostic : file.diagnostics) {
        const auto given = severities.constFind(diagnostic.code);
        if (given != severities.cend())
            diagnostic.severity = *given;
    }
}

bool hasErrors(const QVector<CheckReport::FileResult> &files)
{
    return std::any_of(files.cbegin(), files.cend(), [](const CheckReport::FileResult &file) {
        return std::any_of(file.diagnostics.cbegin(), file.diagnostics.cend(),
                           [](const Diagnostic &d) { return d.severity == Diagnostic::Severity::Error; });
    });
}

void hideBelow(QVector<CheckReport::FileResult> &files, Diagnostic::Severity lowest)
{
    if (lowest == Diagnostic::Severity::Warning)
        return;
    for (CheckReport::FileResult &file : files)
        file.diagnostics.removeIf([&](const Diagnostic &d) { return d.severity < lowest; });
}

} // namespace FindingFilter
