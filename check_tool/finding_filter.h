#pragma once

#include "check_tool/check_report.h"

#include <QSet>
#include <QString>
#include <QVector>

// What the command line asks to leave out of the report.
namespace FindingFilter {

// Drops the findings whose code is in `codes` (upper case): they are not reported
// and do not count as errors, as a directive in the script would have it.
void dropCodes(QVector<CheckReport::FileResult> &files, const QSet<QString> &codes);

// Whether any file still holds an error.
bool hasErrors(const QVector<CheckReport::FileResult> &files);

// Hides the findings below `lowest`; what the exit code says was counted before.
void hideBelow(QVector<CheckReport::FileResult> &files, Diagnostic::Severity lowest);

} // namespace FindingFilter
