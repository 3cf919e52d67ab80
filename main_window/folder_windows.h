#pragma once

#include "checker/commands.h"
#include "checker/window_across.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

// What the functions of the other scripts in the edited script's folder do to the
// conversation window, for the editor's check of calls of them (WindowAcross).
// The folder and the folders inside it are read once, a slice at a time between
// events, and a file is read again when it changes on disk. The edited script
// itself is left out: the editor's text stands for it. A file whose function
// calls a function of another file is read again to be asked what it does then.
class FolderWindows : public QObject
{
    Q_OBJECT

public:
    // Script files read at most; a folder holding more is not a server's scripts.
    static constexpr int kMaxFiles = 20000;
    // Folders listed and watched at most.
    static constexpr int kMaxFolders = 2000;
    // How long after a folder is set its reading begins: the window is shown first.
    static constexpr int kFirstReadDelayMs = 500;

    explicit FolderWindows(QObject *parent = nullptr);

    // Reads the scripts under `folder` (again only when it is another folder),
    // leaving out `editedFile`, from a moment later on.
    void setFolder(const QString &folder, const QString &editedFile);
    // Begins on the folder set now, without waiting: readSome lists and reads it.
    void listFolder();
    // Reads queued files for about `milliseconds`; false when none is left.
    bool readSome(int milliseconds);
    // What the functions of the folder's other scripts do; empty until the folder is read.
    std::shared_ptr<const WindowAcross::Table> table() const { return table_; }

signals:
    // The folder was read whole, or a file of it changed what its functions do.
    void tableChanged();

private:
    struct File
    {
        QDateTime modified;
        qint64 size = -1;
        WindowAcross::FileWindows windows;
    };
    void queueFolder(const QString &folder);
    void folderChanged(const QString &folder);
    void read(const QString &path);
    void settle();

    QString folder_;
    QString editedFile_;
    QStringList queued_;
    QStringList folders_; // folders to be listed
    int foldersListed_ = 0;
    QHash<QString, File> files_; // by path; only those whose functions do something are kept whole
    QFileSystemWatcher watcher_;
    QTimer slices_;
    QTimer firstRead_;
    bool changed_ = false;
    std::shared_ptr<const WindowAcross::Table> table_ = std::make_shared<const WindowAcross::Table>();
};
