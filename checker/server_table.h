#pragma once

#include "checker/commands.h"
#include "server_folder/server_facts.h"

#include <QString>
#include <QStringList>

#include <memory>

// The command table scripts are checked with for the server whose folder was read.
namespace ServerTable {

// A server's folder, read once: its facts, the command table rows its command
// source gives, and what could not be read, each naming the file and line.
struct Folder
{
    QString dir;
    std::shared_ptr<const ServerFolder::Facts> facts;
    QString rows;         // empty when the folder has no command source, or it cannot be read
    QStringList problems; // "DIR/db/item_db.txt:12: ..."
};
Folder read(const QString &dir);

// `base` with the folder's facts: the rows of its command source added unless
// `keepRows` (the user named a table of their own), and the servers of its family
// as the target unless `base`'s target names fewer servers than all (the user set one).
std::shared_ptr<const Commands::Table> forFolder(const Folder &folder, const Commands::Table &base, bool keepRows);

// What the folder holds, in one line: "server: 1,203 maps, 24,812 items, ..."
QString summary(const ServerFolder::Facts &facts);

} // namespace ServerTable
