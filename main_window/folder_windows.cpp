#include "main_window/folder_windows.h"

#include "checker/script_check.h"
#include "common/code_page.h"
#include "common/line_breaks.h"
#include "common/regular_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>

namespace {

// What the functions of a script's bytes (code page 932) do, with `table` standing
// for the other files; nothing for a script that defines none, told from its
// bytes without reading it whole.
WindowAcross::FileWindows windowsOf(const QByteArray &bytes,
                                    const std::shared_ptr<const WindowAcross::Table> &table = nullptr)
{
    if (!bytes.contains("unction") && !bytes.toLower().contains("function"))
        return {};
    // The lines share the decoded text's characters: it outlives the check.
    const QString text = CodePage932::decode(bytes);
    ScriptCheck check(Commands::Table::builtIn(), ScriptCheck::Options{false, false, false, false});
    check.setOutsideWindows(table);
    check.replaceLines(0, 0, LineBreaks::splitSharing(text));
    return check.functionWindows();
}

} // namespace

FolderWindows::FolderWindows(QObject *parent) : QObject(parent)
{
    slices_.setInterval(0);
    firstRead_.setSingleShot(true);
    firstRead_.setInterval(kFirstReadDelayMs);
    connect(&firstRead_, &QTimer::timeout, this, [this] {
        listFolder();
        slices_.start();
    });
    connect(&slices_, &QTimer::timeout, this, [this] {
        if (!readSome(20))
            slices_.stop();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWindows::folderChanged);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
        queued_.append(path);
        slices_.start();
    });
}

void FolderWindows::setFolder(const QString &folder, const QString &editedFile)
{
    const QString edited = QFileInfo(editedFile).absoluteFilePath();
    if (folder == folder_ && edited == editedFile_)
        return;
    const QString before = std::exchange(editedFile_, edited);
    if (folder == folder_) {
        // Another script of the same folder is edited: the one before counts again.
        files_.remove(edited);
        changed_ = true;
        if (!before.isEmpty())
            queued_.append(before);
        slices_.start();
        return;
    }
    folder_ = folder;
    files_.clear();
    queued_.clear();
    folders_.clear();
    foldersListed_ = 0;
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    if (!watcher_.files().isEmpty())
        watcher_.removePaths(watcher_.files());
    changed_ = true;
    slices_.stop();
    firstRead_.start();
}

void FolderWindows::listFolder()
{
    firstRead_.stop();
    if (!folder_.isEmpty())
        folders_.append(folder_);
}

// The scripts of `folder`, queued, and the folders inside it, to be listed in
// turn: a folder of many folders is walked a slice at a time like the files.
void FolderWindows::queueFolder(const QString &folder)
{
    if (foldersListed_ >= kMaxFolders)
        return;
    ++foldersListed_;
    watcher_.addPath(folder);
    const QDir dir(folder);
    for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Readable)) {
        if (queued_.size() + files_.size() >= kMaxFiles)
            break;
        queued_.append(file.absoluteFilePath());
    }
    for (const QFileInfo &inside : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable)) {
        if (!inside.isSymLink())
            folders_.append(inside.absoluteFilePath());
    }
}

// A file came, went or changed in `folder`: those whose time or size is another are read again.
void FolderWindows::folderChanged(const QString &folder)
{
    QSet<QString> present;
    for (const QFileInfo &file : QDir(folder).entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Readable)) {
        present.insert(file.absoluteFilePath());
        const auto known = files_.constFind(file.absoluteFilePath());
        if (known == files_.cend() || known->modified != file.lastModified() || known->size != file.size())
            queued_.append(file.absoluteFilePath());
    }
    // A folder made inside it is listed too.
    const QStringList watched = watcher_.directories();
    for (const QFileInfo &inside : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable)) {
        if (!inside.isSymLink() && !watched.contains(inside.absoluteFilePath()))
            folders_.append(inside.absoluteFilePath());
    }
    for (auto file = files_.begin(); file != files_.end();) {
        if (QFileInfo(file.key()).absolutePath() == QDir(folder).absolutePath() && !present.contains(file.key())) {
            changed_ = changed_ || !file->windows.isEmpty();
            file = files_.erase(file);
        } else {
            ++file;
        }
    }
    slices_.start();
}

bool FolderWindows::readSome(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while ((!queued_.isEmpty() || !folders_.isEmpty()) && !timer.hasExpired(milliseconds)) {
        if (!queued_.isEmpty())
            read(queued_.takeFirst());
        else
            queueFolder(folders_.takeFirst());
    }
    if (queued_.isEmpty() && folders_.isEmpty())
        settle();
    return !queued_.isEmpty() || !folders_.isEmpty();
}

void FolderWindows::read(const QString &path)
{
    if (path == editedFile_)
        return;
    const QFileInfo info(path);
    const RegularFile::Result bytes = RegularFile::tryRead(path, RegularFile::kDefaultMaxBytes);
    File file{info.lastModified(), info.size(), {}};
    if (bytes.status == RegularFile::Result::Status::Read)
        file.windows = windowsOf(bytes.bytes);
    const auto known = files_.constFind(path);
    changed_ = changed_ || (known != files_.cend() ? known->windows : WindowAcross::FileWindows()) != file.windows;
    // A file that defines functions is watched itself: a change of its text changes no folder.
    if (!file.windows.isEmpty() && !watcher_.files().contains(path))
        watcher_.addPath(path);
    files_.insert(path, std::move(file));
}

// Once every queued file is read: the table, when a file changed what it offers.
void FolderWindows::settle()
{
    if (!std::exchange(changed_, false))
        return;
    QStringList paths = files_.keys();
    std::sort(paths.begin(), paths.end());
    QVector<WindowAcross::FileWindows> windows;
    QStringList offering;
    for (const QString &path : std::as_const(paths)) {
        if (!files_.value(path).windows.isEmpty()) {
            windows.append(files_.value(path).windows);
            offering.append(path);
        }
    }
    // A file whose function calls another file's is read again to be asked, and
    // keeps what it said: the next table finds it worked out with what it says.
    const auto recompute = [&](int file, const WindowAcross::Table &table) -> std::optional<WindowAcross::FileWindows> {
        const RegularFile::Result bytes = RegularFile::tryRead(offering.at(file), RegularFile::kDefaultMaxBytes);
        if (bytes.status != RegularFile::Result::Status::Read)
            return std::nullopt;
        WindowAcross::FileWindows again = windowsOf(bytes.bytes, std::make_shared<const WindowAcross::Table>(table));
        files_[offering.at(file)].windows = again;
        return again;
    };
    table_ = std::make_shared<const WindowAcross::Table>(WindowAcross::resolve(std::move(windows), recompute));
    emit tableChanged();
}
