#include "language_server/server.h"

#include "common/failure.h"
#include "language_server/diagnostics_json.h"
#include "language_server/load_findings.h"
#include "project_file/project_file.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QUrl>

namespace Lsp {

namespace {

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

} // namespace

struct Server::Document
{
    Document(const QString &uri, const QString &key, int version, const QString &text,
             std::shared_ptr<const Commands::Table> commands, const FindingPolicy &policy)
        : uri(uri), key(key), version(version), table(std::move(commands)), text(text, table, policy),
          findings(this->text.check(), policy)
    {
    }
    // The project now leaves out or holds otherwise other findings: they are filtered anew.
    void setFindingPolicy(const FindingPolicy &policy)
    {
        text.setFindingPolicy(policy);
        findings = Findings(text.check(), policy);
        dirty = true;
        loadsStale = true;
    }
    QString uri;
    // Its file's path; its address when it has no file, or when another open
    // script stands for the same file under another address.
    QString key;
    int version = 0;
    std::shared_ptr<const Commands::Table> table; // what it is checked with
    TextDocument text;
    Findings findings;
    Workspace::Names names;  // what it offers the other scripts
    bool dirty = true;       // its diagnostics are yet to be published
    bool flowPending = true; // its flow is yet to be judged
    // What the load order decides, judged when its flow is after edits (loadsEdited),
    // or at the next idle when other scripts changed it (loadsStale); until then
    // its findings move with their lines.
    MovingFindings loads;
    bool loadsEdited = false;
    bool loadsStale = true;
};

Server::Server(Settings settings, Output output)
    : settings_(std::move(settings)), output_(std::move(output)),
      projects_({settings_.commands, settings_.commandsPath, settings_.target, settings_.flags, nullptr})
{
    commands_ = settings_.commands ? settings_.commands : Commands::Table::builtIn();
    workspace_.setLoadsRead([this](const QString &path, LoadOrderRules::Uses uses) {
        loadsChanged(loads_.setOnDisk(path, std::move(uses)));
    });
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
        send(errorResponse(incoming.id, ErrorCode::kInvalidParams, QStringLiteral("params: expected an object")));
        return;
    }
    try {
        send(response(incoming.id, answer(incoming.method, incoming.params)));
    } catch (const RequestError &error) {
        send(errorResponse(incoming.id, error.code, error.message));
    } catch (const std::exception &) {
        send(errorResponse(incoming.id, ErrorCode::kInternalError, QStringLiteral("internal error")));
    }
}

QJsonValue Server::answer(const QString &method, const QJsonValue &params)
{
    if (method == QLatin1String("initialize")) {
        if (state_ != State::Starting)
            throw RequestError{ErrorCode::kInvalidRequest, QStringLiteral("already initialized")};
        return initialize(readParams<InitializeParams>(params),
                          params.toObject().value(QLatin1String("initializationOptions")))
            .toJson();
    }
    if (method == QLatin1String("shutdown")) {
        state_ = State::ShutDown;
        return QJsonValue::Null;
    }
    const FeatureTable::Handler *handler = FeatureTable::all().find(method);
    if (!handler)
        throw RequestError{ErrorCode::kMethodNotFound, QStringLiteral("unknown method: %1").arg(method)};
    return (*handler)(*this, params);
}

InitializeResult Server::initialize(const InitializeParams &params, const QJsonValue &options)
{
    client_ = params.capabilities;
    QStringList folders;
    for (const QString &uri : params.folderUris)
        folders.append(pathOf(uri));
    if (folders.front().isEmpty() && !params.rootPath.isEmpty())
        folders.front() = QDir::cleanPath(params.rootPath);
    for (const QString &folder : std::as_const(folders)) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            workspace_.addFolder(folder);
    }
    // A server's own commands, in a table beside its scripts.
    const QString table = folders.front().isEmpty() ? QString() : folders.front() + QStringLiteral("/commands.tsv");
    if (!settings_.commands && !table.isEmpty() && QFileInfo::exists(table)) {
        try {
            commands_ = Commands::withFile(table);
            projects_.setWorkspaceCommands(commands_);
        } catch (const Failure &failure) {
            send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning, failure.message()));
        }
    }
    firstFolder_ = folders.front();
    for (const QString &problem : projects_.setClientSettings(options, firstFolder_))
        send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning, problem));
    readEncoding(options);
    state_ = State::Running;
    return InitializeResult{FeatureTable::all().capabilities(client_), QStringLiteral("talewick-check"),
                            settings_.version};
}

