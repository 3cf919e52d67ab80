#include "language_server/definition.h"

#include "language_server/labels.h"

namespace Lsp {

QVector<Location> definition(const Context &context, const PositionParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const ScriptCheck &check = document.check();
    const Position position = document.clamped(params.position);
    if (const std::optional<Labels::Site> site = Labels::at(check, position)) {
        QVector<Location> locations;
        for (const Labels::Site &other : Labels::occurrences(check, *site)) {
            if (other.definition)
                locations.append({params.uri, Range::onLine(other.line, other.column, other.length)});
        }
        return locations;
    }
    if (const std::optional<CallfuncSite> call = callAt(check, position))
        return context.functionDefinitions(call->name);
    return {};
}

std::optional<CallfuncSite> callAt(const ScriptCheck &check, Position position)
{
    for (const CallfuncSite &call : check.callsOn(position.line)) {
        if (position.character >= call.column && position.character <= call.column + call.length)
            return call;
    }
    return std::nullopt;
}

void Features::register_definition(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/definition"), &definition);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.definition = true; });
}

} // namespace Lsp
