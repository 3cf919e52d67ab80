#include "conversation/effects.h"

namespace Conversation::Effects {

bool isWarp(const QString &lowerCommand)
{
    return lowerCommand == u"warp" || lowerCommand == u"warpparty" || lowerCommand == u"warpguild" ||
           lowerCommand == u"warpchar" || lowerCommand == u"areawarp";
}

QString describe(const QString &c, const QStringList &a)
{
    const auto at = [&a](int i) { return a.value(i, QStringLiteral("?")); };
    if (c == u"warp" && a.size() >= 3)
        return QStringLiteral("%1 %2,%3 へワープ").arg(at(0), at(1), at(2));
    if (c == u"getitem" || c == u"additem")
        return QStringLiteral("アイテム %1 を %2 個もらう").arg(at(0), at(1));
    if (c == u"delitem")
        return QStringLiteral("アイテム %1 を %2 個渡す").arg(at(0), at(1));
    if (c == u"heal")
        return QStringLiteral("HP %1・SP %2 を回復").arg(at(0), at(1));
    if (c == u"jobchange" || c == u"jobchage")
        return QStringLiteral("職業を %1 に変える").arg(at(0));
    if (c == u"emotion" || c == u"emote")
        return QStringLiteral("エモーション %1").arg(at(0));
    if (c == u"save" || c == u"savepoint")
        return QStringLiteral("セーブ地点を %1 %2,%3 にする").arg(at(0), at(1), at(2));
    if (c == u"callshop" || c == u"openstorage" || c == u"guildopenstorage")
        return QStringLiteral("別のウィンドウを開く（%1 %2）").arg(c, a.join(QStringLiteral(", "))).trimmed();
    if (isWarp(c))
        return QStringLiteral("%1 %2 でワープ").arg(c, a.join(QStringLiteral(", ")));
    return a.isEmpty() ? c : QStringLiteral("%1 %2").arg(c, a.join(QStringLiteral(", ")));
}

} // namespace Conversation::Effects