// The encoding of the scripts on disk that the workspace reads: the command
// line's, else the client's "encoding" (the editor's files.encoding), else the
// one their project file names, else code page 932. Open scripts come from the
// client already decoded.
void Server::readEncoding(const QJsonValue &options)
{
    workspace_.setProjectEncodings([this](const QString &folder) { return projects_.encodingOfFolder(folder); });
    QString encoding = settings_.encoding;
    if (encoding.isEmpty()) {
        const QJsonObject object = options.toObject();
        const QJsonValue nested = object.value(QLatin1String("talewick")).toObject().value(QLatin1String("encoding"));
        encoding = (nested.isString() ? nested : object.value(QLatin1String("encoding"))).toString().trimmed();
    }
    if (encoding.isEmpty())
        return;
    if (!QStringDecoder(encoding.toLatin1().constData()).isValid()) {
        send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning,
                                 QStringLiteral("talewick.encoding の「%1」は知らない文字コードです").arg(encoding)));
        return;
    }
    workspace_.setEncoding(encoding);
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
    const QJsonValue &params = incoming.params;
    try {
        if (method == QLatin1String("initialized"))
            watchScripts();
        else if (method == QLatin1String("textDocument/didOpen"))
            open(readParams<DidOpenParams>(params));
        else if (method == QLatin1String("textDocument/didChange"))
            change(readParams<DidChangeParams>(params));
        else if (method == QLatin1String("textDocument/didClose"))
            close(readParams<DocumentParams>(params).uri);
        else if (method == QLatin1String("workspace/didChangeWatchedFiles"))
            filesChanged(readParams<DidChangeWatchedFilesParams>(params));
        else if (method == QLatin1String("workspace/didChangeConfiguration"))
            configurationChanged(params);
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
    if (!client_.watchFiles || !workspace_.hasFolders())
        return;
    send(watchFilesRequest({QStringLiteral("**/*.txt"), QStringLiteral("**/") + ProjectFile::fileName()}));
}

void Server::open(const DidOpenParams &params)
{
    // Opened again: what the old text defined goes with it.
    if (const std::shared_ptr<Document> old = documents_.take(params.uri)) {
        loadsChanged(loads_.close(old->key));
        workspace_.close(old->key);
    }
    tooLarge_.remove(params.uri);
    if (params.text.size() > kMaxCharacters || TextDocument::lineCountOf(params.text) > kMaxLines) {
        refuse(params.uri);
        return;
    }
    QString key = keyOf(params.uri);
    for (const std::shared_ptr<Document> &other : std::as_const(documents_)) {
        if (other->key == key)
            key = params.uri;
    }
    auto document = std::make_shared<Document>(params.uri, key, params.version, params.text, tableFor(params.uri),
                                               projects_.findingsFor(pathOf(params.uri)));
    documents_.insert(params.uri, document);
    updateNames(*document);
    workspace_.setOpen(document->key, document->names);
}

