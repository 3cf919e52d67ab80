#include "load_order.h"

#include "file_readers.h"
#include "folder_files.h"

#include <QSet>

namespace {

using ServerFolder::Readers::NpcListLine;

class LoadOrderReader
{
public:
    LoadOrderReader(const QDir &folder, ServerFolder::Facts &into) : folder_(folder), into_(into) {}

    void readList(const QString &relative)
    {
        if (visited_.contains(relative)) {
            return;
        }
        visited_.insert(relative);
        const std::optional<QByteArray> bytes = FolderFiles::read(folder_, relative, into_.problems);
        if (!bytes) {
            return;
        }
        const ServerFolder::Readers::NpcList list = ServerFolder::Readers::npcList(*bytes, relative);
        into_.problems.append(list.problems);
        for (const NpcListLine &line : list.lines) {
            apply(line);
        }
    }

private:
    void apply(const NpcListLine &line)
    {
        switch (line.kind) {
        case NpcListLine::Kind::Npc:
            if (!into_.loadOrder.contains(line.path)) {
                into_.loadOrder.append(line.path);
            }
            break;
        case NpcListLine::Kind::DelNpc:
            into_.loadOrder.removeAll(line.path);
            break;
        case NpcListLine::Kind::Import:
            readList(line.path);
            break;
        }
    }

    const QDir &folder_;
    ServerFolder::Facts &into_;
    QSet<QString> visited_;
};

} // namespace

namespace LoadOrder {

void read(const QDir &folder, ServerFolder::Facts &into)
{
    LoadOrderReader reader(folder, into);
    reader.readList(QStringLiteral("npc/scripts_main.conf"));
    const QStringList lists = FolderFiles::matching(folder, QStringLiteral("npc"), QStringLiteral("scripts*.conf"));
    for (const QString &list : lists) {
        reader.readList(list);
    }
}

} // namespace LoadOrder
