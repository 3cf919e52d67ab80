#include "check_tool/gcc_format.h"

#include "check_tool/report_place.h"

namespace GccFormat {

QString formatDiagnostic(const QString &fileName, const Diagnostic &diagnostic, QStringView lineText)
{
    const QString severity =
        diagnostic.severity == Diagnostic::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
    const ReportPlace::Span span = ReportPlace::of(diagnostic, lineText);
    return QStringLiteral("%1:%2:%3: %4: %5 [%6]")
        .arg(fileName, QString::number(span.line), QString::number(span.column), severity, diagnostic.message,
             diagnostic.code);
}

QString formatRelated(const QString &fileName, const Diagnostic::Related &related, QStringView lineText)
{
    const ReportPlace::Span span = ReportPlace::of(related.line, related.column, related.length, lineText);
    return QStringLiteral("%1:%2:%3: note: %4")
        .arg(fileName, QString::number(span.line), QString::number(span.column), related.message);
}

QString report(const CheckReport::FileResult &file, int *errors)
{
    QString text;
    int count = 0;
    for (const Diagnostic &diagnostic : file.diagnostics) {
        text += formatDiagnostic(file.fileName, diagnostic, file.lines.value(diagnostic.line)) + u'\n';
        for (const Diagnostic::Related &related : diagnostic.related)
            text += formatRelated(file.fileName, related, file.lines.value(related.line)) + u'\n';
        if (diagnostic.severity == Diagnostic::Severity::Error)
            ++count;
    }
    if (errors)
        *errors = count;
    return text;
}

} // namespace GccFormat
