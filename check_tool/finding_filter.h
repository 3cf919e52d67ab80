#pragma once

#include "check_tool/check_report.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

// What the command line asks to leave out of the report.
namespace FindingFilter {

// Drops the findings whose code is in `codes` (upper case): they are not reported
// and do not count as errors, as a directive in the script would have it.
void dropCodes(QVector<CheckReport::FileResult> &files, const QSet<QString> &codes);

// The same for one file.
void dropCodes(CheckReport::FileResult &file, const QSet<QString> &codes);

// Gives the findings of each code in `severities` (upper case) that severity: a
// project may hold a warning to be an error, or the other way round.
void setSeverities(CheckReport::FileResult &file, const QHash<QString, Diagnostic::Severity> &severities);

// Whether any file still holds an error.
bool hasErrors(const QVector<CheckReport::FileResult> &files);

// Hides the findings below `lowest`; what the exit code says was counted before.
void hideBelow(QVector<CheckReport::FileResult> &files, Diagnostic::Severity lowest);

} // namespace FindingFilter
