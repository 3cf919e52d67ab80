#include "language_server/rename.h"

#include "checker/language.h"
#include "language_server/labels.h"

namespace Lsp {

std::optional<PrepareRenameResult> prepareRename(const Context &context, const PositionParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const std::optional<Labels::Site> site = Labels::at(document.check(), document.clamped(params.position));
    if (!site)
        return std::nullopt;
    // Said before the user types a name: an event label keeps its own.
    const QString label = Labels::target(document.check(), *site);
    if (Language::isEventLabel(label.isEmpty() ? site->label : label))
        throw RequestError{ErrorCode::kRequestFailed, Labels::renameRefusal(document.check(), *site, site->label)};
    return PrepareRenameResult{Range::onLine(site->line, site->column, site->length), site->label};
}

WorkspaceEdit rename(const Context &context, const RenameParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const ScriptCheck &check = document.check();
    const std::optional<Labels::Site> site = Labels::at(check, document.clamped(params.position));
    if (!site)
        throw RequestError{ErrorCode::kRequestFailed, QStringLiteral("名前を変えられるのはラベルだけです")};
    const QString refusal = Labels::renameRefusal(check, *site, params.newName);
    if (!refusal.isEmpty())
        throw RequestError{Labels::isValidName(params.newName) ? ErrorCode::kRequestFailed : ErrorCode::kInvalidParams,
                           refusal};
    QVector<TextEdit> edits;
    for (const Labels::Site &other : Labels::occurrences(check, *site))
        edits.append({Range::onLine(other.line, other.column, other.length), params.newName});
    return WorkspaceEdit{{{params.uri, edits}}};
}

void Features::register_rename(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/prepareRename"), &prepareRename);
    table.add(QStringLiteral("textDocument/rename"), &rename);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &client) {
        server.rename =
            client.prepareRename ? ServerCapabilities::Rename::WithPrepare : ServerCapabilities::Rename::Plain;
    });
}

} // namespace Lsp
