#include "language_server/diagnostics_json.h"

#include "checker/rules.h"
#include "language_server/protocol.h"

#include <QHash>
#include <QJsonDocument>
#include <QPair>

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

namespace {

// Written where a diagnostic's line number goes, so that a line's JSON is made
// once and its number put in as the line moves.
constexpr int kLineMark = -7777777;
const QByteArray kLineField = QByteArrayLiteral("\"line\":-7777777");

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The JSON of a line's diagnostics, cut where the line number goes.
QByteArrayList piecesOf(const Diagnostics &diagnostics)
{
    QByteArray joined;
    for (Diagnostic diagnostic : diagnostics) {
        diagnostic.line = kLineMark;
        if (!joined.isEmpty())
            joined += ',';
        joined += compact(diagnosticJson(diagnostic));
    }
    QByteArrayList pieces;
    qsizetype from = 0;
    for (qsizetype at = joined.indexOf(kLineField); at >= 0; at = joined.indexOf(kLineField, from)) {
        pieces.append(joined.mid(from, at - from) + "\"line\":");
        from = at + kLineField.size();
    }
    pieces.append(joined.mid(from));
    return pieces;
}

// `text` as a JSON string, quotes included.
QByteArray jsonString(const QString &text)
{
    return compact(QJsonObject{{QLatin1String("s"), text}}).sliced(5).chopped(1); // {"s":...}
}

bool pairs(const Diagnostic &diagnostic)
{
    return diagnostic.rule == Rule::UnclosedBody || diagnostic.rule == Rule::BodyRunsIntoDefinition;
}

} // namespace

QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined)
{
    // A body's "{" never closed, and the definition line its body runs into: each
    // points at the other.
    QHash<QPair<int, int>, Diagnostic> partners; // by line and rule
    std::optional<Diagnostic> unclosed;
    for (const Findings::Line &line : findings.lines()) {
        for (Diagnostic diagnostic : line.diagnostics) {
            if (!pairs(diagnostic))
                continue;
            diagnostic.line = line.number;
            if (diagnostic.rule == Rule::UnclosedBody) {
                unclosed = diagnostic;
            } else if (unclosed) {
                partners.insert({diagnostic.line, int(diagnostic.rule)}, *unclosed);
                partners.insert({unclosed->line, int(unclosed->rule)}, diagnostic);
                unclosed.reset();
            }
        }
    }
    QByteArray items;
    for (const Findings::Line &line : findings.lines()) {
        const bool judged = defined && !line.calls.isEmpty();
        const bool paired = std::any_of(line.diagnostics.cbegin(), line.diagnostics.cend(), pairs);
        if (!judged && !paired) {
            if (line.diagnostics.isEmpty())
                continue;
            if (line.json.isEmpty())
                line.json = piecesOf(line.diagnostics);
            if (!items.isEmpty())
                items += ',';
            items += line.json.join(QByteArray::number(line.number));
            continue;
        }
        Diagnostics diagnostics = line.diagnostics;
        for (Diagnostic &diagnostic : diagnostics)
            diagnostic.line = line.number;
        if (judged) {
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
            const auto partner = partners.constFind({diagnostic.line, int(diagnostic.rule)});
            if (partner != partners.cend())
                object.insert(QLatin1String("relatedInformation"), QJsonArray{related(uri, *partner)});
            if (!items.isEmpty())
                items += ',';
            items += compact(object);
        }
    }
    const QByteArray content =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":" + jsonString(uri) +
        ",\"version\":" + QByteArray::number(version) + ",\"diagnostics\":[" + items + "]}}";
    return frame(content);
}

} // namespace Lsp
