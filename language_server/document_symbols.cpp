#include "language_server/document_symbols.h"

#include "checker/language.h"

namespace Lsp {

namespace {

int kindOf(DefinitionLine::Kind kind)
{
    switch (kind) {
    case DefinitionLine::Kind::Function:
        return DocumentSymbol::kFunction;
    case DefinitionLine::Kind::Shop:
        return DocumentSymbol::kStruct;
    case DefinitionLine::Kind::Warp:
    case DefinitionLine::Kind::Monster:
        return DocumentSymbol::kObject;
    case DefinitionLine::Kind::Mapflag:
        return DocumentSymbol::kProperty;
    case DefinitionLine::Kind::Other:
        return DocumentSymbol::kModule;
    case DefinitionLine::Kind::Script:
    case DefinitionLine::Kind::Duplicate:
    case DefinitionLine::Kind::None:
        break;
    }
    return DocumentSymbol::kClass;
}

// What stands before the name: the place and the kind, blanks made single.
QString detailOf(const QString &line, const DefinitionLine::Definition &definition)
{
    return line.left(definition.nameColumn).simplified();
}

// The labels defined in the body from `first` to `last`.
QVector<DocumentSymbol> labelsOf(const ScriptCheck &check, int first, int last)
{
    QVector<DocumentSymbol> labels;
    for (int line = first; line <= last; ++line) {
        for (const LabelRules::LabelUse &label : check.labelDefinitions(line)) {
            const Range place = Range::onLine(line, label.column, label.length);
            const int kind = Language::isEventLabel(label.label) ? DocumentSymbol::kEvent : DocumentSymbol::kKey;
            labels.append(DocumentSymbol{label.label, QString(), kind, place, place, {}});
        }
    }
    return labels;
}

} // namespace

QVector<DocumentSymbol> documentSymbols(const TextDocument &document)
{
    const ScriptCheck &check = document.check();
    QVector<DocumentSymbol> symbols;
    for (int number = 0; number < check.lineCount(); ++number) {
        const DefinitionLine::Definition *definition = check.definitionOn(number);
        if (!definition)
            continue;
        const int end = check.bodyEnd(number);
        QString name = definition->name.trimmed();
        const QString detail = detailOf(document.line(number), *definition);
        if (name.isEmpty())
            name = detail.isEmpty() ? QStringLiteral("?") : detail;
        symbols.append(DocumentSymbol{
            name, detail, kindOf(definition->kind), Range{{number, 0}, {end, int(document.line(end).size())}},
            Range::onLine(number, definition->nameColumn, std::max(definition->nameLength, 0)),
            labelsOf(check, number, end)});
        number = end;
    }
    return symbols;
}

Outline outline(const Context &context, const DocumentParams &params)
{
    return Outline{documentSymbols(context.document(params.uri)), !context.client().hierarchicalSymbols, params.uri};
}

void Features::register_document_symbols(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/documentSymbol"), &outline);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.documentSymbol = true; });
}

} // namespace Lsp
