#include "check_tool/json_format.h"

#include "check_tool/report_place.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace JsonFormat {

namespace {

QJsonObject place(const QString &fileName, const QStringList &lines, int line, int column, int length)
{
    const ReportPlace::Span span = ReportPlace::of(line, column, length, lines.value(line));
    return QJsonObject{{QStringLiteral("file"), fileName},
                       {QStringLiteral("line"), span.line},
                       {QStringLiteral("column"), span.column},
                       {QStringLiteral("end"),
                        QJsonObject{{QStringLiteral("line"), span.line}, {QStringLiteral("column"), span.endColumn}}}};
}

QJsonArray fixes(const Diagnostic &diagnostic, const QStringList &lines)
{
    QJsonArray array;
    for (const Diagnostic::Fix &fix : diagnostic.fixes) {
        QJsonArray edits;
        for (const Diagnostic::Edit &edit : fix.edits) {
            QJsonObject object = place(QString(), lines, diagnostic.line, edit.column, edit.length);
            object.remove(QStringLiteral("file"));
            object.insert(QStringLiteral("text"), edit.text);
            edits.append(object);
        }
        array.append(QJsonObject{{QStringLiteral("title"), fix.title}, {QStringLiteral("edits"), edits}});
    }
    return array;
}

QJsonObject finding(const CheckReport::FileResult &file, const Diagnostic &diagnostic)
{
    QJsonObject object = place(file.fileName, file.lines, diagnostic.line, diagnostic.column, diagnostic.length);
    object.insert(QStringLiteral("severity"), diagnostic.severity == Diagnostic::Severity::Error
                                                  ? QStringLiteral("error")
                                                  : QStringLiteral("warning"));
    object.insert(QStringLiteral("code"), diagnostic.code);
    object.insert(QStringLiteral("message"), diagnostic.message);
    QJsonArray related;
    for (const Diagnostic::Related &other : diagnostic.related) {
        QJsonObject relatedPlace = place(file.fileName, file.lines, other.line, other.column, other.length);
        relatedPlace.insert(QStringLiteral("message"), other.message);
        related.append(relatedPlace);
    }
    object.insert(QStringLiteral("related"), related);
    object.insert(QStringLiteral("fixes"), fixes(diagnostic, file.lines));
    return object;
}

} // namespace

QByteArray report(const QVector<CheckReport::FileResult> &files)
{
    QJsonArray findings;
    for (const CheckReport::FileResult &file : files) {
        for (const Diagnostic &diagnostic : file.diagnostics)
            findings.append(finding(file, diagnostic));
    }
    return QJsonDocument(findings).toJson(QJsonDocument::Indented);
}

} // namespace JsonFormat
