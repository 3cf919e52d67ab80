#include "language_server/protocol.h"

#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace Lsp {

namespace {

QLatin1String key(const char *name)
{
    return QLatin1String(name);
}

QJsonValue at(const QJsonValue &object, const char *name)
{
    return object.toObject().value(key(name));
}

QJsonValue at(const QJsonValue &object, const char *outer, const char *inner)
{
    return at(at(object, outer), inner);
}

std::optional<int> count(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Clients may send the largest unsigned 32-bit number for "the end of the line".
    if (!(number >= 0) || number != std::floor(number))
        return std::nullopt;
    return number > 2147483647.0 ? 2147483647 : int(number);
}

QString documentUri(const QJsonValue &params)
{
    return at(params, "textDocument", "uri").toString();
}

template <typename Items> QJsonArray arrayOf(const Items &items)
{
    QJsonArray array;
    for (const auto &item : items)
        array.append(item.toJson());
    return array;
}

} // namespace

std::optional<Position> Position::fromJson(const QJsonValue &value)
{
    const std::optional<int> line = count(at(value, "line"));
    const std::optional<int> character = count(at(value, "character"));
    if (!line || !character)
        return std::nullopt;
    return Position{*line, *character};
}

QJsonObject Position::toJson() const
{
    return QJsonObject{{key("line"), line}, {key("character"), character}};
}

std::optional<Range> Range::fromJson(const QJsonValue &value)
{
    const std::optional<Position> start = Position::fromJson(at(value, "start"));
    const std::optional<Position> end = Position::fromJson(at(value, "end"));
    if (!start || !end)
        return std::nullopt;
    return Range{*start, *end};
}

QJsonObject Range::toJson() const
{
    return QJsonObject{{key("start"), start.toJson()}, {key("end"), end.toJson()}};
}

QJsonObject Location::toJson() const
{
    return QJsonObject{{key("uri"), uri}, {key("range"), range.toJson()}};
}

QJsonObject TextEdit::toJson() const
{
    return QJsonObject{{key("range"), range.toJson()}, {key("newText"), newText}};
}

QJsonObject WorkspaceEdit::toJson() const
{
    QJsonObject byUri;
    for (const auto &[uri, edits] : changes)
        byUri.insert(uri, arrayOf(edits));
    return QJsonObject{{key("changes"), byUri}};
}

QJsonObject RelatedInformation::toJson() const
{
    return QJsonObject{{key("location"), location.toJson()}, {key("message"), message}};
}

PublishedDiagnostic PublishedDiagnostic::of(const Diagnostic &diagnostic, const QString &uri)
{
    PublishedDiagnostic published;
    published.range = Range::onLine(diagnostic.line, diagnostic.column, diagnostic.length);
    published.severity = diagnostic.severity == Diagnostic::Severity::Error ? kError : kWarning;
    published.code = diagnostic.code;
    published.message = diagnostic.message;
    for (const Diagnostic::Related &related : diagnostic.related)
        published.relatedInformation.append(
            {Location{uri, Range::onLine(related.line, related.column, related.length)}, related.message});
    return published;
}

QJsonObject PublishedDiagnostic::toJson() const
{
    QJsonObject object{{key("range"), range.toJson()},
                       {key("severity"), severity},
                       {key("code"), code},
                       {key("source"), QLatin1String("talewick")},
                       {key("message"), message}};
    if (!relatedInformation.isEmpty())
        object.insert(key("relatedInformation"), arrayOf(relatedInformation));
    return object;
}

namespace {

void appendEscaped(QByteArray &out, char16_t unit)
{
    out += "\\u";
    out += QByteArray::number(unit, 16).rightJustified(4, '0');
}

// `text` as a JSON string, quotes included, in UTF-8; a surrogate without its
// pair (half an emoji being typed) is escaped, as UTF-8 cannot hold it.
QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    out.reserve(text.size() * 3 + 2);
    qsizetype plain = 0; // where the characters that need no escape begin
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        const bool escaped = QChar::isSurrogate(unit) || unit < 0x20 || unit == u'"' || unit == u'\\';
        if (!escaped)
            continue;
        out += QStringView(text).sliced(plain, i - plain).toUtf8();
        plain = i + 1;
        if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += char(unit);
        } else if (unit == u'\n') {
            out += "\\n";
        } else if (unit == u'\r') {
            out += "\\r";
        } else if (unit == u'\t') {
            out += "\\t";
        } else {
            appendEscaped(out, unit);
        }
    }
    out += QStringView(text).sliced(plain).toUtf8();
    return out + '"';
}

} // namespace

