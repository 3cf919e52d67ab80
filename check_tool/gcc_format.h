#pragma once

#include "check_tool/check_report.h"

#include <QString>
#include <QStringView>

// The report as compilers print theirs, which editors and CI logs link to:
// "FILE:LINE:COLUMN: severity: message [TW104]", one finding a line, each of its
// related places after it as "FILE:LINE:COLUMN: note: message".
namespace GccFormat {

// One finding's line, without its line end.
QString formatDiagnostic(const QString &fileName, const Diagnostic &diagnostic, QStringView lineText);

// One related place's line, without its line end.
QString formatRelated(const QString &fileName, const Diagnostic::Related &related, QStringView lineText);

// The lines of one file, and how many errors they hold.
QString report(const CheckReport::FileResult &file, int *errors = nullptr);

} // namespace GccFormat
