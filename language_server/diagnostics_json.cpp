#include "language_server/diagnostics_json.h"

#include "checker/rules.h"
#include "checker/variable_rules.h"

#include <QHash>
#include <QPair>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <vector>

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

// What is judged across files: calls, reads of player variables; and what the
// project leaves out of it or holds otherwise.
struct Judges
{
    const std::function<bool(const QString &)> &defined;
    const VariableJudge &variables;
    const FindingPolicy &policy;
    const QHash<int, Diagnostics> &loads; // what the load order decides, by line
    bool judgesCalls(const Findings::Line &line) const
    {
        return defined && (!line.calls.isEmpty() || !line.byName.isEmpty());
    }
    bool judgesReads(const Findings::Line &line) const { return variables && !line.variables.reads.isEmpty(); }
    bool judgesLoads(const Findings::Line &line) const { return !line.loads.isEmpty() && loads.contains(line.number); }
    bool judgesAny(const Findings::Line &line) const
    {
        return judgesCalls(line) || judgesReads(line) || judgesLoads(line);
    }
};

// Whether what is published for the line names no other line and holds nothing
// but what the checker keeps, so that its JSON may be kept while the line moves.
bool keepsItsJson(const Findings::Line &line, const Judges &judges)
{
    return !judges.judgesAny(line) &&
           std::none_of(line.diagnostics.cbegin(), line.diagnostics.cend(), [](const Diagnostic &diagnostic) {
               return pairs(diagnostic) || !diagnostic.related.isEmpty();
           });
}

// The warnings across files on one line: calls of functions defined nowhere, reads
// of player variables set nowhere.
void judgeAcross(const Findings::Line &line, const Judges &judges, Diagnostics &diagnostics)
{
    if (judges.judgesCalls(line)) {
        for (const CallfuncSite &call : line.calls) {
            if (!judges.defined(call.name))
                diagnostics.append(
                    Rules::make(Rule::UndefinedFunction, line.number, call.column, call.length, {call.name}));
        }
        // A name another file of the workspace defines is a function called by name.
        diagnostics.erase(std::remove_if(diagnostics.begin(), diagnostics.end(),
                                         [&](const Diagnostic &d) {
                                             return d.rule == Rule::UnknownFunctionByName &&
                                                    std::any_of(line.byName.cbegin(), line.byName.cend(),
                                                                [&](const CallfuncSite &call) {
                                                                    return call.column == d.column &&
                                                                           judges.defined(call.name);
                                                                });
                                         }),
                          diagnostics.end());
    }
    if (judges.judgesReads(line)) {
        for (const ScriptCheck::VariableUse &read : line.variables.reads) {
            if (!judges.variables.isSet(VariableRules::keyOf(read.name)))
                diagnostics.append(VariableRules::neverSet(line.number, read.column, read.length, read.name,
                                                           judges.variables.nearest(read.name)));
        }
    }
    if (judges.judgesLoads(line))
        diagnostics += judges.loads.value(line.number);
    judges.policy.apply(diagnostics);
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
}

// What is published for one line: the checker's diagnostics, the calls and reads
// judged, the pairs pointing at each other.
QVector<PublishedDiagnostic> diagnosticsOf(const Findings::Line &line, const QString &uri, const Partners &partners,
                                           const Judges &judges)
{
    Diagnostics diagnostics = line.diagnostics;
    for (Diagnostic &diagnostic : diagnostics)
        diagnostic.line = line.number;
    if (judges.judgesAny(line))
        judgeAcross(line, judges, diagnostics);
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

// The lines that hold nothing but what they ask of other scripts, and on which the
// load order found something, in line order: found through the findings, which
// are few, never by walking the script's NPCs.
std::vector<const Findings::Line *> loadOnlyLinesFound(const Findings &findings, const QHash<int, Diagnostics> &loads)
{
    std::vector<const Findings::Line *> found;
    for (auto it = loads.cbegin(); it != loads.cend(); ++it) {
        if (const Findings::Line *line = findings.loadOnlyLine(it.key()))
            found.push_back(line);
    }
    std::sort(found.begin(), found.end(),
              [](const Findings::Line *a, const Findings::Line *b) { return a->number < b->number; });
    return found;
}

} // namespace

