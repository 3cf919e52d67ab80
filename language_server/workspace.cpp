#include "language_server/workspace.h"

#include "checker/script_check.h"
#include "common/code_page.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QElapsedTimer>

#include <algorithm>

namespace Lsp {

QSet<QString> functionsDefinedIn(const QByteArray &bytes)
{
    QSet<QString> names;
    // Most scripts define none: only those that name the kind are read whole.
    if (!bytes.contains("unction") && !bytes.toLower().contains("function"))
        return names;
    const QString text = CodePage932::decode(bytes);
    ScriptCheck check(Commands::Table::builtIn(), ScriptCheck::Options{false, false});
    check.replaceLines(0, 0, LineBreaks::splitSharing(text));
    for (const ScriptCheck::FunctionUse &function : check.functionDefinitions())
        names.insert(function.name);
    return names;
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
        if (!open_.contains(path))
            readFile(path);
    }
    return iterator_ || !queued_.isEmpty();
}

void Workspace::readFile(const QString &path)
{
    const RegularFile::Result file = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
    set(disk_, path,
        file.status == RegularFile::Result::Status::Read ? functionsDefinedIn(file.bytes) : QSet<QString>{});
}

void Workspace::setOpen(const QString &key, const QSet<QString> &names)
{
    set(open_, key, names);
}

void Workspace::close(const QString &key)
{
    if (!open_.contains(key))
        return;
    count(effective(key), -1);
    open_.remove(key);
    count(effective(key), 1);
    ++generation_;
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
        set(disk_, path, {});
}

void Workspace::set(QHash<QString, QSet<QString>> &sources, const QString &key, const QSet<QString> &names)
{
    // An open script stands for its file even when it defines nothing.
    const bool keepEmpty = &sources == &open_;
    const auto old = sources.constFind(key);
    if (old != sources.cend() ? *old == names : names.isEmpty() && !keepEmpty)
        return;
    const QSet<QString> *before = effective(key);
    const QSet<QString> wasDefined = before ? *before : QSet<QString>{};
    count(before, -1);
    if (names.isEmpty() && !keepEmpty)
        sources.remove(key);
    else
        sources.insert(key, names);
    count(effective(key), 1);
    const QSet<QString> *after = effective(key);
    if (wasDefined != (after ? *after : QSet<QString>{}))
        ++generation_;
}

// The names a file stands for now: its open script's, or else what its file on disk defines.
const QSet<QString> *Workspace::effective(const QString &key) const
{
    const auto open = open_.constFind(key);
    if (open != open_.cend())
        return &*open;
    const auto disk = disk_.constFind(key);
    return disk != disk_.cend() ? &*disk : nullptr;
}

void Workspace::count(const QSet<QString> *names, int by)
{
    if (!names)
        return;
    for (const QString &name : *names) {
        const int now = counts_.value(name) + by;
        if (now > 0)
            counts_.insert(name, now);
        else
            counts_.remove(name);
    }
}

QStringList Workspace::names() const
{
    QStringList all = counts_.keys();
    std::sort(all.begin(), all.end());
    return all;
}

} // namespace Lsp