QByteArrayList writeCutAtLine(const QVector<PublishedDiagnostic> &diagnostics)
{
    QByteArrayList pieces{QByteArray()};
    for (const PublishedDiagnostic &diagnostic : diagnostics) {
        if (!pieces.back().isEmpty())
            pieces.back() += ',';
        pieces.back() += "{\"range\":{\"start\":{\"line\":";
        pieces.append(",\"character\":" + QByteArray::number(diagnostic.range.start.character) +
                      "},\"end\":{\"line\":");
        pieces.append(",\"character\":" + QByteArray::number(diagnostic.range.end.character) + "}},\"severity\":" +
                      QByteArray::number(diagnostic.severity) + ",\"code\":" + jsonString(diagnostic.code) +
                      ",\"source\":\"talewick\",\"message\":" + jsonString(diagnostic.message));
        if (!diagnostic.relatedInformation.isEmpty()) {
            const QJsonArray related = arrayOf(diagnostic.relatedInformation);
            pieces.back() += ",\"relatedInformation\":" + QJsonDocument(related).toJson(QJsonDocument::Compact);
        }
        pieces.back() += '}';
    }
    return pieces;
}

QJsonObject CompletionItem::toJson() const
{
    QJsonObject object{{key("label"), label}, {key("kind"), kind}, {key("textEdit"), textEdit.toJson()}};
    if (!detail.isEmpty())
        object.insert(key("detail"), detail);
    return object;
}

QJsonValue CompletionList::toJson() const
{
    return QJsonObject{{key("isIncomplete"), isIncomplete}, {key("items"), arrayOf(items)}};
}

QJsonValue Hover::toJson() const
{
    return QJsonObject{
        {key("contents"), QJsonObject{{key("kind"), QLatin1String("markdown")}, {key("value"), markdown}}},
        {key("range"), range.toJson()}};
}

QJsonObject DocumentSymbol::toJson() const
{
    QJsonObject object{{key("name"), name},
                       {key("kind"), kind},
                       {key("range"), range.toJson()},
                       {key("selectionRange"), selectionRange.toJson()}};
    if (!detail.isEmpty())
        object.insert(key("detail"), detail);
    if (!children.isEmpty())
        object.insert(key("children"), arrayOf(children));
    return object;
}

namespace {

QJsonObject symbolInformation(const DocumentSymbol &symbol, const QString &uri, const QString &container)
{
    QJsonObject object{{key("name"), symbol.name},
                       {key("kind"), symbol.kind},
                       {key("location"), Location{uri, symbol.range}.toJson()}};
    if (!container.isEmpty())
        object.insert(key("containerName"), container);
    return object;
}

} // namespace

QJsonValue Outline::toJson() const
{
    if (!flat)
        return arrayOf(symbols);
    QJsonArray list;
    for (const DocumentSymbol &symbol : symbols) {
        list.append(symbolInformation(symbol, uri, QString()));
        for (const DocumentSymbol &child : symbol.children)
            list.append(symbolInformation(child, uri, symbol.name));
    }
    return list;
}

QJsonObject CodeAction::toJson() const
{
    return QJsonObject{{key("title"), title},
                       {key("kind"), QLatin1String("quickfix")},
                       {key("isPreferred"), true},
                       {key("diagnostics"), arrayOf(diagnostics)},
                       {key("edit"), edit.toJson()}};
}

QJsonValue PrepareRenameResult::toJson() const
{
    return QJsonObject{{key("range"), range.toJson()}, {key("placeholder"), placeholder}};
}

QJsonValue toJson(const QVector<Location> &locations)
{
    return locations.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(arrayOf(locations));
}

QJsonValue toJson(const std::optional<QVector<Location>> &locations)
{
    return locations ? QJsonValue(arrayOf(*locations)) : QJsonValue(QJsonValue::Null);
}

QJsonValue toJson(const QVector<CodeAction> &actions)
{
    return arrayOf(actions);
}

std::optional<DocumentParams> DocumentParams::fromJson(const QJsonValue &value)
{
    return DocumentParams{documentUri(value)};
}

std::optional<PositionParams> PositionParams::fromJson(const QJsonValue &value)
{
    const std::optional<Position> position = Position::fromJson(at(value, "position"));
    if (!position)
        return std::nullopt;
    return PositionParams{documentUri(value), *position};
}

