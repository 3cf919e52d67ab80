#pragma once

#include "checker/commands.h"
#include "language_server/protocol.h"
#include "language_server/text_document.h"

#include <QHash>

#include <functional>
#include <vector>

namespace Lsp {

// What a feature may look at while it answers: the open scripts, the functions
// of the workspace, the command table and what the client can take.
class Context
{
public:
    virtual ~Context() = default;
    // The open script at `uri`; a RequestError when there is none to look at.
    virtual const TextDocument &document(const QString &uri) const = 0;
    // Where the open scripts and the files on disk define the function `name`.
    virtual QVector<Location> functionDefinitions(const QString &name) const = 0;
    // Whether every file of the workspace has been read, so that a function missing is missing.
    virtual bool workspaceComplete() const = 0;
    virtual QStringList functionNames() const = 0;
    virtual const Commands::Table &commands() const = 0;
    virtual const ClientCapabilities &client() const = 0;
};

// The requests the server answers, each with its handler, and what each feature
// offers in `initialize`. A feature registers itself from its own file, in a
// function the build calls by the file's name (see language_server/CMakeLists.txt):
//
//     void Features::register_hover(FeatureTable &table)
//     {
//         table.add(QStringLiteral("textDocument/hover"), &hover);
//         table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.hover = true; });
//     }
class FeatureTable
{
public:
    using Handler = std::function<QJsonValue(const Context &, const QJsonValue &params)>;
    using Offer = std::function<void(ServerCapabilities &, const ClientCapabilities &)>;

    // A handler that takes the params as `Params::read` reads them; params that
    // do not read are refused by readParams, naming the field, for every request alike.
    template <typename Params, typename Result>
    void add(const QString &method, Result (*handler)(const Context &, const Params &))
    {
        handlers_.insert(method, [handler](const Context &context, const QJsonValue &json) {
            return toJson(handler(context, readParams<Params>(json)));
        });
    }
    void offer(Offer offer) { offers_.push_back(std::move(offer)); }

    // Null when no feature answers `method`.
    const Handler *find(const QString &method) const;
    ServerCapabilities capabilities(const ClientCapabilities &client) const;

    // Every feature the build lists.
    static const FeatureTable &all();

private:
    QHash<QString, Handler> handlers_;
    std::vector<Offer> offers_;
};

// The functions that register each feature, one a file, as the build lists them.
namespace Features {
#define TALEWICK_LSP_FEATURE(name) void register_##name(FeatureTable &table);
#include "lsp_features.inc"
#undef TALEWICK_LSP_FEATURE
} // namespace Features

} // namespace Lsp