void Server::change(const DidChangeParams &params)
{
    if (tooLarge_.contains(params.uri))
        return;
    auto found = documents_.find(params.uri);
    if (found == documents_.end())
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("the document is not open")};
    Document &document = **found;
    bool namesTouched = false;
    for (const ContentChange &change : params.changes) {
        // A change that would make the script too large to keep is not made: the script is let go.
        if (!fitsAfter(document, change)) {
            const QString uri = document.uri;
            loadsChanged(loads_.close(document.key));
            workspace_.close(document.key);
            documents_.erase(found);
            refuse(uri);
            return;
        }
        const TextDocument::Edit edit = change.range
                                            ? document.text.replace(change.range->start, change.range->end, change.text)
                                            : document.text.replaceAll(change.text);
        namesTouched = document.findings.update(document.text.check(), edit) || namesTouched;
        document.loads.linesReplaced(edit.first, edit.removed, edit.added);
        document.flowPending = true;
        // Typing in a message or a label asks nothing new of other scripts.
        document.loadsEdited = document.findings.takeLoadsChanged() || document.loadsEdited;
    }
    if (params.version)
        document.version = *params.version;
    document.dirty = true;
    // The names offered are gathered again only when a line that offers one was touched.
    if (namesTouched)
        updateNames(document);
}

// Whether the script stays within the sizes kept after `change`.
bool Server::fitsAfter(const Document &document, const ContentChange &change) const
{
    if (!change.range)
        return TextDocument::lineCountOf(change.text) <= kMaxLines && change.text.size() <= kMaxCharacters;
    const TextDocument &text = document.text;
    const Position start = text.clamped(std::min(change.range->start, change.range->end));
    const Position end = text.clamped(std::max(change.range->start, change.range->end));
    const int lines = text.lineCount() - (end.line - start.line) + TextDocument::lineCountOf(change.text) - 1;
    const qsizetype characters = text.characterCount() - text.charactersBetween(start, end) + change.text.size();
    return lines <= kMaxLines && characters <= kMaxCharacters;
}

// A script too large to keep in the checker's store: it is not checked, and the
// user is told once.
void Server::refuse(const QString &uri)
{
    tooLarge_.insert(uri);
    send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning,
                             QStringLiteral("talewick-check: %1 は大きすぎるため調べません（%2行、%3文字まで）")
                                 .arg(uri)
                                 .arg(kMaxLines)
                                 .arg(kMaxCharacters)));
    send(clearDiagnostics(uri));
}

void Server::close(const QString &uri)
{
    tooLarge_.remove(uri);
    const auto found = documents_.find(uri);
    if (found == documents_.end())
        return;
    const QString key = (*found)->key;
    documents_.erase(found);
    loadsChanged(loads_.close(key));
    workspace_.close(key);
    // Its diagnostics go with it.
    send(clearDiagnostics(uri));
}

void Server::filesChanged(const DidChangeWatchedFilesParams &params)
{
    bool projectChanged = false;
    for (const QString &uri : params.uris) {
        const QString path = pathOf(uri);
        if (path.isEmpty())
            continue;
        // A deleted file reads as none and defines nothing.
        workspace_.fileChanged(path);
        projectChanged = projects_.fileChanged(path) || projectChanged;
    }
    if (projectChanged) {
        retarget();
        workspace_.projectEncodingsChanged();
    }
}

// The client's settings changed: talewick.target and the paths beside it.
void Server::configurationChanged(const QJsonValue &params)
{
    for (const QString &problem :
         projects_.setClientSettings(params.toObject().value(QLatin1String("settings")), firstFolder_))
        send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning, problem));
    retarget();
}

// Checks again, from their text, the open scripts whose table is no longer the
// one they were checked with, and filters anew the findings of those whose
// project now leaves out or holds otherwise other findings.
void Server::retarget()
{
    for (auto entry = documents_.begin(); entry != documents_.end(); ++entry) {
        Document &old = **entry;
        std::shared_ptr<const Commands::Table> table = tableFor(old.uri);
        const FindingPolicy policy = projects_.findingsFor(pathOf(old.uri));
        if (table == old.table) {
            if (policy != old.text.findingPolicy())
                old.setFindingPolicy(policy);
            continue;
        }
        auto checked =
            std::make_shared<Document>(old.uri, old.key, old.version, old.text.text(), std::move(table), policy);
        checked->names = old.names;
        *entry = checked;
        updateNames(*checked);
    }
    // Server folders, or their npc lists, may be others now.
    loadOrders_.clear();
    loadsChanged(loads_.placeAgain());
}

