#include "language_server/workspace.h"

#include "checker/language.h"
#include "checker/variable_rules.h"
#include "common/code_page.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace Lsp {

namespace {

// Whether `bytes` may name a player variable: an "@" that no "." or "$" stands
// before. A trail byte of a double-byte character may pass for one; that only
// costs a read.
bool mayNamePlayerVariable(const QByteArray &bytes)
{
    for (qsizetype at = bytes.indexOf('@'); at >= 0; at = bytes.indexOf('@', at + 1)) {
        if (at == 0 || (bytes.at(at - 1) != '.' && bytes.at(at - 1) != '$'))
            return true;
    }
    return false;
}

QString decoded(const QByteArray &bytes, const QString &encoding)
{
    return encoding.isEmpty()
               ? CodePage932::decode(bytes)
               : QStringDecoder(encoding.toLatin1().constData(), QStringConverter::Flag::Stateless).decode(bytes);
}

} // namespace

Offered offeredBy(const QByteArray &bytes, const QString &encoding)
{
    const bool codePage = encoding.isEmpty();
    // Scripts that name neither a function nor a player variable are not read whole
    // (their bytes tell, where ASCII stands for itself).
    // A definition line holds tabs: a script without any names no NPC either.
    if (codePage && !mayNamePlayerVariable(bytes) && !bytes.contains("unction") &&
        !bytes.toLower().contains("function") && !bytes.contains('\t'))
        return {};
    const QString text = decoded(bytes, encoding);
    ScriptCheck check(Commands::Table::builtIn(), ScriptCheck::Options{false, false, false});
    check.replaceLines(0, 0, LineBreaks::splitSharing(text));
    Offered offered;
    offered.functions = check.functionDefinitions();
    offered.loads = check.loadUses();
    if (!offered.functions.isEmpty())
        offered.windows = check.functionWindows();
    for (const ScriptCheck::VariableUse &set : check.playerVariables().sets) {
        const QString key = VariableRules::keyOf(set.name);
        if (!offered.variables.contains(key))
            offered.variables.insert(key, set.name);
    }
    return offered;
}

void Workspace::addFolder(const QString &path)
{
    if (path.isEmpty() || folders_.contains(path))
        return;
    folders_.append(path);
    queued_.append({path, true});
}

QString Workspace::encodingOfFolder(const QString &folder) const
{
    return encoding_.isEmpty() && encodingOf_ ? encodingOf_(folder) : encoding_;
}

void Workspace::projectEncodingsChanged()
{
    QSet<QString> queued;
    for (const Queued &folder : std::as_const(queued_))
        queued.insert(folder.folder);
    for (auto folder = folderEncodings_.cbegin(); folder != folderEncodings_.cend(); ++folder) {
        if (!queued.contains(folder.key()) && encodingOfFolder(folder.key()) != folder.value())
            queued_.append({folder.key(), false});
    }
}

