#include "language_server/workspace.h"

#include "common/code_page.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QElapsedTimer>

#include <algorithm>

namespace Lsp {

QVector<ScriptCheck::FunctionUse> functionsDefinedIn(const QByteArray &bytes)
{
    // Most scripts define none: only those that name the kind are read whole.
    if (!bytes.contains("unction") && !bytes.toLower().contains("function"))
        return {};
    const QString text = CodePage932::decode(bytes);
    ScriptCheck check(Commands::Table::builtIn(), ScriptCheck::Options{false, false});
    check.replaceLines(0, 0, LineBreaks::splitSharing(text));
    return check.functionDefinitions();
}

void Workspace::addFolder(const QString &path)
{
    if (path.isEmpty() || folders_.contains(path))
        return;
    folders_.append(path);
    queued_.append(path);
}

bool Workspace::scanSome(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!timer.hasExpired(milliseconds)) {
        if (!iterator_) {
            if (queued_.isEmpty())
                return false;
            iterator_ = std::make_unique<QDirIterator>(queued_.takeFirst(), QStringList{QStringLiteral("*.txt")},
                                                       QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
        }
        if (!iterator_->hasNext() || filesRead_ >= kMaxFiles) {
            iterator_.reset();
            continue;
        }
        const QString path = iterator_->next();
        ++filesRead_;
        readFile(path);
    }
    return iterator_ || !queued_.isEmpty();
}

void Workspace::readFile(const QString &path)
{
    const RegularFile::Result read = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
    File file;
    if (read.status == RegularFile::Result::Status::Read)
        file.sites = functionsDefinedIn(read.bytes);
    for (const ScriptCheck::FunctionUse &site : std::as_const(file.sites))
        file.names.insert(site.name);
    setFile(path, std::move(file));
}

void Workspace::setFile(const QString &path, File file)
{
    changing(path, [&] {
        if (file.sites.isEmpty())
            disk_.remove(path);
        else
            disk_.insert(path, std::move(file));
    });
}

void Workspace::setOpen(const QString &key, const QSet<QString> &names)
{
    // An open script stands for its file even when it defines nothing.
    changing(key, [&] { open_.insert(key, names); });
}

void Workspace::close(const QString &key)
{
    if (!open_.contains(key))
        return;
    changing(key, [&] { open_.remove(key); });
    fileChanged(key);
}

void Workspace::fileChanged(const QString &path)
{
    const bool inside = std::any_of(folders_.cbegin(), folders_.cend(), [&](const QString &folder) {
        return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
    });
    if (inside && path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        readFile(path);
    else if (disk_.contains(path))
        setFile(path, File{});
}

// Makes `change` to what `key` stands for, and files its names anew.
void Workspace::changing(const QString &key, const std::function<void()> &change)
{
    const QSet<QString> before = effective(key);
    change();
    const QSet<QString> after = effective(key);
    if (before == after)
        return;
    for (const QString &name : before) {
        if (after.contains(name))
            continue;
        const auto keys = keysByName_.find(name);
        keys->remove(key);
        if (keys->isEmpty())
            keysByName_.erase(keys);
    }
    for (const QString &name : after)
        keysByName_[name].insert(key);
    ++generation_;
}

// The names a file stands for now: its open script's, or else what its file on disk defines.
QSet<QString> Workspace::effective(const QString &key) const
{
    const auto open = open_.constFind(key);
    if (open != open_.cend())
        return *open;
    const auto disk = disk_.constFind(key);
    return disk != disk_.cend() ? disk->names : QSet<QString>{};
}

QStringList Workspace::names() const
{
    QStringList all = keysByName_.keys();
    std::sort(all.begin(), all.end());
    return all;
}

QVector<std::pair<QString, ScriptCheck::FunctionUse>> Workspace::definitionsOnDisk(const QString &name) const
{
    QVector<std::pair<QString, ScriptCheck::FunctionUse>> found;
    for (const QString &key : keysByName_.value(name)) {
        if (open_.contains(key))
            continue;
        for (const ScriptCheck::FunctionUse &site : disk_.value(key).sites) {
            if (site.name == name)
                found.append({key, site});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return a.first < b.first || (a.first == b.first && a.second.line < b.second.line);
    });
    return found;
}

} // namespace Lsp
