#pragma once

#include "language_server/feature_table.h"

#include <QStringList>

namespace Lsp {

// What may be written at a place in a body: the labels of the NPC where a jump
// names one (goto, callsub, a menu's label places, any command whose argument the
// table marks as a label), the workspace's functions inside callfunc's quotes, and
// command words elsewhere, each with the arguments the table gives it.
CompletionList completion(const TextDocument &document, Position position, const Commands::Table &commands,
                          const QStringList &functions);
CompletionList completion(const Context &context, const PositionParams &params);

// "引数 1〜3個（文字列, 式, 式）": how many arguments a command takes and what each is,
// as the first kind of server of `servers` reads them.
QString argumentsOf(const Commands::Command &command, Target::Servers servers);

} // namespace Lsp