// The table the script at `uri` is checked with; what its project file does not
// understand is told to the user.
std::shared_ptr<const Commands::Table> Server::tableFor(const QString &uri)
{
    std::shared_ptr<const Commands::Table> table = projects_.forScript(pathOf(uri));
    if (const QString server = projects_.serverFolderOf(pathOf(uri)); !server.isEmpty())
        table = folders_.tableFor(server, table);
    for (const QString &problem : folders_.takeNewProblems())
        send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning,
                                 QStringLiteral("talewick-check: %1").arg(problem)));
    for (const ProjectFile::Warning &warning : projects_.takeWarnings())
        send(messageNotification(QStringLiteral("window/showMessage"), MessageType::kWarning,
                                 QStringLiteral("talewick-check: %1").arg(ProjectFile::text(warning))));
    return table;
}

void Server::updateNames(Document &document)
{
    Workspace::Names names{document.findings.functionNames(), document.findings.playerVariablesSet()};
    if (names != document.names) {
        document.names = std::move(names);
        workspace_.setOpen(document.key, document.names);
    }
}

const TextDocument &Server::document(const QString &uri) const
{
    const auto found = documents_.constFind(uri);
    if (found == documents_.cend() && tooLarge_.contains(uri))
        throw RequestError{ErrorCode::kRequestFailed, QStringLiteral("大きすぎるため調べていないファイルです")};
    if (found == documents_.cend())
        throw RequestError{ErrorCode::kInvalidParams, QStringLiteral("the document is not open")};
    return (*found)->text;
}

QVector<Location> Server::functionDefinitions(const QString &name) const
{
    QVector<Location> locations;
    for (const std::shared_ptr<Document> &document : documents_) {
        for (const Findings::Line &line : document->findings.lines()) {
            if (line.function.name == name)
                locations.append(
                    {document->uri, Range::onLine(line.number, line.function.column, line.function.length)});
        }
    }
    for (const auto &[path, site] : workspace_.definitionsOnDisk(name))
        locations.append({QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
                          Range::onLine(site.line, site.column, site.length)});
    return locations;
}

bool Server::judgeFlow()
{
    if (state_ != State::Running)
        return false;
    bool changed = false;
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        if (!std::exchange(document->flowPending, false))
            continue;
        const QVector<int> lines = document->text.updateFlow();
        document->findings.refreshLines(document->text.check(), lines);
        document->dirty = document->dirty || !lines.isEmpty();
        changed = changed || !lines.isEmpty();
    }
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        if (std::exchange(document->loadsEdited, false))
            changed = judgeLoads(*document) || changed;
    }
    return shareWindows() || changed;
}

// What the scripts' functions do to the window, shared once the workspace is read:
// the open scripts whose calls it changes are judged again.
bool Server::shareWindows()
{
    if (workspace_.hasFolders() && !workspace_.complete())
        return false;
    QVector<WindowSharing::Open> open;
    QVector<Document *> documents;
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        open.append({document->key, &document->text, document->flowPending});
        documents.append(document.get());
    }
    const WindowSharing::Changed changed = windowSharing_.share(open, workspace_);
    for (const auto &[index, lines] : changed) {
        Document &document = *documents.at(index);
        document.findings.refreshLines(document.text.check(), lines);
        document.dirty = true;
    }
    return !changed.isEmpty();
}

