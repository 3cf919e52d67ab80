#include "checker/server_folders.h"

#include <QDir>

const ServerTable::Folder &ServerFolders::folder(const QString &dir)
{
    auto known = folders_.find(dir);
    if (known == folders_.end()) {
        known = folders_.emplace(dir, ServerTable::read(dir)).first;
        order_.append(dir);
    }
    return known->second;
}

std::shared_ptr<const Commands::Table> ServerFolders::tableFor(const QString &dir,
                                                               const std::shared_ptr<const Commands::Table> &base)
{
    const QString key = QDir::cleanPath(QDir(dir).absolutePath());
    // Reading a folder takes a moment: workers that ask for it meanwhile wait for the one reading.
    const std::lock_guard<std::mutex> lock(mutex_);
    auto table = tables_.find({key, base.get()});
    if (table == tables_.end()) {
        // The base is kept alive with the table made from it, so its address names no other table.
        table =
            tables_.emplace(std::pair{key, base.get()}, ServerTable::forFolder(folder(key), *base, keepRows_)).first;
        bases_.push_back(base);
    }
    return table->second;
}

QStringList ServerFolders::summaries() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    QStringList lines;
    for (const QString &dir : order_)
        lines.append(ServerTable::summary(*folders_.at(dir).facts));
    return lines;
}

QStringList ServerFolders::problems() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    QStringList lines;
    for (const QString &dir : order_)
        lines += folders_.at(dir).problems;
    return lines;
}

QStringList ServerFolders::takeNewProblems()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    QStringList lines;
    for (; told_ < order_.size(); ++told_)
        lines += folders_.at(order_.at(told_)).problems;
    return lines;
}
