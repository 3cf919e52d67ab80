#pragma once

#include "checker/script_check.h"

#include <QDirIterator>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

namespace Lsp {

// The functions defined anywhere in the workspace, for callfunc: the script files
// on disk (code page 932, read a slice at a time between messages) and the open
// scripts, whose text stands in for their file's.
class Workspace
{
public:
    // Script files read from disk at most; a folder holding more is not a server's scripts.
    static constexpr int kMaxFiles = 100000;

    void addFolder(const QString &path);
    // Reads queued files for about `milliseconds`; false when none is left.
    bool scanSome(int milliseconds);
    // Whether every folder has been read, so that a function missing is missing.
    bool hasFolders() const { return !folders_.isEmpty(); }
    bool complete() const { return !folders_.isEmpty() && !iterator_ && queued_.isEmpty(); }

    // `key` is a file's path, or the address of a script that has none.
    void setOpen(const QString &key, const QSet<QString> &names);
    void close(const QString &key); // its file is read again
    void fileChanged(const QString &path);

    bool defines(const QString &name) const { return keysByName_.contains(name); }
    QStringList names() const;
    // Where the files on disk that no open script stands for define `name`: the
    // file's path and the place on its line.
    QVector<std::pair<QString, ScriptCheck::FunctionUse>> definitionsOnDisk(const QString &name) const;
    // Changes whenever the set of defined names does.
    quint64 generation() const { return generation_; }

private:
    void readFile(const QString &path);
    struct File
    {
        QSet<QString> names;
        QVector<ScriptCheck::FunctionUse> sites;
    };
    void setFile(const QString &path, File file);
    QSet<QString> effective(const QString &key) const;
    void changing(const QString &key, const std::function<void()> &change);

    QStringList folders_;
    QStringList queued_; // folders not yet begun
    std::unique_ptr<QDirIterator> iterator_;
    int filesRead_ = 0;
    QHash<QString, File> disk_;
    QHash<QString, QSet<QString>> open_;
    QHash<QString, QSet<QString>> keysByName_; // the files or scripts that define each name
    quint64 generation_ = 0;
};

// The functions a script in code page 932 defines.
QVector<ScriptCheck::FunctionUse> functionsDefinedIn(const QByteArray &bytes);

} // namespace Lsp
