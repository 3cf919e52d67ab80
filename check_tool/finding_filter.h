#pragma once

#include "check_tool/check_report.h"

#include <QVector>

// What the command line asks to leave out of the report. The codes a project
// disables and the severities it gives are FindingPolicy's, which the language
// server and the editor apply alike.
namespace FindingFilter {

// Whether any file still holds an error.
bool hasErrors(const QVector<CheckReport::FileResult> &files);

// Hides the findings below `lowest`; what the exit code says was counted before.
void hideBelow(QVector<CheckReport::FileResult> &files, Diagnostic::Severity lowest);

} // namespace FindingFilter
