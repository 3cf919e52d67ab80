#include "language_server/server.h"

#include "checker/statement_parser.h"
#include "common/failure.h"
#include "language_server/completion.h"
#include "language_server/diagnostics_json.h"
#include "language_server/document_symbols.h"
#include "language_server/hover.h"
#include "language_server/labels.h"
#include "language_server/quick_fixes.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace Lsp {

namespace {

constexpr int kSyncIncremental = 2;
constexpr int kMessageWarning = 2;
constexpr int kMessageLog = 4;

QString pathOf(const QString &uri)
{
    const QUrl url(uri);
    return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
}

QString keyOf(const QString &uri)
{
    const QString path = pathOf(uri);
    return path.isEmpty() ? uri : path;
}

QString uriOf(const QJsonObject &params)
{
    return params.value(QLatin1String("textDocument")).toObject().value(QLatin1String("uri")).toString();
}

} // namespace

struct Server::Document
{
    Document(const QString &uri, const QString &key, int version, const QString &text,
             std::shared_ptr<const Commands::Table> commands)
        : uri(uri), key(key), version(version), text(text, std::move(commands)), findings(this->text.check())
    {
    }
    QString uri;
    // Its file's path; its address when it has no file, or when another open
    // script stands for the same file under another address.
    QString key;
    int version = 0;
    TextDocument text;
    Findings findings;
    QSet<QString> functions;
    bool dirty = true; // its diagnostics are yet to be published
};

Server::Server(Settings settings, Output output) : settings_(std::move(settings)), output_(std::move(output))
{
    commands_ = settings_.commands ? settings_.commands : Commands::Table::builtIn();
}

Server::~Server() = default;

void Server::receive(QByteArrayView bytes)
{
    reader_.feed(bytes);
    while (state_ != State::Exited) {
        std::optional<MessageReader::Item> item = reader_.next();
        if (!item)
            break;
        if (!item->problem.isEmpty())
            log(QStringLiteral("talewick-check: a message was skipped: %1").arg(item->problem));
        else
            handle(item->content);
    }
}

void Server::endOfInput()
{
    if (state_ != State::Exited) {
        state_ = State::Exited;
        exitCode_ = 1;
    }
}

void Server::handle(const QByteArray &content)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError) {
        send(errorResponse(QJsonValue::Null, ErrorCode::kParseError, error.errorString()));
        return;
    }
    const Incoming incoming = classify(json.isObject() ? QJsonValue(json.object()) : QJsonValue(json.array()));
    switch (incoming.kind) {
    case Incoming::Kind::Request:
        request(incoming);
        break;
    case Incoming::Kind::Notification:
        notify(incoming);
        break;
    case Incoming::Kind::Response:
        break;
    case Incoming::Kind::Invalid:
        send(errorResponse(incoming.id, ErrorCode::kInvalidRequest, QStringLiteral("not a request or notification")));
        break;
    }
}

void Server::request(const Incoming &incoming)
{
    if (state_ == State::Starting && incoming.method != QLatin1String("initialize")) {
        send(errorResponse(incoming.id, ErrorCode::kServerNotInitialized, QStringLiteral("initialize comes first")));
        return;
    }
    if (state_ == State::ShutDown) {
        send(errorResponse(incoming.id, ErrorCode::kInvalidRequest, QStringLiteral("the server is shut down")));
        return;
    }
    if (!incoming.params.isUndefined() && !incoming.params.isObject() && !incoming.params.isNull()) {
        send(errorResponse(incoming.id, ErrorCode::kInvalidParams, QStringLiteral("params must be an object")));
        return;
    }
    try {
        send(response(incoming.id, answer(incoming.method, incoming.params.toObject())));
    } catch (const RequestError &error) {
        send(errorResponse(incoming.id, error.code, error.message));
    } catch (const std::exception &) {
        send(errorResponse(incoming.id, ErrorCode::kInternalError, QStringLiteral("internal error")));
    }
}

