#pragma once

#include <QString>
#include <QStringList>

// How the preview lists what a command would do to the player or the world,
// which it does not carry out.
namespace Conversation::Effects {

// Commands that move the player: the client closes the window.
bool isWarp(const QString &lowerCommand);

// "harbor02.tsg 50,50 へワープ", "アイテム 501 を 3 個もらう", or the command and
// its arguments as a fallback.
QString describe(const QString &lowerCommand, const QStringList &arguments);

} // namespace Conversation::Effects