QVector<PublishedDiagnostic> publishedDiagnostics(const Findings &findings, const QString &uri,
                                                  const std::function<bool(const QString &)> &defined,
                                                  const VariableJudge &variables, const QHash<int, Diagnostics> &loads)
{
    const Partners partners = partnersOf(findings);
    const Judges judges{defined, variables, findings.policy(), loads};
    QVector<PublishedDiagnostic> published;
    for (const Findings::Line &line : findings.lines())
        published += diagnosticsOf(line, uri, partners, judges);
    const std::vector<const Findings::Line *> loadOnly = loadOnlyLinesFound(findings, loads);
    for (const Findings::Line *line : loadOnly)
        published += diagnosticsOf(*line, uri, partners, judges);
    if (!loadOnly.empty())
        std::stable_sort(published.begin(), published.end(),
                         [](const PublishedDiagnostic &a, const PublishedDiagnostic &b) {
                             return a.range.start.line < b.range.start.line;
                         });
    return published;
}

namespace {

int digitsOf(int number)
{
    int digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

// Writes bytes up to `end`, and no further.
struct Writer
{
    char *at;
    char *end;
    void put(const char *bytes, qsizetype count)
    {
        count = std::min(count, qsizetype(end - at));
        std::memcpy(at, bytes, size_t(count));
        at += count;
    }
};

// A line's pieces with its number, to be written between them.
struct Numbered
{
    const QByteArrayList *pieces;
    int number;
};

} // namespace

QByteArray publishMessage(const Findings &findings, const QString &uri, int version,
                          const std::function<bool(const QString &)> &defined, const VariableJudge &variables,
                          const QHash<int, Diagnostics> &loads)
{
    const Partners partners = partnersOf(findings);
    const Judges judges{defined, variables, findings.policy(), loads};
    const std::function<bool(const QString &)> noFunctions;
    const VariableJudge noVariables;
    const QHash<int, Diagnostics> noLoads;
    const Judges none{noFunctions, noVariables, findings.policy(), noLoads};
    std::deque<QByteArrayList> judged; // the pieces of lines not kept, as long as the message is written
    std::vector<Numbered> lines;
    qsizetype size = 0;
    for (const Findings::Line &line : findings.lines()) {
        if (line.diagnostics.isEmpty() && !judges.judgesAny(line))
            continue;
        const QByteArrayList *pieces = &line.json;
        if (!keepsItsJson(line, judges)) {
            judged.push_back(writeCutAtLine(diagnosticsOf(line, uri, partners, judges)));
            pieces = &judged.back();
        } else if (line.json.isEmpty()) {
            line.json = writeCutAtLine(diagnosticsOf(line, uri, partners, none));
        }
        if (pieces->size() < 2)
            continue; // nothing on the line
        size += (lines.empty() ? 0 : 1) + (pieces->size() - 1) * digitsOf(line.number);
        for (const QByteArray &piece : *pieces)
            size += piece.size();
        lines.push_back({pieces, line.number});
    }
    const std::vector<const Findings::Line *> loadOnly = loadOnlyLinesFound(findings, loads);
    for (const Findings::Line *line : loadOnly) {
        judged.push_back(writeCutAtLine(diagnosticsOf(*line, uri, partners, judges)));
        const QByteArrayList *pieces = &judged.back();
        if (pieces->size() < 2)
            continue;
        size += (lines.empty() ? 0 : 1) + (pieces->size() - 1) * digitsOf(line->number);
        for (const QByteArray &piece : *pieces)
            size += piece.size();
        lines.push_back({pieces, line->number});
    }
    if (!loadOnly.empty())
        std::stable_sort(lines.begin(), lines.end(), [](const Numbered &a, const Numbered &b) { return a.number < b.number; });
    return framedPublishDiagnostics(uri, version, size, [&lines, size](char *items) {
        Writer out{items, items + size};
        for (const Numbered &line : lines) {
            if (&line != &lines.front())
                out.put(",", 1);
            char number[12];
            const qsizetype digits = std::to_chars(number, number + sizeof number, line.number).ptr - number;
            for (qsizetype i = 0; i < line.pieces->size(); ++i) {
                if (i > 0)
                    out.put(number, digits);
                out.put(line.pieces->at(i).constData(), line.pieces->at(i).size());
            }
        }
        return qsizetype(out.at - items);
    });
}

} // namespace Lsp
