#include "language_server/load_sharing.h"

#include "checker/rules.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Lsp {

namespace {

// The names of the NPCs whose bodies the sum's lines open, by body.
QHash<quint64, QString> npcsByBody(const LoadOrderRules::Uses &uses)
{
    QHash<quint64, QString> npcs;
    for (const LoadOrderRules::Use &npc : uses.npcs) {
        if (npc.body != 0)
            npcs.insert(npc.body, npc.name);
    }
    return npcs;
}

// What another script's findings may follow from: the names offered, each NPC's
// local functions and whether they are public, and the place in the load order.
QSet<QString> signature(const LoadOrderRules::Uses &uses, const LoadSharing::Place &place)
{
    QSet<QString> marks;
    for (const LoadOrderRules::Use &npc : uses.npcs)
        marks.insert(QLatin1String("n\t") + npc.name);
    for (const LoadOrderRules::Use &function : uses.fileFunctions)
        marks.insert(QLatin1String("f\t") + function.name);
    const QHash<quint64, QString> npcs = npcsByBody(uses);
    for (const LoadOrderRules::LocalFunction &function : uses.localFunctions)
        marks.insert(QStringLiteral("l\t%1\t%2\t%3")
                         .arg(npcs.value(function.body), function.name, function.isPublic ? u"+" : u"-"));
    marks.insert(QStringLiteral("p\t%1\t%2\t%3").arg(place.server).arg(place.position).arg(place.listed));
    return marks;
}

} // namespace

QSet<QString> namesOffered(const LoadOrderRules::Uses &uses)
{
    QSet<QString> names;
    for (const LoadOrderRules::Use &npc : uses.npcs)
        names.insert(npc.name);
    for (const LoadOrderRules::Use &function : uses.fileFunctions)
        names.insert(function.name);
    return names;
}

QSet<QString> namesAsked(const LoadOrderRules::Uses &uses)
{
    QSet<QString> names;
    for (const LoadOrderRules::Use &npc : uses.npcs) // another NPC may hold the same name
        names.insert(npc.name);
    for (const LoadOrderRules::Use &source : uses.duplicateSources)
        names.insert(source.name);
    for (const LoadOrderRules::Use &call : uses.callsByName)
        names.insert(call.name);
    for (const LoadOrderRules::NpcCall &call : uses.npcCalls)
        names.insert(call.npc);
    return names;
}

QString LoadSharing::absolutePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QHash<QString, int> LoadSharing::placesIn(const QString &folder, const QStringList &order)
{
    QHash<QString, int> places;
    const QDir dir(folder);
    // Lists written on Windows may separate folders with backslashes.
    for (int position = 0; position < order.size(); ++position)
        places.insert(absolutePath(dir.filePath(QString(order.at(position)).replace(u'\\', u'/'))), position);
    return places;
}

QSet<QString> LoadSharing::setOnDisk(const QString &path, LoadOrderRules::Uses uses)
{
    return changing(path, [&] { disk_.insert(path, {std::move(uses), placeOf_(path), {}}); });
}

QSet<QString> LoadSharing::setOpen(const QString &key, LoadOrderRules::Uses uses, QSet<int> clashSilenced)
{
    return changing(key, [&] { open_.insert(key, {std::move(uses), placeOf_(key), std::move(clashSilenced)}); });
}

QSet<QString> LoadSharing::close(const QString &key)
{
    return changing(key, [&] { open_.remove(key); });
}

QSet<QString> LoadSharing::placeAgain()
{
    QSet<QString> keys;
    for (const QString &key : disk_.keys())
        keys += changing(key, [&] { disk_[key].place = placeOf_(key); });
    for (const QString &key : open_.keys()) {
        const Place was = open_.value(key).place;
        keys += changing(key, [&] { open_[key].place = placeOf_(key); });
        if (!(open_.value(key).place == was))
            keys.insert(key);
    }
    return keys;
}

