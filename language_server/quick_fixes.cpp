#include "language_server/quick_fixes.h"

#include "checker/rules.h"
#include "language_server/labels.h"

namespace Lsp {

namespace {

CodeAction action(const QString &title, const QString &uri, const Diagnostic &diagnostic, QVector<TextEdit> edits)
{
    return CodeAction{title, {PublishedDiagnostic::of(diagnostic, uri)}, WorkspaceEdit{{{uri, std::move(edits)}}}};
}

// The spelling the jump's label is defined in, when only the case differs.
QString definedSpelling(const ScriptCheck &check, const Diagnostic &diagnostic)
{
    const std::optional<Labels::Site> jump = Labels::at(check, Position{diagnostic.line, diagnostic.column});
    if (!jump || jump->definition)
        return QString();
    QString spelling;
    for (const Labels::Site &site : Labels::inBody(check, jump->line, jump->label)) {
        if (site.definition && (spelling.isEmpty() || site.label < spelling))
            spelling = site.label; // the one the message names
    }
    return spelling;
}

// What the checker could not yet say itself: the fix worked out here.
std::optional<Diagnostic::Fix> fixWorkedOut(const TextDocument &document, const Diagnostic &diagnostic,
                                            const Commands::Table &commands)
{
    const auto replacement = [&](const QString &text) -> std::optional<Diagnostic::Fix> {
        if (text.isEmpty())
            return std::nullopt;
        return Diagnostic::Fix{QStringLiteral("「%1」に直す").arg(text),
                               {{diagnostic.column, diagnostic.length, text}}};
    };
    switch (diagnostic.rule) {
    case Rule::UnknownCommand:
        return replacement(commands.nearest(document.line(diagnostic.line).mid(diagnostic.column, diagnostic.length)));
    case Rule::UndefinedLabelOtherCase:
        return replacement(definedSpelling(document.check(), diagnostic));
    case Rule::MissingSemicolon:
        return Diagnostic::Fix{QStringLiteral("「;」を加える"),
                               {{diagnostic.column + diagnostic.length, 0, QStringLiteral(";")}}};
    default:
        return std::nullopt;
    }
}

} // namespace

QVector<CodeAction> fixesOf(const Diagnostic &diagnostic, const TextDocument &document, const QString &uri,
                            const Commands::Table &commands)
{
    QVector<Diagnostic::Fix> fixes = diagnostic.fixes;
    if (fixes.isEmpty()) {
        if (std::optional<Diagnostic::Fix> fix = fixWorkedOut(document, diagnostic, commands))
            fixes.append(std::move(*fix));
    }
    QVector<CodeAction> actions;
    for (const Diagnostic::Fix &fix : std::as_const(fixes)) {
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
        for (const Diagnostic &diagnostic : document.check().diagnostics(line))
            actions += fixesOf(diagnostic, document, params.uri, context.commands());
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