QJsonValue Server::answer(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("initialize")) {
        if (state_ != State::Starting)
            throw RequestError{ErrorCode::kInvalidRequest, QStringLiteral("already initialized")};
        return initialize(params);
    }
    if (method == QLatin1String("shutdown")) {
        state_ = State::ShutDown;
        return QJsonValue::Null;
    }
    if (method == QLatin1String("textDocument/definition"))
        return definition(params);
    if (method == QLatin1String("textDocument/references"))
        return references(params);
    if (method == QLatin1String("textDocument/prepareRename"))
        return prepareRename(params);
    if (method == QLatin1String("textDocument/rename"))
        return rename(params);
    if (method == QLatin1String("textDocument/documentSymbol")) {
        const Document &document = documentOf(params);
        return documentSymbols(document.text, document.uri, hierarchicalSymbols_);
    }
    if (method == QLatin1String("textDocument/completion"))
        return completion(documentOf(params).text, positionOf(params), *commands_, workspace_.names());
    if (method == QLatin1String("textDocument/hover")) {
        const Document &document = documentOf(params);
        const Position position = document.text.clamped(positionOf(params));
        if (const std::optional<LabelRules::LabelUse> call = callAt(document.text.check(), position))
            return functionHover(position.line, *call);
        return hover(document.text, position, *commands_);
    }
    if (method == QLatin1String("textDocument/codeAction")) {
        const Document &document = documentOf(params);
        Position start;
        Position end;
        if (!readRange(params.value(QLatin1String("range")), &start, &end))
            throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("range is missing")};
        return quickFixes(document.text, document.uri, start, end, *commands_);
    }
    throw RequestError{ErrorCode::kMethodNotFound, QStringLiteral("unknown method: %1").arg(method)};
}

QJsonObject Server::initialize(const QJsonObject &params)
{
    const QJsonObject textDocument =
        params.value(QLatin1String("capabilities")).toObject().value(QLatin1String("textDocument")).toObject();
    hierarchicalSymbols_ = textDocument.value(QLatin1String("documentSymbol"))
                               .toObject()
                               .value(QLatin1String("hierarchicalDocumentSymbolSupport"))
                               .toBool();
    prepareRename_ =
        textDocument.value(QLatin1String("rename")).toObject().value(QLatin1String("prepareSupport")).toBool();
    watchFiles_ = params.value(QLatin1String("capabilities"))
                      .toObject()
                      .value(QLatin1String("workspace"))
                      .toObject()
                      .value(QLatin1String("didChangeWatchedFiles"))
                      .toObject()
                      .value(QLatin1String("dynamicRegistration"))
                      .toBool();

    QStringList folders;
    for (const QJsonValue &folder : params.value(QLatin1String("workspaceFolders")).toArray())
        folders.append(pathOf(folder.toObject().value(QLatin1String("uri")).toString()));
    if (folders.isEmpty())
        folders.append(pathOf(params.value(QLatin1String("rootUri")).toString()));
    if (folders.front().isEmpty() && params.value(QLatin1String("rootPath")).isString())
        folders.front() = QDir::cleanPath(params.value(QLatin1String("rootPath")).toString());
    for (const QString &folder : std::as_const(folders)) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            workspace_.addFolder(folder);
    }
    // A server's own commands, in a table beside its scripts.
    const QString table = folders.front().isEmpty() ? QString() : folders.front() + QStringLiteral("/commands.tsv");
    if (!settings_.commands && !table.isEmpty() && QFileInfo::exists(table)) {
        try {
            commands_ = Commands::withFile(table);
        } catch (const Failure &failure) {
            send(notification(
                QStringLiteral("window/showMessage"),
                QJsonObject{{QLatin1String("type"), kMessageWarning}, {QLatin1String("message"), failure.message()}}));
        }
    }
    state_ = State::Running;

    QJsonObject rename{{QLatin1String("prepareProvider"), true}};
    const QJsonObject capabilities{
        {QLatin1String("positionEncoding"), QLatin1String("utf-16")},
        {QLatin1String("textDocumentSync"),
         QJsonObject{{QLatin1String("openClose"), true}, {QLatin1String("change"), kSyncIncremental}}},
        {QLatin1String("definitionProvider"), true},
        {QLatin1String("referencesProvider"), true},
        {QLatin1String("renameProvider"), prepareRename_ ? QJsonValue(rename) : QJsonValue(true)},
        {QLatin1String("documentSymbolProvider"), true},
        {QLatin1String("completionProvider"),
         QJsonObject{{QLatin1String("triggerCharacters"), QJsonArray{QLatin1String("\"")}}}},
        {QLatin1String("hoverProvider"), true},
        {QLatin1String("codeActionProvider"),
         QJsonObject{{QLatin1String("codeActionKinds"), QJsonArray{QLatin1String("quickfix")}}}},
    };
    return QJsonObject{
        {QLatin1String("capabilities"), capabilities},
        {QLatin1String("serverInfo"), QJsonObject{{QLatin1String("name"), QLatin1String("talewick-check")},
                                                  {QLatin1String("version"), settings_.version}}}};
}