bool Workspace::scanSome(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!timer.hasExpired(milliseconds)) {
        if (!iterator_) {
            if (queued_.isEmpty())
                return false;
            const Queued next = queued_.takeFirst();
            iterator_ = std::make_unique<QDirIterator>(
                next.folder, QStringList{QStringLiteral("*.txt")}, QDir::Files | QDir::Readable,
                next.below ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
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
    const QString folder = QFileInfo(path).absolutePath();
    const QString encoding = encodingOfFolder(folder);
    folderEncodings_.insert(folder, encoding);
    if (read.status == RegularFile::Result::Status::Read) {
        Offered offered = offeredBy(read.bytes, encoding);
        file.sites = std::move(offered.functions);
        file.windows = std::move(offered.windows);
        file.names.variables = std::move(offered.variables);
        if (loadsRead_)
            loadsRead_(path, std::move(offered.loads));
    } else if (loadsRead_) {
        loadsRead_(path, {});
    }
    for (const ScriptCheck::FunctionUse &site : std::as_const(file.sites))
        file.names.functions.insert(site.name);
    setFile(path, std::move(file));
}

void Workspace::setFile(const QString &path, File file)
{
    const auto before = disk_.constFind(path);
    if (file.windows != (before != disk_.cend() ? before->windows : WindowAcross::FileWindows()))
        ++windowsGeneration_;
    changing(path, [&] {
        if (file.sites.isEmpty() && file.names.variables.isEmpty())
            disk_.remove(path);
        else
            disk_.insert(path, std::move(file));
    });
}

void Workspace::setOpen(const QString &key, const Names &names)
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
    const Names before = effective(key);
    change();
    const Names after = effective(key);
    if (before == after)
        return;
    refile(key, before, after);
    ++generation_;
}

void Workspace::refile(const QString &key, const Names &before, const Names &after)
{
    for (const QString &name : before.functions) {
        if (after.functions.contains(name))
            continue;
        const auto keys = keysByName_.find(name);
        keys->remove(key);
        if (keys->isEmpty())
            keysByName_.erase(keys);
    }
    for (const QString &name : after.functions)
        keysByName_[name].insert(key);
    for (auto variable = before.variables.cbegin(); variable != before.variables.cend(); ++variable) {
        if (after.variables.contains(variable.key()))
            continue;
        const auto keys = keysByVariable_.find(variable.key());
        keys->remove(key);
        if (keys->isEmpty())
            keysByVariable_.erase(keys);
    }
    for (auto variable = after.variables.cbegin(); variable != after.variables.cend(); ++variable)
        keysByVariable_[variable.key()].insert(key, variable.value());
}

// The names a file stands for now: its open script's, or else what its file on disk offers.
Workspace::Names Workspace::effective(const QString &key) const
{
    const auto open = open_.constFind(key);
    if (open != open_.cend())
        return *open;
    const auto disk = disk_.constFind(key);
    return disk != disk_.cend() ? disk->names : Names{};
}

QStringList Workspace::names() const
{
    QStringList all = keysByName_.keys();
    std::sort(all.begin(), all.end());
    return all;
}

bool Workspace::setsVariable(const QString &key) const
{
    return keysByVariable_.contains(key) || Language::isSetByTheServer(key);
}

QString Workspace::nearestVariable(const QString &name) const
{
    // Each publication asks again for the same names: the hints stand until the names set change.
    if (hintsGeneration_ != generation_) {
        hints_.clear();
        hintsGeneration_ = generation_;
    }
    const QString key = VariableRules::keyOf(name);
    auto hint = hints_.find(key);
    if (hint != hints_.end())
        return *hint;
    QHash<QString, QString> set;
    for (const QString &server : Language::variablesTheServerSets())
        set.insert(server, server);
    for (auto variable = keysByVariable_.cbegin(); variable != keysByVariable_.cend(); ++variable)
        set.insert(variable.key(), variable->cbegin().value());
    return *hints_.insert(key, VariableRules::nearestSet(name, set));
}

std::optional<WindowAcross::FileWindows>
Workspace::windowsWith(const QString &path, const std::shared_ptr<const WindowAcross::Table> &table)
{
    const auto file = disk_.find(path);
    const RegularFile::Result read = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
    if (file == disk_.end() || read.status != RegularFile::Result::Status::Read)
        return std::nullopt;
    // The lines share the decoded text's characters: it outlives the check.
    const QString text = decoded(read.bytes, encodingOfFolder(QFileInfo(path).absolutePath()));
    ScriptCheck check(Commands::Table::builtIn(), ScriptCheck::Options{false, false, false, false});
    check.setOutsideWindows(table);
    check.replaceLines(0, 0, LineBreaks::splitSharing(text));
    // Kept as the file's own: the next sharing finds them worked out with what it says.
    file->windows = check.functionWindows();
    return file->windows;
}

QVector<std::pair<QString, const WindowAcross::FileWindows *>> Workspace::windowsOnDisk() const
{
    QVector<std::pair<QString, const WindowAcross::FileWindows *>> found;
    for (auto file = disk_.cbegin(); file != disk_.cend(); ++file) {
        if (!file->windows.isEmpty() && !open_.contains(file.key()))
            found.append({file.key(), &file->windows});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return found;
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
