#pragma once

#include "checker/diagnostic.h"

#include <QStringView>

// Where a finding stands as every report format counts it: lines and columns from
// 1, columns in characters (a tab counts as one, a surrogate pair too), the end
// column just past the last character.
namespace ReportPlace {

struct Span
{
    int line = 1;
    int column = 1;
    int endColumn = 1;
};

// The span of `length` code units from `column` on line `line` (both from 0) of `lineText`.
Span of(int line, int column, int length, QStringView lineText);

inline Span of(const Diagnostic &diagnostic, QStringView lineText)
{
    return of(diagnostic.line, diagnostic.column, diagnostic.length, lineText);
}

} // namespace ReportPlace
