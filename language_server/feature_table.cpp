#include "language_server/feature_table.h"

namespace Lsp {

const FeatureTable::Handler *FeatureTable::find(const QString &method) const
{
    const auto found = handlers_.constFind(method);
    return found == handlers_.cend() ? nullptr : &*found;
}

ServerCapabilities FeatureTable::capabilities(const ClientCapabilities &client) const
{
    ServerCapabilities server;
    for (const Offer &offer : offers_)
        offer(server, client);
    return server;
}

const FeatureTable &FeatureTable::all()
{
    static const FeatureTable table = [] {
        FeatureTable features;
#define TALEWICK_LSP_FEATURE(name) Features::register_##name(features);
#include "lsp_features.inc"
#undef TALEWICK_LSP_FEATURE
        return features;
    }();
    return table;
}

} // namespace Lsp
