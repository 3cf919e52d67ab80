#pragma once

#include "check_tool/check_report.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

// The report in SARIF 2.1.0, which code-scanning services read: one run whose
// tool lists every rule (its summary, meaning and page), one result per finding
// with its related places and sure fixes. Columns count characters.
namespace SarifFormat {

// `failures` are the files that could not be read; they make the run unsuccessful.
QByteArray report(const QVector<CheckReport::FileResult> &files, const QStringList &failures, const QString &version);

} // namespace SarifFormat
