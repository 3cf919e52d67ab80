#include "language_server/diagnostics_json.h"

#include "checker/rules.h"
#include "language_server/protocol.h"

#include <algorithm>
#include <optional>

namespace Lsp {

namespace {

constexpr int kError = 1;
constexpr int kWarning = 2;

QJsonObject related(const QString &uri, const Diagnostic &other)
{
    return QJsonObject{{QLatin1String("location"), location(uri, other.line, other.column, other.length)},
                       {QLatin1String("message"), other.message}};
}

} // namespace

QJsonObject diagnosticJson(const Diagnostic &diagnostic)
{
    return QJsonObject{
        {QLatin1String("range"), range(diagnostic.line, diagnostic.column, diagnostic.length)},
        {QLatin1String("severity"), diagnostic.severity == Diagnostic::Severity::Error ? kError : kWarning},
        {QLatin1String("code"), diagnostic.code},
        {QLatin1String("source"), QLatin1String("talewick")},
        {QLatin1String("message"), diagnostic.message}};
}

QJsonArray diagnosticsJson(const Findings &findings, const QString &uri,
                           const std::function<bool(const QString &)> &defined)
{
    QJsonArray all;
    // The open body's "{", waiting for the definition line its body runs into.
    std::optional<Diagnostic> unclosed;
    qsizetype unclosedAt = -1;
    for (const Findings::Line &line : findings.lines()) {
        // The line's number moves with edits above it; the diagnostics keep the one they were found on.
        Diagnostics diagnostics = line.diagnostics;
        for (Diagnostic &diagnostic : diagnostics)
            diagnostic.line = line.number;
        if (defined) {
            for (const LabelRules::LabelUse &call : line.calls) {
                if (!defined(call.label))
                    diagnostics.append(
                        Rules::make(Rule::UndefinedFunction, line.number, call.column, call.length, {call.label}));
            }
            std::stable_sort(diagnostics.begin(), diagnostics.end(),
                             [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
        }
        for (const Diagnostic &diagnostic : std::as_const(diagnostics)) {
            QJsonObject object = diagnosticJson(diagnostic);
            if (diagnostic.rule == Rule::BodyRunsIntoDefinition && unclosed) {
                object.insert(QLatin1String("relatedInformation"), QJsonArray{related(uri, *unclosed)});
                QJsonObject opening = all.at(unclosedAt).toObject();
                opening.insert(QLatin1String("relatedInformation"), QJsonArray{related(uri, diagnostic)});
                all.replace(unclosedAt, opening);
                unclosed.reset();
            }
            if (diagnostic.rule == Rule::UnclosedBody) {
                unclosed = diagnostic;
                unclosedAt = all.size();
            }
            all.append(object);
        }
    }
    return all;
}

} // namespace Lsp
