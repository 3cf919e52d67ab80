#pragma once

#include "checker/commands.h"
#include "checker/server_table.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// The server folders scripts are checked for, from the command line, a project
// file or the editor's settings: each read once however many scripts name it, and
// each table made once for each table it is given. Asked from every worker at once.
class ServerFolders
{
public:
    // With `keepRows`, the user's own table keeps its rows over the folders' command sources.
    explicit ServerFolders(bool keepRows) : keepRows_(keepRows) {}

    // `base` with what the folder at `dir` knows (see ServerTable::forFolder).
    std::shared_ptr<const Commands::Table> tableFor(const QString &dir,
                                                    const std::shared_ptr<const Commands::Table> &base);

    // What each folder holds, one line each, in the order they were read.
    QStringList summaries() const;
    // The files of the folders that could not be read, each with its line.
    QStringList problems() const;
    // Those of the folders read since the last call, for a server that tells each once.
    QStringList takeNewProblems();

private:
    const ServerTable::Folder &folder(const QString &dir);

    const bool keepRows_;
    mutable std::mutex mutex_;
    std::map<QString, ServerTable::Folder> folders_;
    QStringList order_;  // the folders by the order they were read
    qsizetype told_ = 0; // the folders of order_ whose problems were taken
    std::map<std::pair<QString, const Commands::Table *>, std::shared_ptr<const Commands::Table>> tables_;
    std::vector<std::shared_ptr<const Commands::Table>> bases_; // alive while their address is a key
};
