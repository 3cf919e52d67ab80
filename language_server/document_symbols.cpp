#include "language_server/document_symbols.h"

#include "checker/statement_parser.h"

#include <QJsonObject>

namespace Lsp {

namespace {

// The protocol's SymbolKind numbers.
enum SymbolKind
{
    kModule = 2,
    kClass = 5,
    kProperty = 7,
    kFunction = 12,
    kObject = 19,
    kKey = 20,
    kStruct = 23,
    kEvent = 24,
};

int kindOf(DefinitionLine::Kind kind)
{
    switch (kind) {
    case DefinitionLine::Kind::Function:
        return kFunction;
    case DefinitionLine::Kind::Shop:
        return kStruct;
    case DefinitionLine::Kind::Warp:
    case DefinitionLine::Kind::Monster:
        return kObject;
    case DefinitionLine::Kind::Mapflag:
        return kProperty;
    case DefinitionLine::Kind::Other:
        return kModule;
    case DefinitionLine::Kind::Script:
    case DefinitionLine::Kind::Duplicate:
    case DefinitionLine::Kind::None:
        break;
    }
    return kClass;
}

// What stands before the name: the place and the kind, blanks made single.
QString detailOf(const QString &line, const DefinitionLine::Definition &definition)
{
    return line.left(definition.nameColumn).simplified();
}

QJsonObject symbol(const QString &name, const QString &detail, int kind, const QJsonObject &range,
                   const QJsonObject &selection)
{
    QJsonObject object{{QLatin1String("name"), name},
                       {QLatin1String("kind"), kind},
                       {QLatin1String("range"), range},
                       {QLatin1String("selectionRange"), selection}};
    if (!detail.isEmpty())
        object.insert(QLatin1String("detail"), detail);
    return object;
}

QJsonObject flat(const QJsonObject &symbol, const QString &uri, const QString &container)
{
    QJsonObject object{
        {QLatin1String("name"), symbol.value(QLatin1String("name"))},
        {QLatin1String("kind"), symbol.value(QLatin1String("kind"))},
        {QLatin1String("location"),
         QJsonObject{{QLatin1String("uri"), uri}, {QLatin1String("range"), symbol.value(QLatin1String("range"))}}}};
    if (!container.isEmpty())
        object.insert(QLatin1String("containerName"), container);
    return object;
}

} // namespace

QJsonArray documentSymbols(const TextDocument &document, const QString &uri, bool hierarchical)
{
    const ScriptCheck &check = document.check();
    QJsonArray symbols;
    for (int number = 0; number < check.lineCount(); ++number) {
        const DefinitionLine::Definition *definition = check.definitionOn(number);
        if (!definition)
            continue;
        const int end = check.bodyEnd(number);
        QString name = definition->name.trimmed();
        const QString detail = detailOf(document.line(number), *definition);
        if (name.isEmpty())
            name = detail.isEmpty() ? QStringLiteral("?") : detail;
        QJsonObject parent =
            symbol(name, detail, kindOf(definition->kind), range(number, 0, end, int(document.line(end).size())),
                   range(number, definition->nameColumn, std::max(definition->nameLength, 0)));
        QJsonArray children;
        for (int line = number; line <= end; ++line) {
            for (const LabelRules::LabelUse &label : check.labelDefinitions(line)) {
                const QJsonObject place = range(line, label.column, label.length);
                const int kind = StatementParser::isEventLabel(label.label) ? kEvent : kKey;
                children.append(symbol(label.label, QString(), kind, place, place));
            }
        }
        if (hierarchical) {
            if (!children.isEmpty())
                parent.insert(QLatin1String("children"), children);
            symbols.append(parent);
        } else {
            symbols.append(flat(parent, uri, QString()));
            for (const QJsonValue &child : std::as_const(children))
                symbols.append(flat(child.toObject(), uri, name));
        }
        number = end;
    }
    return symbols;
}

} // namespace Lsp