void Server::notify(const Incoming &incoming)
{
    const QString &method = incoming.method;
    if (method == QLatin1String("exit")) {
        exitCode_ = state_ == State::ShutDown ? 0 : 1;
        state_ = State::Exited;
        return;
    }
    if (state_ != State::Running)
        return; // before initialize, notifications are dropped
    const QJsonObject params = incoming.params.toObject();
    try {
        if (method == QLatin1String("initialized"))
            watchScripts();
        else if (method == QLatin1String("textDocument/didOpen"))
            open(params);
        else if (method == QLatin1String("textDocument/didChange"))
            change(params);
        else if (method == QLatin1String("textDocument/didClose"))
            close(params);
        else if (method == QLatin1String("workspace/didChangeWatchedFiles"))
            filesChanged(params);
        // Anything else (didSave, $/cancelRequest, ...) needs nothing.
    } catch (const RequestError &error) {
        log(QStringLiteral("talewick-check: %1: %2").arg(method, error.message));
    } catch (const std::exception &) {
        log(QStringLiteral("talewick-check: %1: internal error").arg(method));
    }
}

// Asks the client to say when script files change on disk, so that functions
// defined or removed by another program are seen. The answer needs no reading.
void Server::watchScripts()
{
    if (!watchFiles_ || !workspace_.hasFolders())
        return;
    const QJsonObject registration{
        {QLatin1String("id"), QLatin1String("talewick-scripts")},
        {QLatin1String("method"), QLatin1String("workspace/didChangeWatchedFiles")},
        {QLatin1String("registerOptions"),
         QJsonObject{{QLatin1String("watchers"),
                      QJsonArray{QJsonObject{{QLatin1String("globPattern"), QLatin1String("**/*.txt")}}}}}}};
    send(QJsonObject{
        {QLatin1String("jsonrpc"), QLatin1String("2.0")},
        {QLatin1String("id"), QLatin1String("talewick-watch")},
        {QLatin1String("method"), QLatin1String("client/registerCapability")},
        {QLatin1String("params"), QJsonObject{{QLatin1String("registrations"), QJsonArray{registration}}}}});
}

void Server::open(const QJsonObject &params)
{
    const QJsonObject item = params.value(QLatin1String("textDocument")).toObject();
    const QString uri = item.value(QLatin1String("uri")).toString();
    if (uri.isEmpty() || !item.value(QLatin1String("text")).isString())
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("textDocument needs uri and text")};
    const QString text = item.value(QLatin1String("text")).toString();
    // Opened again: what the old text defined goes with it.
    if (const std::shared_ptr<Document> old = documents_.take(uri))
        workspace_.close(old->key);
    tooLarge_.remove(uri);
    if (text.size() > kMaxCharacters || TextDocument::lineCountOf(text) > kMaxLines) {
        refuse(uri);
        return;
    }
    QString key = keyOf(uri);
    for (const std::shared_ptr<Document> &other : std::as_const(documents_)) {
        if (other->key == key)
            key = uri;
    }
    auto document = std::make_shared<Document>(uri, key, item.value(QLatin1String("version")).toInt(), text, commands_);
    documents_.insert(uri, document);
    updateFunctions(*document);
    workspace_.setOpen(document->key, document->functions);
}

