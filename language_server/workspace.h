#pragma once

#include "checker/script_check.h"

#include <QDirIterator>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace Lsp {

// The functions defined anywhere in the workspace, for callfunc, and the player
// variables (@name) given a value anywhere: the script files on disk (code page
// 932, read a slice at a time between messages) and the open scripts, whose text
// stands in for their file's.
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

    // What a script offers the others: its functions' names, and the player
    // variables it sets, spellings by key in lower case.
    struct Names
    {
        QSet<QString> functions;
        QHash<QString, QString> variables;
        friend bool operator==(const Names &a, const Names &b)
        {
            return a.functions == b.functions && a.variables == b.variables;
        }
        friend bool operator!=(const Names &a, const Names &b) { return !(a == b); }
    };
    // `key` is a file's path, or the address of a script that has none.
    void setOpen(const QString &key, const Names &names);
    void close(const QString &key); // its file is read again
    void fileChanged(const QString &path);

    bool defines(const QString &name) const { return keysByName_.contains(name); }
    // Whether a file or script other than the one of `key` defines `name`.
    bool definesElsewhere(const QString &name, const QString &key) const
    {
        const auto found = keysByName_.constFind(name);
        return found != keysByName_.cend() && (found->size() > 1 || !found->contains(key));
    }
    QStringList names() const;
    // Whether a script, or the server itself, sets the player variable of `key`.
    bool setsVariable(const QString &key) const;
    // The player variable set anywhere whose name is nearest to `name`, or empty.
    QString nearestVariable(const QString &name) const;
    // Where the files on disk that no open script stands for define `name`: the
    // file's path and the place on its line.
    QVector<std::pair<QString, ScriptCheck::FunctionUse>> definitionsOnDisk(const QString &name) const;
    // Changes whenever the set of defined functions or of set variables does.
    quint64 generation() const { return generation_; }
    // What the functions of each file on disk that no open script stands for do to
    // the conversation window, as last worked out (at first with the other files'
    // functions unknown); by path, sorted. Its generation changes whenever one of them does.
    QVector<std::pair<QString, const WindowAcross::FileWindows *>> windowsOnDisk() const;
    // The same for one of them, read again with `table` standing for the other
    // files, and kept; none when it can no longer be read.
    std::optional<WindowAcross::FileWindows> windowsWith(const QString &path,
                                                        const std::shared_ptr<const WindowAcross::Table> &table);
    quint64 windowsGeneration() const { return windowsGeneration_; }

    // Told of what each file read from disk defines and asks of the scripts a
    // server loads with it (LoadOrderRules); empty uses when it is gone.
    using LoadsRead = std::function<void(const QString &path, LoadOrderRules::Uses uses)>;
    void setLoadsRead(LoadsRead told) { loadsRead_ = std::move(told); }

    // The encoding the workspace's scripts are read in: a name the toolkit knows,
    // or empty for code page 932. Files read after it are read in it.
    void setEncoding(const QString &encoding) { encoding_ = encoding; }
    // Where no encoding is set, each folder's scripts are read in the one its
    // project names (empty for code page 932).
    using EncodingOfFolder = std::function<QString(const QString &folder)>;
    void setProjectEncodings(EncodingOfFolder encodingOf) { encodingOf_ = std::move(encodingOf); }
    // A project's encoding may have changed: the folders read in another than
    // their project's now are read again.
    void projectEncodingsChanged();

private:
    void readFile(const QString &path);
    QString encodingOfFolder(const QString &folder) const;
    struct Queued
    {
        QString folder;
        bool below = true; // with the folders inside it
    };
    struct File
    {
        Names names;
        QVector<ScriptCheck::FunctionUse> sites;
        WindowAcross::FileWindows windows;
    };
    void setFile(const QString &path, File file);
    Names effective(const QString &key) const;
    void refile(const QString &key, const Names &before, const Names &after);
    void changing(const QString &key, const std::function<void()> &change);

    QStringList folders_;
    QString encoding_;
    EncodingOfFolder encodingOf_;
    LoadsRead loadsRead_;
    QHash<QString, QString> folderEncodings_; // what each folder's files were last read in
    QList<Queued> queued_;                    // folders not yet begun
    std::unique_ptr<QDirIterator> iterator_;
    int filesRead_ = 0;
    QHash<QString, File> disk_;
    QHash<QString, Names> open_;
    QHash<QString, QSet<QString>> keysByName_; // the files or scripts that define each name
    // The files or scripts that set each player variable, with the spelling each uses.
    QHash<QString, QHash<QString, QString>> keysByVariable_;
    quint64 generation_ = 0;
    quint64 windowsGeneration_ = 0;
    mutable QHash<QString, QString> hints_; // nearest set variable by key read, for generation hintsGeneration_
    mutable quint64 hintsGeneration_ = 0;
};

// The functions a script defines, what they do to the window, and the player
// variables it sets; its bytes in `encoding`, a name the toolkit knows, or code
// page 932 when empty.
struct Offered
{
    QVector<ScriptCheck::FunctionUse> functions;
    WindowAcross::FileWindows windows;
    QHash<QString, QString> variables; // spellings by key in lower case
    LoadOrderRules::Uses loads;        // what it defines and asks of the scripts loaded with it
};
Offered offeredBy(const QByteArray &bytes, const QString &encoding = QString());

} // namespace Lsp