std::optional<ReferenceParams> ReferenceParams::fromJson(const QJsonValue &value)
{
    const std::optional<PositionParams> place = PositionParams::fromJson(value);
    if (!place)
        return std::nullopt;
    return ReferenceParams{place->uri, place->position, at(value, "context", "includeDeclaration").toBool(true)};
}

std::optional<RenameParams> RenameParams::fromJson(const QJsonValue &value)
{
    const std::optional<PositionParams> place = PositionParams::fromJson(value);
    if (!place)
        return std::nullopt;
    return RenameParams{place->uri, place->position, at(value, "newName").toString()};
}

std::optional<CodeActionParams> CodeActionParams::fromJson(const QJsonValue &value)
{
    const std::optional<Range> range = Range::fromJson(at(value, "range"));
    if (!range)
        return std::nullopt;
    return CodeActionParams{documentUri(value), *range};
}

std::optional<DidOpenParams> DidOpenParams::fromJson(const QJsonValue &value)
{
    const QJsonValue item = at(value, "textDocument");
    const QString uri = at(item, "uri").toString();
    if (uri.isEmpty() || !at(item, "text").isString())
        return std::nullopt;
    return DidOpenParams{uri, at(item, "version").toInt(), at(item, "text").toString()};
}

std::optional<DidChangeParams> DidChangeParams::fromJson(const QJsonValue &value)
{
    DidChangeParams params;
    params.uri = documentUri(value);
    const QJsonValue version = at(value, "textDocument", "version");
    if (version.isDouble())
        params.version = version.toInt();
    if (!at(value, "contentChanges").isArray())
        return std::nullopt;
    for (const QJsonValue &item : at(value, "contentChanges").toArray()) {
        ContentChange change;
        if (!at(item, "text").isString())
            return std::nullopt;
        change.text = at(item, "text").toString();
        if (item.toObject().contains(key("range"))) {
            change.range = Range::fromJson(at(item, "range"));
            if (!change.range)
                return std::nullopt;
        }
        params.changes.append(std::move(change));
    }
    return params;
}

std::optional<DidChangeWatchedFilesParams> DidChangeWatchedFilesParams::fromJson(const QJsonValue &value)
{
    DidChangeWatchedFilesParams params;
    for (const QJsonValue &change : at(value, "changes").toArray())
        params.uris.append(at(change, "uri").toString());
    return params;
}

std::optional<InitializeParams> InitializeParams::fromJson(const QJsonValue &value)
{
    InitializeParams params;
    const QJsonValue capabilities = at(value, "capabilities");
    const QJsonValue textDocument = at(capabilities, "textDocument");
    params.capabilities.hierarchicalSymbols =
        at(at(textDocument, "documentSymbol"), "hierarchicalDocumentSymbolSupport").toBool();
    params.capabilities.prepareRename = at(textDocument, "rename", "prepareSupport").toBool();
    params.capabilities.watchFiles =
        at(at(capabilities, "workspace", "didChangeWatchedFiles"), "dynamicRegistration").toBool();
    for (const QJsonValue &folder : at(value, "workspaceFolders").toArray())
        params.folderUris.append(at(folder, "uri").toString());
    if (params.folderUris.isEmpty())
        params.folderUris.append(at(value, "rootUri").toString());
    if (at(value, "rootPath").isString())
        params.rootPath = at(value, "rootPath").toString();
    return params;
}

QJsonObject ServerCapabilities::toJson() const
{
    QJsonObject object{
        {key("positionEncoding"), QLatin1String("utf-16")},
        {key("textDocumentSync"), QJsonObject{{key("openClose"), true}, {key("change"), 2}}}, // incremental
    };
    if (definition)
        object.insert(key("definitionProvider"), true);
    if (references)
        object.insert(key("referencesProvider"), true);
    if (rename != Rename::None)
        object.insert(key("renameProvider"), rename == Rename::WithPrepare
                                                 ? QJsonValue(QJsonObject{{key("prepareProvider"), true}})
                                                 : QJsonValue(true));
    if (documentSymbol)
        object.insert(key("documentSymbolProvider"), true);
    if (completionTriggers)
        object.insert(key("completionProvider"),
                      QJsonObject{{key("triggerCharacters"), QJsonArray::fromStringList(*completionTriggers)}});
    if (hover)
        object.insert(key("hoverProvider"), true);
    if (!codeActionKinds.isEmpty())
        object.insert(key("codeActionProvider"),
                      QJsonObject{{key("codeActionKinds"), QJsonArray::fromStringList(codeActionKinds)}});
    if (!semanticTokens.isEmpty())
        object.insert(key("semanticTokensProvider"), semanticTokens);
    return object;
}

