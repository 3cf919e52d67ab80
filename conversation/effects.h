#pragma once

#include "checker/commands.h"

#include <QString>
#include <QStringList>

// How the preview lists what a command would do to the player or the world,
// which it does not carry out.
namespace Conversation::Effects {

// The command's effect text from the table with its arguments put in
// ("アイテム 501 を 3 個もらう"), a phrase for what its window column says
// ("別のウィンドウを開く（callshop Shop）"), or the command and its arguments.
// `command` may be null: a word no table row has.
QString describe(const Commands::Command *command, const QString &lowerWord, const QStringList &arguments);

} // namespace Conversation::Effects
