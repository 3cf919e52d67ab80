#include "language_server/references.h"

#include "language_server/labels.h"

namespace Lsp {

std::optional<QVector<Location>> references(const Context &context, const ReferenceParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const ScriptCheck &check = document.check();
    const std::optional<Labels::Site> site = Labels::at(check, document.clamped(params.position));
    if (!site)
        return std::nullopt;
    QVector<Location> locations;
    for (const Labels::Site &other : Labels::occurrences(check, *site)) {
        if (params.includeDeclaration || !other.definition)
            locations.append({params.uri, Range::onLine(other.line, other.column, other.length)});
    }
    return locations;
}

void Features::register_references(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/references"), &references);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.references = true; });
}

} // namespace Lsp
