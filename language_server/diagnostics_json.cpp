#include "language_server/diagnostics_json.h"

#include "checker/rules.h"

#include <QHash>
#include <QPair>

#include <algorithm>

namespace Lsp {

namespace {

bool pairs(const Diagnostic &diagnostic)
{
    return diagnostic.rule == Rule::UnclosedBody || diagnostic.rule == Rule::BodyRunsIntoDefinition;
}

using Partners = QHash<QPair<int, int>, Diagnostic>; // by line and rule

// A body's "{" never closed, and the definition line its body runs into: each
// points at the other.
Partners partnersOf(const Findings &findings)
{
    Partners partners;
    std::optional<Diagnostic> unclosed;
    for (const Findings::Line &line : findings.lines()) {
        for (const Diagnostic &found : line.diagnostics) {
            if (!pairs(found))
                continue;
            Diagnostic diagnostic = found;
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
    return partners;
}

// Whether what is published for the line names no other line and holds nothing
// but what the checker keeps, so that its JSON may be kept while the line moves.
bool keepsItsJson(const Findings::Line &line, bool judged)
{
    return !(judged && !line.calls.isEmpty()) &&
           std::none_of(line.diagnostics.cbegin(), line.diagnostics.cend(), [](const Diagnostic &diagnostic) {
               return pairs(diagnostic) || !diagnostic.related.isEmpty();
           });
}

// What is published for one line: the checker's diagnostics, the calls judged,
// the pairs pointing at each other.
QVector<PublishedDiagnostic> diagnosticsOf(const Findings::Line &line, const QString &uri, const Partners &partners,
                                           const std::function<bool(const QString &)> &defined)
{
    Diagnostics diagnostics = line.diagnostics;
    for (Diagnostic &diagnostic : diagnostics)
        diagnostic.line = line.number;
    if (defined && !line.calls.isEmpty()) {
        for (const LabelRules::LabelUse &call : line.calls) {
            if (!defined(call.label))
                diagnostics.append(
                    Rules::make(Rule::UndefinedFunction, line.number, call.column, call.length, {call.label}));
        }
        std::stable_sort(diagnostics.begin(), diagnostics.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
    }
    QVector<PublishedDiagnostic> published;
    for (const Diagnostic &diagnostic : std::as_const(diagnostics)) {
        published.append(PublishedDiagnostic::of(diagnostic, uri));
        const auto partner = partners.constFind({diagnostic.line, int(diagnostic.rule)});
        if (partner != partners.cend() && diagnostic.related.isEmpty())
            published.back().relatedInformation.append(
                {Location{uri, Range::onLine(partner->line, partner->column, partner->length)}, partner->message});
    }
    return published;
}

} // namespace

QVector<PublishedDiagnostic> publishedDiagnostics(const Findings &findings, const QString &uri,
                                                  const std::function<bool(const QString &)> &defined)
{
    const Partners partners = partnersOf(findings);
    QVector<PublishedDiagnostic> published;
    for (const Findings::Line &line : findings.lines())
        published += diagnosticsOf(line, uri, partners, defined);
    return published;
}

QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined)
{
    const Partners partners = partnersOf(findings);
    QByteArray items;
    const auto append = [&items](const QByteArrayList &pieces, const QByteArray &number) {
        if (pieces.size() < 2)
            return; // nothing on the line
        if (!items.isEmpty())
            items += ',';
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                items += number;
            items += pieces.at(i);
        }
    };
    for (const Findings::Line &line : findings.lines()) {
        if (line.diagnostics.isEmpty() && !(defined && !line.calls.isEmpty()))
            continue;
        const QByteArray number = QByteArray::number(line.number);
        if (keepsItsJson(line, bool(defined))) {
            if (line.json.isEmpty())
                line.json = writeCutAtLine(diagnosticsOf(line, uri, partners, {}));
            append(line.json, number);
        } else {
            append(writeCutAtLine(diagnosticsOf(line, uri, partners, defined)), number);
        }
    }
    return frame(publishDiagnosticsContent(uri, version, items));
}

} // namespace Lsp