void Server::change(const QJsonObject &params)
{
    if (tooLarge_.contains(uriOf(params)))
        return;
    Document &document = documentOf(params);
    if (!params.value(QLatin1String("contentChanges")).isArray())
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("contentChanges must be an array")};
    const QJsonArray changes = params.value(QLatin1String("contentChanges")).toArray();
    // Every change is read before any is made, so that a bad one leaves the script as it was.
    struct Change
    {
        bool whole = true;
        Position start;
        Position end;
        QString text;
    };
    std::vector<Change> read;
    for (const QJsonValue &value : changes) {
        const QJsonObject object = value.toObject();
        Change change;
        if (!object.value(QLatin1String("text")).isString())
            throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("a change without text")};
        change.text = object.value(QLatin1String("text")).toString();
        if (object.contains(QLatin1String("range"))) {
            change.whole = false;
            if (!readRange(object.value(QLatin1String("range")), &change.start, &change.end))
                throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("a change with an unreadable range")};
        }
        read.push_back(std::move(change));
    }
    bool functionsTouched = false;
    for (const Change &change : read) {
        // A change that would make the script too large to keep is not made: the script is let go.
        const Position start = document.text.clamped(std::min(change.start, change.end));
        const Position end = document.text.clamped(std::max(change.start, change.end));
        const int lines = change.whole ? TextDocument::lineCountOf(change.text)
                                       : document.text.lineCount() - (end.line - start.line) +
                                             TextDocument::lineCountOf(change.text) - 1;
        const qsizetype characters =
            change.whole
                ? change.text.size()
                : document.text.characterCount() - document.text.charactersBetween(start, end) + change.text.size();
        if (lines > kMaxLines || characters > kMaxCharacters) {
            const QString uri = document.uri;
            const QString key = document.key;
            documents_.remove(uri);
            workspace_.close(key);
            refuse(uri);
            return;
        }
        const TextDocument::Edit edit = change.whole ? document.text.replaceAll(change.text)
                                                     : document.text.replace(change.start, change.end, change.text);
        functionsTouched = document.findings.update(document.text.check(), edit) || functionsTouched;
    }
    const QJsonValue version = params.value(QLatin1String("textDocument")).toObject().value(QLatin1String("version"));
    if (version.isDouble())
        document.version = version.toInt();
    document.dirty = true;
    // The set of functions is gathered again only when a line that defines one was touched.
    if (functionsTouched)
        updateFunctions(document);
}

// A script too large to keep in the checker's store: it is not checked, and the
// user is told once.
void Server::refuse(const QString &uri)
{
    tooLarge_.insert(uri);
    send(notification(QStringLiteral("window/showMessage"),
                      QJsonObject{{QLatin1String("type"), kMessageWarning},
                                  {QLatin1String("message"),
                                   QStringLiteral("talewick-check: %1 は大きすぎるため調べません（%2行、%3文字まで）")
                                       .arg(uri)
                                       .arg(kMaxLines)
                                       .arg(kMaxCharacters)}}));
    send(notification(QStringLiteral("textDocument/publishDiagnostics"),
                      QJsonObject{{QLatin1String("uri"), uri}, {QLatin1String("diagnostics"), QJsonArray()}}));
}

void Server::close(const QJsonObject &params)
{
    const QString uri = uriOf(params);
    tooLarge_.remove(uri);
    const auto found = documents_.find(uri);
    if (found == documents_.end())
        return;
    const QString key = (*found)->key;
    documents_.erase(found);
    workspace_.close(key);
    // Its diagnostics go with it.
    send(notification(QStringLiteral("textDocument/publishDiagnostics"),
                      QJsonObject{{QLatin1String("uri"), uri}, {QLatin1String("diagnostics"), QJsonArray()}}));
}