bool Server::idle()
{
    if (state_ != State::Running)
        return false;
    const bool judgeCalls = workspace_.complete();
    const bool callsChanged = callsGeneration() != publishedGeneration_;
    publishedGeneration_ = callsGeneration();
    // Whether calls by name are judged changes once the workspace is read.
    const bool workspaceRead = !workspace_.hasFolders() || workspace_.complete();
    if (std::exchange(loadsWorkspaceRead_, workspaceRead) != workspaceRead) {
        for (const std::shared_ptr<Document> &document : std::as_const(documents_))
            document->loadsStale = true;
    }
    // Judging one may make others stale: those are judged in turn.
    for (bool judged = true; std::exchange(judged, false);) {
        for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
            if (document->loadsStale) {
                judgeLoads(*document);
                judged = true;
            }
        }
    }
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        if (document->dirty || (callsChanged && judgeCalls))
            publish(*document);
    }
    const bool more = workspace_.scanSome(20);
    // A file read may change what the load order decides in an open script.
    if (std::exchange(loadsDirtied_, false))
        return true;
    // The workspace read to its end, or a file on disk changed, may change what a call does.
    if (!more && shareWindows())
        return true;
    // A slice that finished the workspace, or found functions or variables set,
    // changes how calls and reads are judged.
    return more || callsGeneration() != publishedGeneration_;
}

// Changes whenever calls or reads may be judged otherwise: functions defined or
// gone, player variables set or no longer, the workspace read to its end.
quint64 Server::callsGeneration() const
{
    return workspace_.generation() * 2 + (workspace_.complete() ? 1 : 0);
}

void Server::publish(Document &document)
{
    std::function<bool(const QString &)> defined;
    VariableJudge variables;
    if (workspace_.complete()) {
        defined = [this](const QString &name) { return workspace_.defines(name); };
        variables.isSet = [this](const QString &key) { return workspace_.setsVariable(key); };
        variables.nearest = [this](const QString &name) { return workspace_.nearestVariable(name); };
    }
    const QHash<int, Diagnostics> loads = document.loads.byLine();
    output_(publishMessage(document.findings, document.uri, document.version, defined, variables, loads));
    document.dirty = false;
}

// Files the script's sum anew, and judges what the load order decides for it;
// the other open scripts whose findings that may change are judged again at the
// next idle. Returns whether its findings changed. Costs what the script defines.
bool Server::judgeLoads(Document &document)
{
    document.loadsStale = false;
    OpenLoads loads = openLoads(document.findings);
    loadsChanged(loads_.setOpen(document.key, std::move(loads.uses), std::move(loads.clashSilenced)));
    // Until the workspace is read whole, a function called by name may be defined
    // in a script loaded first.
    const bool workspaceRead = !workspace_.hasFolders() || workspace_.complete();
    const bool changed =
        !document.loads.replace(loads_.judge(document.key, document.table->target(), workspaceRead)).isEmpty();
    document.dirty = document.dirty || changed;
    return changed;
}

void Server::loadsChanged(const QSet<QString> &keys)
{
    if (keys.isEmpty())
        return;
    for (const std::shared_ptr<Document> &document : std::as_const(documents_)) {
        if (keys.contains(document->key) && !document->loadsStale) {
            document->loadsStale = true;
            loadsDirtied_ = true;
        }
    }
}

// Where the script of `key` stands in the load order of its project's server folder.
LoadSharing::Place Server::loadPlaceOf(const QString &key)
{
    if (!QDir::isAbsolutePath(key))
        return {};
    const QString server = projects_.serverFolderOf(key);
    if (server.isEmpty())
        return {};
    const QString folder = LoadSharing::absolutePath(server);
    auto places = loadOrders_.find(folder);
    if (places == loadOrders_.end()) {
        const std::shared_ptr<const Commands::Table> table = folders_.tableFor(server, projects_.forScript(key));
        const std::shared_ptr<const ServerFolder::Facts> facts = table ? table->serverFacts() : nullptr;
        const QStringList order = facts ? facts->loadOrder : QStringList();
        places = loadOrders_.insert(folder, {LoadSharing::placesIn(folder, order), int(order.size())});
    }
    return {folder, places->positions.value(LoadSharing::absolutePath(key), -1), places->listed};
}

void Server::send(const QJsonObject &message)
{
    output_(frame(message));
}

void Server::log(const QString &message)
{
    send(messageNotification(QStringLiteral("window/logMessage"), MessageType::kLog, message));
}

} // namespace Lsp
