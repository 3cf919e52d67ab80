#pragma once

#include "checker/diagnostic.h"
#include "checker/load_order_rules.h"
#include "checker/target.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace Lsp {

// What today's servers decide as they load the workspace's scripts one after
// another (LoadOrderRules), judged across them: each script, open or on disk, is
// kept as its sum (what it defines and asks, never its lines), and an open script
// is judged with the scripts that define a name it asks for or uses. Scripts of one
// server folder are loaded in the order its npc lists give; those the lists do not
// name, and every script of no server folder, stand in no known order.
class LoadSharing
{
public:
    // Where a script stands: its server folder (empty for none), its place in that
    // folder's load order (-1 when not listed) and how many scripts the order lists.
    struct Place
    {
        QString server;
        int position = -1;
        int listed = 0;
        friend bool operator==(const Place &a, const Place &b)
        {
            return a.server == b.server && a.position == b.position && a.listed == b.listed;
        }
    };
    using PlaceOf = std::function<Place(const QString &key)>;
    explicit LoadSharing(PlaceOf placeOf) : placeOf_(std::move(placeOf)) {}

    // Each returns the open scripts, by key, whose findings may change with it.
    // A file on disk read (empty uses: gone, or nothing to offer).
    QSet<QString> setOnDisk(const QString &path, LoadOrderRules::Uses uses);
    // An open script's sum; `clashSilenced` are its lines where a name used twice is not told.
    QSet<QString> setOpen(const QString &key, LoadOrderRules::Uses uses, QSet<int> clashSilenced);
    QSet<QString> close(const QString &key);
    // The server folders or their load orders may have changed: every script is placed again.
    QSet<QString> placeAgain();

    // What the load order decides for the open script of `key`, by line. Until
    // `workspaceRead`, a function called by name may be defined in a script not yet
    // read, and a duplicate's source anywhere: neither is judged.
    QHash<int, Diagnostics> judge(const QString &key, const Target &target, bool workspaceRead) const;

    // The places of the scripts a server folder's npc lists name, by absolute path.
    static QHash<QString, int> placesIn(const QString &folder, const QStringList &order);
    static QString absolutePath(const QString &path);

private:
    struct Entry
    {
        LoadOrderRules::Uses uses;
        Place place;
        QSet<int> clashSilenced;
    };
    const Entry *effective(const QString &key) const;
    QSet<QString> changing(const QString &key, const std::function<void()> &change);
    void file(const QString &key, const Entry *entry, int by);
    QSet<QString> openAsking(const QString &key, const QSet<QString> &names, const QString &server) const;

    PlaceOf placeOf_;
    QHash<QString, Entry> disk_;
    QHash<QString, Entry> open_;
    QHash<QString, QSet<QString>> keysByName_;  // the scripts that define each NPC name or function
    // By server folder, how many kept scripts stand at each place of its order.
    QHash<QString, QHash<int, int>> placesKept_;
};

// The names a script offers others (NPCs' names, functions) and asks of them.
QSet<QString> namesOffered(const LoadOrderRules::Uses &uses);
QSet<QString> namesAsked(const LoadOrderRules::Uses &uses);

} // namespace Lsp