void Server::filesChanged(const QJsonObject &params)
{
    for (const QJsonValue &value : params.value(QLatin1String("changes")).toArray()) {
        const QJsonObject change = value.toObject();
        const QString path = pathOf(change.value(QLatin1String("uri")).toString());
        if (path.isEmpty())
            continue;
        // A deleted file reads as none and defines nothing.
        workspace_.fileChanged(path);
    }
}

void Server::updateFunctions(Document &document)
{
    QSet<QString> names = document.findings.functionNames();
    if (names != document.functions) {
        document.functions = std::move(names);
        workspace_.setOpen(document.key, document.functions);
    }
}

Server::Document &Server::documentOf(const QJsonObject &params)
{
    const QString uri = uriOf(params);
    const auto found = documents_.constFind(uri);
    if (found == documents_.cend() && tooLarge_.contains(uri))
        throw RequestError{ErrorCode::kRequestFailed, QStringLiteral("大きすぎるため調べていないファイルです")};
    if (found == documents_.cend())
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("the document is not open")};
    return **found;
}

Position Server::positionOf(const QJsonObject &params) const
{
    Position position;
    if (!readPosition(params.value(QLatin1String("position")), &position))
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("position is missing")};
    return position;
}

QJsonValue Server::definition(const QJsonObject &params)
{
    const Document &document = documentOf(params);
    const ScriptCheck &check = document.text.check();
    const Position position = document.text.clamped(positionOf(params));
    QJsonArray locations;
    if (const std::optional<Labels::Site> site = Labels::at(check, position)) {
        for (const Labels::Site &other : Labels::occurrences(check, *site)) {
            if (other.definition)
                locations.append(location(document.uri, other.line, other.column, other.length));
        }
    } else if (const std::optional<LabelRules::LabelUse> call = callAt(check, position)) {
        locations = functionLocations(call->label);
    }
    return locations.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(locations);
}

// The callfunc whose function name (quotes included) `position` stands on.
std::optional<LabelRules::LabelUse> Server::callAt(const ScriptCheck &check, Position position)
{
    for (const LabelRules::LabelUse &call : check.callsOn(position.line)) {
        if (position.character >= call.column && position.character <= call.column + call.length)
            return call;
    }
    return std::nullopt;
}

// Where the open scripts and the files on disk define the function `name`.
QJsonArray Server::functionLocations(const QString &name) const
{
    QJsonArray locations;
    for (const std::shared_ptr<Document> &document : documents_) {
        for (const Findings::Line &line : document->findings.lines()) {
            if (line.function.name == name)
                locations.append(location(document->uri, line.number, line.function.column, line.function.length));
        }
    }
    for (const auto &[path, site] : workspace_.definitionsOnDisk(name))
        locations.append(
            location(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), site.line, site.column, site.length));
    return locations;
}

QJsonValue Server::references(const QJsonObject &params)
{
    const Document &document = documentOf(params);
    const ScriptCheck &check = document.text.check();
    const std::optional<Labels::Site> site = Labels::at(check, document.text.clamped(positionOf(params)));
    if (!site)
        return QJsonValue::Null;
    const bool declarations =
        params.value(QLatin1String("context")).toObject().value(QLatin1String("includeDeclaration")).toBool(true);
    QJsonArray locations;
    for (const Labels::Site &other : Labels::occurrences(check, *site)) {
        if (declarations || !other.definition)
            locations.append(location(document.uri, other.line, other.column, other.length));
    }
    return locations;
}