const LoadSharing::Entry *LoadSharing::effective(const QString &key) const
{
    const auto open = open_.constFind(key);
    if (open != open_.cend())
        return &*open;
    const auto disk = disk_.constFind(key);
    return disk != disk_.cend() ? &*disk : nullptr;
}

// Makes `change` to what `key` stands for and files it anew; returns the open
// scripts that ask for a name it offered or offers, when what it offers changed.
QSet<QString> LoadSharing::changing(const QString &key, const std::function<void()> &change)
{
    const Entry *was = effective(key);
    const Entry before = was ? *was : Entry{};
    file(key, was, -1);
    change();
    const Entry *now = effective(key);
    file(key, now, +1);
    const Entry after = now ? *now : Entry{};
    if (signature(before.uses, before.place) == signature(after.uses, after.place))
        return {};
    const QSet<QString> names = namesOffered(before.uses) + namesOffered(after.uses);
    QSet<QString> keys = openAsking(key, names, before.place.server) + openAsking(key, names, after.place.server);
    // A script that fills or empties a place of the order may make a source missing
    // everywhere, or no longer: every open script of the folder is judged again.
    if (before.place.position != after.place.position) {
        for (auto open = open_.cbegin(); open != open_.cend(); ++open) {
            if (open.key() != key && !after.place.server.isEmpty() && open->place.server == after.place.server)
                keys.insert(open.key());
        }
    }
    return keys;
}

void LoadSharing::file(const QString &key, const Entry *entry, int by)
{
    if (!entry)
        return;
    for (const QString &name : namesOffered(entry->uses)) {
        QSet<QString> &keys = keysByName_[name];
        if (by > 0)
            keys.insert(key);
        else
            keys.remove(key);
        if (keys.isEmpty())
            keysByName_.remove(name);
    }
    if (entry->place.position < 0)
        return;
    QHash<int, int> &kept = placesKept_[entry->place.server];
    if ((kept[entry->place.position] += by) <= 0)
        kept.remove(entry->place.position);
}

QSet<QString> LoadSharing::openAsking(const QString &key, const QSet<QString> &names, const QString &server) const
{
    QSet<QString> keys;
    for (auto open = open_.cbegin(); open != open_.cend(); ++open) {
        if (open.key() != key && open->place.server == server && namesAsked(open->uses).intersects(names))
            keys.insert(open.key());
    }
    return keys;
}

QHash<int, Diagnostics> LoadSharing::judge(const QString &key, const Target &target, bool workspaceRead) const
{
    QHash<int, Diagnostics> byLine;
    const auto self = open_.constFind(key);
    if (self == open_.cend() || self->uses.isEmpty())
        return byLine;
    const QString &server = self->place.server;
    std::vector<LoadOrderRules::File> files(1);
    files.front() = {key, self->uses, target, self->place.position};
    // A function called by name may be defined, earlier, in a script not yet read.
    if (!workspaceRead)
        files.front().uses.callsByName.clear();
    QSet<QString> taken{key};
    for (const QString &name : namesAsked(self->uses)) {
        for (const QString &other : keysByName_.value(name)) {
            const Entry *entry = taken.contains(other) ? nullptr : effective(other);
            if (!entry || entry->place.server != server)
                continue;
            taken.insert(other);
            // Messages name it as the npc lists do: from its server folder.
            const QString name = server.isEmpty() ? other : QDir(server).relativeFilePath(other);
            files.push_back({name, entry->uses, target, entry->place.position});
        }
    }
    LoadOrderRules::World world;
    for (const LoadOrderRules::File &file : files)
        world.files.push_back(&file);
    world.everyFileChecked = workspaceRead && !server.isEmpty() && self->place.listed > 0 &&
                             placesKept_.value(server).size() == self->place.listed;
    std::vector<Diagnostics> found = LoadOrderRules::judge(world);
    for (Diagnostic &d : found.front()) {
        if (d.rule != Rule::UniqueNameTaken || !self->clashSilenced.contains(d.line))
            byLine[d.line].append(std::move(d));
    }
    return byLine;
}

} // namespace Lsp
