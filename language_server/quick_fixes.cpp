#include "language_server/quick_fixes.h"

#include "checker/rules.h"

namespace Lsp {

namespace {

CodeAction action(const QString &title, const QString &uri, const Diagnostic &diagnostic, QVector<TextEdit> edits)
{
    return CodeAction{title, {PublishedDiagnostic::of(diagnostic, uri)}, WorkspaceEdit{{{uri, std::move(edits)}}}};
}

} // namespace

QVector<CodeAction> fixesOf(const Diagnostic &diagnostic, const QString &uri)
{
    QVector<CodeAction> actions;
    for (const Diagnostic::Fix &fix : diagnostic.fixes) {
        QVector<TextEdit> edits;
        for (const Diagnostic::Edit &edit : fix.edits)
            edits.append({Range::onLine(diagnostic.line, edit.column, edit.length), edit.text});
        actions.append(action(fix.title, uri, diagnostic, std::move(edits)));
    }
    return actions;
}

QVector<CodeAction> quickFixes(const Context &context, const CodeActionParams &params)
{
    const TextDocument &document = context.document(params.uri);
    Position start = document.clamped(params.range.start);
    Position end = document.clamped(params.range.end);
    if (end < start)
        std::swap(start, end);
    QVector<CodeAction> actions;
    for (int line = start.line; line <= end.line; ++line) {
        for (const Diagnostic &diagnostic : document.diagnostics(line))
            actions += fixesOf(diagnostic, params.uri);
    }
    return actions;
}

void Features::register_quick_fixes(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/codeAction"), &quickFixes);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) {
        server.codeActionKinds = QStringList{QStringLiteral("quickfix")};
    });
}

} // namespace Lsp
