#pragma once

#include "checker/commands.h"
#include "server_folder/server_facts.h"

#include <QString>
#include <QStringList>

#include <memory>

// The command table scripts are checked with for the server whose folder was read.
namespace ServerTable {

// `base` with the folder's facts: the rows of the folder's command source unless
// `keepRows` (the user gave a table of their own), and the servers of the folder's
// family as the target unless `base`'s target names fewer servers than all. A
// command source that cannot be read leaves `base`'s rows, and says why in `problems`.
std::shared_ptr<const Commands::Table> forFolder(const QString &dir, std::shared_ptr<const ServerFolder::Facts> facts,
                                                 const std::shared_ptr<const Commands::Table> &base, bool keepRows,
                                                 QStringList *problems);

// What the folder holds, in one line: "server: 1,203 maps, 24,812 items, ..."
QString summary(const ServerFolder::Facts &facts);

} // namespace ServerTable