QJsonValue Server::prepareRename(const QJsonObject &params)
{
    const Document &document = documentOf(params);
    const std::optional<Labels::Site> site =
        Labels::at(document.text.check(), document.text.clamped(positionOf(params)));
    if (!site)
        return QJsonValue::Null;
    // Said before the user types a name: an event label keeps its own.
    const QString label = Labels::target(document.text.check(), *site);
    if (StatementParser::isEventLabel(label.isEmpty() ? site->label : label))
        throw RequestError{ErrorCode::kRequestFailed, Labels::renameRefusal(document.text.check(), *site, site->label)};
    return QJsonObject{{QLatin1String("range"), range(site->line, site->column, site->length)},
                       {QLatin1String("placeholder"), site->label}};
}

QJsonValue Server::rename(const QJsonObject &params)
{
    const Document &document = documentOf(params);
    const ScriptCheck &check = document.text.check();
    const std::optional<Labels::Site> site = Labels::at(check, document.text.clamped(positionOf(params)));
    if (!site)
        throw RequestError{ErrorCode::kRequestFailed, QStringLiteral("名前を変えられるのはラベルだけです")};
    const QString name = params.value(QLatin1String("newName")).toString();
    const QString refusal = Labels::renameRefusal(check, *site, name);
    if (!refusal.isEmpty())
        throw RequestError{Labels::isValidName(name) ? ErrorCode::kRequestFailed : ErrorCode::kInvalidParams, refusal};
    QJsonArray edits;
    for (const Labels::Site &other : Labels::occurrences(check, *site))
        edits.append(QJsonObject{{QLatin1String("range"), range(other.line, other.column, other.length)},
                                 {QLatin1String("newText"), name}});
    return QJsonObject{{QLatin1String("changes"), QJsonObject{{document.uri, edits}}}};
}

// Where a called function is defined, as far as the workspace tells.
QJsonObject Server::functionHover(int line, const LabelRules::LabelUse &call) const
{
    QStringList places;
    for (const QJsonValue &value : functionLocations(call.label)) {
        const QJsonObject place = value.toObject();
        const QString uri = place.value(QLatin1String("uri")).toString();
        const QString path = pathOf(uri);
        const int number = place.value(QLatin1String("range"))
                               .toObject()
                               .value(QLatin1String("start"))
                               .toObject()
                               .value(QLatin1String("line"))
                               .toInt();
        places.append(
            QStringLiteral("%1 %2行目").arg(path.isEmpty() ? uri : QFileInfo(path).fileName()).arg(number + 1));
    }
    QString text;
    if (!places.isEmpty())
        text = QStringLiteral("関数 **%1**: %2").arg(call.label, places.join(QStringLiteral("、")));
    else if (workspace_.complete())
        text = QStringLiteral("関数 **%1** はどのファイルにも定義されていません").arg(call.label);
    else
        text = QStringLiteral("関数 **%1** の定義はまだ見つかっていません").arg(call.label);
    return markdownHover(text, range(line, call.column, call.length));
}

bool Server::idle()
{
    if (state_ != State::Running)
        return false;
    const bool judgeCalls = workspace_.complete();
    const bool callsChanged = callsGeneration() != publishedGeneration_;
    publishedGeneration_ = callsGeneration();
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        if (document->dirty || (callsChanged && judgeCalls))
            publish(*document);
    }
    const bool more = workspace_.scanSome(20);
    // A slice that finished the workspace, or found functions, changes how calls are judged.
    return more || callsGeneration() != publishedGeneration_;
}

// Changes whenever calls may be judged otherwise: functions defined or gone, the
// workspace read to its end.
quint64 Server::callsGeneration() const
{
    return workspace_.generation() * 2 + (workspace_.complete() ? 1 : 0);
}

void Server::publish(Document &document)
{
    std::function<bool(const QString &)> defined;
    if (workspace_.complete())
        defined = [this](const QString &name) { return workspace_.defines(name); };
    output_(publishMessage(document.findings, document.uri, document.version, defined));
    document.dirty = false;
}

void Server::send(const QJsonObject &message)
{
    output_(frame(message));
}

void Server::log(const QString &message)
{
    send(notification(QStringLiteral("window/logMessage"),
                      QJsonObject{{QLatin1String("type"), kMessageLog}, {QLatin1String("message"), message}}));
}

} // namespace Lsp
