#include "language_server/protocol.h"

#include <QJsonDocument>

#include <algorithm>

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

QString documentUri(const JsonReader &params)
{
    return params.field("textDocument").field("uri").string();
}

// The member `name` unless it is absent or null, as the protocol allows for what it makes optional.
std::optional<JsonReader> optionalField(const JsonReader &object, const char *name)
{
    if (!object.has(name) || object.field(name).isNull())
        return std::nullopt;
    return object.field(name);
}

// What `read` makes of `value` alone, or nothing when it does not read.
template <typename T> std::optional<T> readAlone(const QJsonValue &value, const QString &path)
{
    const JsonReader reader(value, path);
    T read = T::read(reader);
    if (reader.failed())
        return std::nullopt;
    return read;
}

template <typename Items> QJsonArray arrayOf(const Items &items)
{
    QJsonArray array;
    for (const auto &item : items)
        array.append(item.toJson());
    return array;
}

} // namespace

Position Position::read(const JsonReader &json)
{
    const int line = json.field("line").count();
    return Position{line, json.field("character").count()};
}

std::optional<Position> Position::fromJson(const QJsonValue &value)
{
    return readAlone<Position>(value, QStringLiteral("position"));
}

QJsonObject Position::toJson() const
{
    return QJsonObject{{key("line"), line}, {key("character"), character}};
}

Range Range::read(const JsonReader &json)
{
    const Position start = Position::read(json.field("start"));
    return Range{start, Position::read(json.field("end"))};
}

std::optional<Range> Range::fromJson(const QJsonValue &value)
{
    return readAlone<Range>(value, QStringLiteral("range"));
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

DocumentParams DocumentParams::read(const JsonReader &json)
{
    return DocumentParams{documentUri(json)};
}

PositionParams PositionParams::read(const JsonReader &json)
{
    const QString uri = documentUri(json);
    return PositionParams{uri, Position::read(json.field("position"))};
}

ReferenceParams ReferenceParams::read(const JsonReader &json)
{
    const PositionParams place = PositionParams::read(json);
    ReferenceParams params{place.uri, place.position};
    if (const std::optional<JsonReader> context = optionalField(json, "context")) {
        if (const std::optional<JsonReader> include = optionalField(*context, "includeDeclaration"))
            params.includeDeclaration = include->boolean();
    }
    return params;
}

RenameParams RenameParams::read(const JsonReader &json)
{
    const PositionParams place = PositionParams::read(json);
    return RenameParams{place.uri, place.position, json.field("newName").string()};
}

CodeActionParams CodeActionParams::read(const JsonReader &json)
{
    const QString uri = documentUri(json);
    return CodeActionParams{uri, Range::read(json.field("range"))};
}

DidOpenParams DidOpenParams::read(const JsonReader &json)
{
    const JsonReader item = json.field("textDocument");
    DidOpenParams params;
    const JsonReader uri = item.field("uri");
    params.uri = uri.string();
    if (params.uri.isEmpty())
        uri.refuse(QStringLiteral("an address"));
    if (const std::optional<JsonReader> version = optionalField(item, "version"))
        params.version = version->integer();
    params.text = item.field("text").string();
    return params;
}

namespace {

ContentChange readChange(const JsonReader &item)
{
    ContentChange change;
    // A range that is there but null is refused, not taken for "the whole text".
    if (item.has("range"))
        change.range = Range::read(item.field("range"));
    change.text = item.field("text").string();
    return change;
}

} // namespace

DidChangeParams DidChangeParams::read(const JsonReader &json)
{
    DidChangeParams params;
    params.uri = documentUri(json);
    if (const std::optional<JsonReader> version = optionalField(json.field("textDocument"), "version"))
        params.version = version->integer();
    const JsonReader changes = json.field("contentChanges");
    const qsizetype size = changes.size();
    for (qsizetype i = 0; i < size && !json.failed(); ++i)
        params.changes.append(readChange(changes.item(i)));
    return params;
}

DidChangeWatchedFilesParams DidChangeWatchedFilesParams::read(const JsonReader &json)
{
    DidChangeWatchedFilesParams params;
    const JsonReader changes = json.field("changes");
    const qsizetype size = changes.size();
    for (qsizetype i = 0; i < size && !json.failed(); ++i)
        params.uris.append(changes.item(i).field("uri").string());
    return params;
}

namespace {

// What the client can take, read leniently: a capability it states in a shape
// not understood is one it does not have.
ClientCapabilities readCapabilities(const QJsonValue &capabilities)
{
    ClientCapabilities client;
    const QJsonValue textDocument = at(capabilities, "textDocument");
    client.hierarchicalSymbols = at(at(textDocument, "documentSymbol"), "hierarchicalDocumentSymbolSupport").toBool();
    client.prepareRename = at(textDocument, "rename", "prepareSupport").toBool();
    client.watchFiles = at(at(capabilities, "workspace", "didChangeWatchedFiles"), "dynamicRegistration").toBool();
    return client;
}

} // namespace

InitializeParams InitializeParams::read(const JsonReader &json)
{
    InitializeParams params;
    params.capabilities = readCapabilities(at(json.value(), "capabilities"));
    if (const std::optional<JsonReader> folders = optionalField(json, "workspaceFolders")) {
        const qsizetype size = folders->size();
        for (qsizetype i = 0; i < size && !json.failed(); ++i)
            params.folderUris.append(folders->item(i).field("uri").string());
    }
    if (params.folderUris.isEmpty()) {
        const std::optional<JsonReader> root = optionalField(json, "rootUri");
        params.folderUris.append(root ? root->string() : QString());
    }
    if (const std::optional<JsonReader> path = optionalField(json, "rootPath"))
        params.rootPath = path->string();
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

QJsonObject watchFilesRequest(const QStringList &globs)
{
    QJsonArray watchers;
    for (const QString &glob : globs)
        watchers.append(QJsonObject{{key("globPattern"), glob}});
    const QJsonObject registration{{key("id"), QLatin1String("talewick-scripts")},
                                   {key("method"), QLatin1String("workspace/didChangeWatchedFiles")},
                                   {key("registerOptions"), QJsonObject{{key("watchers"), watchers}}}};
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
