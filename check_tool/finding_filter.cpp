#include "check_tool/finding_filter.h"

#include <algorithm>

namespace FindingFilter {

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
