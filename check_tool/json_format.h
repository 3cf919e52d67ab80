#pragma once

#include "check_tool/check_report.h"

#include <QByteArray>
#include <QVector>

// The report as one JSON array for scripts to read: an object per finding with
// its file, line, column, end, severity, code, message, related places and sure
// fixes. Lines and columns as ReportPlace counts them.
namespace JsonFormat {

QByteArray report(const QVector<CheckReport::FileResult> &files);

} // namespace JsonFormat