QJsonValue InitializeResult::toJson() const
{
    return QJsonObject{{key("capabilities"), capabilities.toJson()},
                       {key("serverInfo"), QJsonObject{{key("name"), name}, {key("version"), version}}}};
}

Incoming classify(const QJsonValue &value)
{
    Incoming incoming;
    if (!value.isObject())
        return incoming;
    const QJsonObject message = value.toObject();
    const QJsonValue id = message.value(key("id"));
    const bool validId = id.isDouble() || id.isString();
    if (validId)
        incoming.id = id;
    const QJsonValue method = message.value(key("method"));
    if (method.isString()) {
        incoming.method = method.toString();
        incoming.params = message.value(key("params"));
        if (validId)
            incoming.kind = Incoming::Kind::Request;
        else if (id.isUndefined())
            incoming.kind = Incoming::Kind::Notification;
        return incoming;
    }
    if (!method.isUndefined())
        return incoming;
    if (validId && (message.contains(key("result")) || message.contains(key("error"))))
        incoming.kind = Incoming::Kind::Response;
    return incoming;
}

QJsonObject response(const QJsonValue &id, const QJsonValue &result)
{
    return QJsonObject{{key("jsonrpc"), QLatin1String("2.0")}, {key("id"), id}, {key("result"), result}};
}

QJsonObject errorResponse(const QJsonValue &id, int code, const QString &message)
{
    return QJsonObject{{key("jsonrpc"), QLatin1String("2.0")},
                       {key("id"), id.isUndefined() ? QJsonValue(QJsonValue::Null) : id},
                       {key("error"), QJsonObject{{key("code"), code}, {key("message"), message}}}};
}

QJsonObject notification(const QString &method, const QJsonValue &params)
{
    return QJsonObject{{key("jsonrpc"), QLatin1String("2.0")}, {key("method"), method}, {key("params"), params}};
}

QJsonObject messageNotification(const QString &method, int type, const QString &message)
{
    return notification(method, QJsonObject{{key("type"), type}, {key("message"), message}});
}

QJsonObject clearDiagnostics(const QString &uri)
{
    return notification(QStringLiteral("textDocument/publishDiagnostics"),
                        QJsonObject{{key("uri"), uri}, {key("diagnostics"), QJsonArray()}});
}

QJsonObject watchFilesRequest(const QString &glob)
{
    const QJsonObject registration{
        {key("id"), QLatin1String("talewick-scripts")},
        {key("method"), QLatin1String("workspace/didChangeWatchedFiles")},
        {key("registerOptions"), QJsonObject{{key("watchers"), QJsonArray{QJsonObject{{key("globPattern"), glob}}}}}}};
    QJsonObject request = notification(QStringLiteral("client/registerCapability"),
                                       QJsonObject{{key("registrations"), QJsonArray{registration}}});
    request.insert(key("id"), QLatin1String("talewick-watch"));
    return request;
}

QByteArray framedPublishDiagnostics(const QString &uri, int version, qsizetype itemsSize,
                                    const std::function<qsizetype(char *items)> &writeItems)
{
    const QByteArray head =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":" + jsonString(uri) +
        ",\"version\":" + QByteArray::number(version) + ",\"diagnostics\":[";
    const QByteArray tail = "]}}";
    const QByteArray header =
        "Content-Length: " + QByteArray::number(head.size() + itemsSize + tail.size()) + "\r\n\r\n";
    QByteArray framed(header.size() + head.size() + itemsSize + tail.size(), Qt::Uninitialized);
    char *at = std::copy(header.cbegin(), header.cend(), framed.data());
    at = std::copy(head.cbegin(), head.cend(), at);
    const qsizetype written = writeItems(at);
    Q_ASSERT(written == itemsSize);
    std::copy(tail.cbegin(), tail.cend(), at + written);
    if (written != itemsSize) // a miscount must not send a wrong length
        return frame(head + QByteArray(at, written) + tail);
    return framed;
}

QByteArray frame(const QJsonObject &message)
{
    return frame(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QByteArray frame(const QByteArray &content)
{
    const QByteArray header = "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n";
    QByteArray framed;
    framed.reserve(header.size() + content.size());
    framed += header;
    framed += content;
    return framed;
}

} // namespace Lsp
