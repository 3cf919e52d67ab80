#pragma once

#include "checker/diagnostic.h"

#include <QByteArrayView>
#include <QString>

// What talewick-check prints for one script file.
namespace CheckReport {

// Script files larger than this, or with more lines, are refused unchecked: a
// server's scripts are far smaller, and the check keeps every line in memory.
constexpr qint64 kMaxBytes = 16LL * 1024 * 1024;
constexpr qsizetype kMaxLines = 1000000;

struct FileResult
{
    QString report; // one "FILE:LINE:COLUMN: error|warning: message" line per diagnostic
    int errors = 0;
    int warnings = 0;
    QString failure; // set when the file could not be read; nothing was checked
};

// "FILE:LINE:COLUMN: severity: message": line and column count from 1, the column
// in characters, a tab counting as one.
QString formatDiagnostic(const QString &fileName, const Diagnostic &diagnostic, QStringView lineText);

// Checks the code-page-932 bytes of a script named `fileName`; a script of too
// many lines gives a failure.
FileResult checkBytes(const QString &fileName, QByteArrayView bytes);

// Reads and checks the file at `path`; only regular files are read.
FileResult checkFile(const QString &path);

} // namespace CheckReport
