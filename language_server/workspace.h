#pragma once

#include <QDirIterator>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

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
    bool complete() const { return !folders_.isEmpty() && !iterator_ && queued_.isEmpty(); }

    // `key` is a file's path, or the address of a script that has none.
    void setOpen(const QString &key, const QSet<QString> &names);
    void close(const QString &key); // its file is read again
    void fileChanged(const QString &path);

    bool defines(const QString &name) const { return counts_.contains(name); }
    QStringList names() const;
    // Changes whenever the set of defined names does.
    quint64 generation() const { return generation_; }

private:
    void readFile(const QString &path);
    void set(QHash<QString, QSet<QString>> &sources, const QString &key, const QSet<QString> &names);
    const QSet<QString> *effective(const QString &key) const;
    void count(const QSet<QString> *names, int by);

    QStringList folders_;
    QStringList queued_; // folders not yet begun
    std::unique_ptr<QDirIterator> iterator_;
    int filesRead_ = 0;
    QHash<QString, QSet<QString>> disk_;
    QHash<QString, QSet<QString>> open_;
    QHash<QString, int> counts_; // how many sources define each name
    quint64 generation_ = 0;
};

// The names of the functions a script in code page 932 defines.
QSet<QString> functionsDefinedIn(const QByteArray &bytes);

} // namespace Lsp
