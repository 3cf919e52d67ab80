#pragma once

#include "checker/commands.h"
#include "checker/server_folders.h"
#include "language_server/feature_table.h"
#include "checker/moving_findings.h"
#include "language_server/findings.h"
#include "language_server/load_sharing.h"
#include "language_server/message_reader.h"
#include "language_server/project_tables.h"
#include "language_server/protocol.h"
#include "language_server/text_document.h"
#include "language_server/window_sharing.h"
#include "language_server/workspace.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <functional>
#include <memory>
#include <optional>

namespace Lsp {

// The checker as a language server: it reads the protocol's messages as they come,
// keeps every open script in the checker's incremental store, answers requests
// at once, and publishes diagnostics once the messages that came together are
// handled. It does no input or output itself, so that tests and the fuzzer drive
// it as the standard streams do.
class Server : private Context
{
public:
    using Output = std::function<void(const QByteArray &)>;
    struct Settings
    {
        // The command table; when null, the workspace's commands.tsv (if any) is
        // added to the built-in table.
        std::shared_ptr<const Commands::Table> commands;
        QString version;
        QString commandsPath = {}; // the file `commands` came from, for its family
        // --target and --flag: over the client's settings and the project files.
        std::optional<Target::Servers> target = {};
        QStringList flags = {};
        // --encoding: the workspace's scripts on disk, over the client's setting.
        QString encoding = {};
    };

    // Scripts larger than this are not checked: the store keeps every line, and a
    // server's scripts are far smaller (talewick-check refuses them alike).
    static constexpr int kMaxLines = 1000000;
    static constexpr int kMaxCharacters = 16 * 1024 * 1024;

    Server(Settings settings, Output output);
    ~Server();

    void receive(QByteArrayView bytes);
    // Publishes the diagnostics that changed since the last call, then reads a
    // slice of the workspace; true while the workspace is still being read.
    bool idle();
    // Judges the flow of the scripts changed since the last call (once typing has
    // paused); true when diagnostics are to be published for it.
    bool judgeFlow();
    // How long the input must pause before the flow is judged.
    static constexpr int kFlowPauseMs = 250;
    // The input ended: the server ends too.
    void endOfInput();

    bool exited() const { return state_ == State::Exited; }
    // 0 after shutdown and exit, 1 when the input ended or exit came without shutdown.
    int exitCode() const { return exitCode_; }

private:
    enum class State
    {
        Starting,
        Running,
        ShutDown,
        Exited,
    };
    struct Document;

    void handle(const QByteArray &content);
    void request(const Incoming &incoming);
    void notify(const Incoming &incoming);
    QJsonValue answer(const QString &method, const QJsonValue &params);
    InitializeResult initialize(const InitializeParams &params, const QJsonValue &options);
    void readEncoding(const QJsonValue &options);
    void watchScripts();
    void refuse(const QString &uri);
    void open(const DidOpenParams &params);
    void change(const DidChangeParams &params);
    bool fitsAfter(const Document &document, const ContentChange &change) const;
    void close(const QString &uri);
    void filesChanged(const DidChangeWatchedFilesParams &params);
    void configurationChanged(const QJsonValue &params);
    void retarget();
    std::shared_ptr<const Commands::Table> tableFor(const QString &uri);

    const TextDocument &document(const QString &uri) const override;
    QVector<Location> functionDefinitions(const QString &name) const override;
    bool workspaceComplete() const override { return workspace_.complete(); }
    QStringList functionNames() const override { return workspace_.names(); }
    const Commands::Table &commands() const override { return *commands_; }
    const ClientCapabilities &client() const override { return client_; }

    void send(const QJsonObject &message);
    void log(const QString &message);
    void publish(Document &document);
    void updateNames(Document &document);
    quint64 callsGeneration() const;
    bool shareWindows();
    bool judgeLoads(Document &document);
    void loadsChanged(const QSet<QString> &keys);
    LoadSharing::Place loadPlaceOf(const QString &key);

    Settings settings_;
    Output output_;
    MessageReader reader_;
    State state_ = State::Starting;
    int exitCode_ = 1;
    std::shared_ptr<const Commands::Table> commands_;
    ClientCapabilities client_;
    QHash<QString, std::shared_ptr<Document>> documents_;
    QSet<QString> tooLarge_; // open, but not checked
    Workspace workspace_;
    ProjectTables projects_;
    // The server folders the scripts name, each read once and kept; a --commands table keeps its rows.
    ServerFolders folders_{settings_.commands != nullptr};
    QString firstFolder_; // where the client's relative paths start
    quint64 publishedGeneration_ = 0;
    WindowSharing windowSharing_;
    // What the load order decides across the workspace's scripts, and the places
    // of the scripts each server folder's npc lists name (with how many), by folder.
    LoadSharing loads_{[this](const QString &key) { return loadPlaceOf(key); }};
    struct LoadOrderPlaces
    {
        QHash<QString, int> positions;
        int listed = 0;
    };
    QHash<QString, LoadOrderPlaces> loadOrders_;
    bool loadsDirtied_ = false;      // open scripts were marked to judge again since the last idle
    bool loadsWorkspaceRead_ = true; // whether calls by name were judged when they last were
};

} // namespace Lsp
