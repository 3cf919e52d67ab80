#include "check_tool/sarif_format.h"

#include "check_tool/report_place.h"
#include "checker/explanations.h"
#include "checker/rules.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace SarifFormat {

namespace {

QJsonObject text(const QString &text)
{
    return QJsonObject{{QStringLiteral("text"), text}};
}

QString level(Diagnostic::Severity severity)
{
    return severity == Diagnostic::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

// A relative path stays relative (to where the tool ran); an absolute one becomes
// a file URI. Either way spaces and Japanese names are percent-encoded.
QString artifactUri(const QString &path)
{
    const QString portable = QDir::fromNativeSeparators(path);
    if (QDir::isAbsolutePath(portable))
        return QUrl::fromLocalFile(portable).toString(QUrl::FullyEncoded);
    return QString::fromLatin1(QUrl::toPercentEncoding(portable, "/"));
}

QJsonObject region(const QStringList &lines, int line, int column, int length)
{
    const ReportPlace::Span span = ReportPlace::of(line, column, length, lines.value(line));
    return QJsonObject{{QStringLiteral("startLine"), span.line},
                       {QStringLiteral("startColumn"), span.column},
                       {QStringLiteral("endLine"), span.line},
                       {QStringLiteral("endColumn"), span.endColumn}};
}

QJsonObject physicalLocation(const CheckReport::FileResult &file, int line, int column, int length)
{
    return QJsonObject{{QStringLiteral("physicalLocation"),
                        QJsonObject{{QStringLiteral("artifactLocation"),
                                     QJsonObject{{QStringLiteral("uri"), artifactUri(file.fileName)}}},
                                    {QStringLiteral("region"), region(file.lines, line, column, length)}}}};
}

QJsonArray rules()
{
    QJsonArray array;
    for (const Rules::Row *row = Rules::begin(); row != Rules::end(); ++row) {
        const Explanations::Explanation *explanation = Explanations::find(row->rule);
        QJsonObject rule{
            {QStringLiteral("id"), QString::fromUtf16(row->code)},
            {QStringLiteral("shortDescription"), text(QString::fromUtf16(row->summary))},
            {QStringLiteral("defaultConfiguration"), QJsonObject{{QStringLiteral("level"), level(row->severity)}}}};
        if (explanation) {
            rule.insert(QStringLiteral("fullDescription"), text(QString::fromUtf16(explanation->meaning)));
            rule.insert(QStringLiteral("help"), text(Explanations::text(row->rule)));
        }
        array.append(rule);
    }
    return array;
}

QJsonArray fixes(const CheckReport::FileResult &file, const Diagnostic &diagnostic)
{
    QJsonArray array;
    for (const Diagnostic::Fix &fix : diagnostic.fixes) {
        QJsonArray replacements;
        for (const Diagnostic::Edit &edit : fix.edits) {
            replacements.append(QJsonObject{
                {QStringLiteral("deletedRegion"), region(file.lines, diagnostic.line, edit.column, edit.length)},
                {QStringLiteral("insertedContent"), text(edit.text)}});
        }
        const QJsonObject change{
            {QStringLiteral("artifactLocation"), QJsonObject{{QStringLiteral("uri"), artifactUri(file.fileName)}}},
            {QStringLiteral("replacements"), replacements}};
        array.append(QJsonObject{{QStringLiteral("description"), text(fix.title)},
                                 {QStringLiteral("artifactChanges"), QJsonArray{change}}});
    }
    return array;
}

QJsonObject result(const CheckReport::FileResult &file, const Diagnostic &diagnostic)
{
    QJsonObject object{{QStringLiteral("ruleId"), diagnostic.code},
                       {QStringLiteral("ruleIndex"), int(Rules::find(diagnostic.code) - Rules::begin())},
                       {QStringLiteral("level"), level(diagnostic.severity)},
                       {QStringLiteral("message"), text(diagnostic.message)},
                       {QStringLiteral("locations"),
                        QJsonArray{physicalLocation(file, diagnostic.line, diagnostic.column, diagnostic.length)}}};
    QJsonArray related;
    for (const Diagnostic::Related &other : diagnostic.related) {
        QJsonObject location = physicalLocation(file, other.line, other.column, other.length);
        location.insert(QStringLiteral("id"), int(related.size()));
        location.insert(QStringLiteral("message"), text(other.message));
        related.append(location);
    }
    if (!related.isEmpty())
        object.insert(QStringLiteral("relatedLocations"), related);
    const QJsonArray sureFixes = fixes(file, diagnostic);
    if (!sureFixes.isEmpty())
        object.insert(QStringLiteral("fixes"), sureFixes);
    return object;
}

QJsonObject invocation(const QStringList &failures)
{
    QJsonArray notifications;
    for (const QString &failure : failures) {
        notifications.append(QJsonObject{{QStringLiteral("level"), QStringLiteral("error")},
                                         {QStringLiteral("message"), text(failure)}});
    }
    QJsonObject object{{QStringLiteral("executionSuccessful"), failures.isEmpty()}};
    if (!notifications.isEmpty())
        object.insert(QStringLiteral("toolExecutionNotifications"), notifications);
    return object;
}

} // namespace

QByteArray report(const QVector<CheckReport::FileResult> &files, const QStringList &failures, const QString &version)
{
    QJsonArray results;
    for (const CheckReport::FileResult &file : files) {
        for (const Diagnostic &diagnostic : file.diagnostics) {
            if (Rules::find(diagnostic.code))
                results.append(result(file, diagnostic));
        }
    }
    const QJsonObject driver{{QStringLiteral("name"), QStringLiteral("talewick-check")},
                             {QStringLiteral("version"), version},
                             {QStringLiteral("rules"), rules()}};
    const QJsonObject run{{QStringLiteral("tool"), QJsonObject{{QStringLiteral("driver"), driver}}},
                          {QStringLiteral("columnKind"), QStringLiteral("unicodeCodePoints")},
                          {QStringLiteral("invocations"), QJsonArray{invocation(failures)}},
                          {QStringLiteral("results"), results}};
    const QJsonObject log{
        {QStringLiteral("$schema"),
         QStringLiteral("https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json")},
        {QStringLiteral("version"), QStringLiteral("2.1.0")},
        {QStringLiteral("runs"), QJsonArray{run}}};
    return QJsonDocument(log).toJson(QJsonDocument::Indented);
}

} // namespace SarifFormat
