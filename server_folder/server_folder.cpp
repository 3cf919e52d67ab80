#include "server_folder.h"

#include "file_readers.h"
#include "folder_files.h"
#include "load_order.h"

#include <QFileInfo>

#include <functional>

namespace ServerFolder {

namespace {

using Reader = std::function<Facts(const QByteArray &, const QString &)>;
using Readers::Table;

// A broken file brings its problem alone, so what it holds never half-counts.
void merge(Facts &&from, Facts &into)
{
    if (!from.problems.isEmpty()) {
        into.problems.append(from.problems);
        return;
    }
    into.constants.insert(from.constants);
    into.deprecatedConstants.unite(from.deprecatedConstants);
    into.maps.unite(from.maps);
    into.items.append(std::move(from.items));
    into.monsters.append(std::move(from.monsters));
    into.skills.append(std::move(from.skills));
}

void readFile(const QDir &folder, const QString &relative, const Reader &reader, Facts &into)
{
    if (const std::optional<QByteArray> bytes = FolderFiles::read(folder, relative, into.problems)) {
        merge(reader(*bytes, relative), into);
    }
}

void readYamlTables(const QDir &folder, Facts &into)
{
    const QString renewal = QFileInfo::exists(folder.filePath(QStringLiteral("db/re"))) ? QStringLiteral("db/re")
                                                                                        : QStringLiteral("db/pre-re");
    for (const QString &dir : {QStringLiteral("db"), renewal}) {
        for (const QString &file : FolderFiles::matching(folder, dir, QStringLiteral("item_db*.yml"))) {
            readFile(
                folder, file, [](auto &b, auto &f) { return Readers::entryDbYaml(b, f, Table::Items); }, into);
        }
        readFile(
            folder, dir + QStringLiteral("/mob_db.yml"),
            [](auto &b, auto &f) { return Readers::entryDbYaml(b, f, Table::Monsters); }, into);
    }
}

void readTables(const QDir &folder, Facts &into)
{
    readFile(
        folder, FolderFiles::renewalFirst(folder, QStringLiteral("item_db.conf")),
        [](auto &b, auto &f) { return Readers::entryDbConf(b, f, Table::Items); }, into);
    readFile(
        folder, FolderFiles::renewalFirst(folder, QStringLiteral("mob_db.conf")),
        [](auto &b, auto &f) { return Readers::entryDbConf(b, f, Table::Monsters); }, into);
    readFile(
        folder, QStringLiteral("db/item_db.txt"),
        [](auto &b, auto &f) { return Readers::entryDbTxt(b, f, Table::Items); }, into);
    readFile(
        folder, QStringLiteral("db/mob_db.txt"),
        [](auto &b, auto &f) { return Readers::entryDbTxt(b, f, Table::Monsters); }, into);
    readYamlTables(folder, into);
    readFile(folder, FolderFiles::renewalFirst(folder, QStringLiteral("skill_db.conf")), Readers::skillDbConf, into);
}

void findCommandSource(const QDir &folder, Facts &into)
{
    const std::pair<QString, Family> sources[] = {{QStringLiteral("src/map/script.c"), Family::ExactCase},
                                                  {QStringLiteral("src/map/script.cpp"), Family::AnyCase}};
    for (const auto &[path, family] : sources) {
        if (QFileInfo(folder.filePath(path)).isFile()) {
            into.commandSource = path;
            into.family = family;
            return;
        }
    }
}

} // namespace

Facts read(const QString &dir)
{
    const QDir folder(dir);
    Facts facts;
    readFile(folder, QStringLiteral("db/constants.conf"), Readers::constantsConf, facts);
    readFile(folder, QStringLiteral("db/const.txt"), Readers::constTxt, facts);
    readFile(folder, QStringLiteral("db/map_index.txt"), Readers::mapIndex, facts);
    readTables(folder, facts);
    LoadOrder::read(folder, facts);
    findCommandSource(folder, facts);
    return facts;
}

} // namespace ServerFolder
