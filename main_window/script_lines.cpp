#include "main_window/script_lines.h"

#include <array>

namespace ScriptLines {

namespace {

const QChar kTab = u'\t';

// The header's place: map.tsg,x,y,facing and the tab before the kind of NPC.
QString placeAndFacing(const QString &map, const QString &x, const QString &y, int facing)
{
    return map + QStringLiteral(".tsg,") + x + u',' + y + u',' + QString::number(facing) + kTab;
}

QString mapCommand(const QString &command, const QString &map, const QString &x, const QString &y)
{
    return kTab + command + QStringLiteral(" \"") + map + QStringLiteral("\",") + x + u',' + y + u';';
}

QString itemCommand(const QString &command, const QString &item, const QString &count)
{
    return kTab + command + u' ' + item + u',' + count + u';';
}

QString optionLine(int option, bool on)
{
    return QStringLiteral("\toption ") + QString::number(optionCode(option)) +
           (on ? QStringLiteral(",1;") : QStringLiteral(",0;"));
}

} // namespace

QString npcHeader(const QString &map, const QString &x, const QString &y, int facing, const QString &name,
                  const QString &picture)
{
    return placeAndFacing(map, x, y, facing) + QStringLiteral("script") + kTab + name + kTab + picture +
           QStringLiteral(",{");
}

QString shopHeader(const QString &map, const QString &x, const QString &y, int facing, const QString &name,
                   const QString &picture, const QString &item, const QString &price)
{
    return placeAndFacing(map, x, y, facing) + QStringLiteral("shop") + kTab + name + kTab + picture + u',' + item +
           u':' + price;
}

QString withShopItem(const QString &lastLine, const QString &item, const QString &price)
{
    return lastLine + u',' + item + u':' + price;
}

QString message(const QString &text)
{
    return QStringLiteral("\tmes \"") + text + QStringLiteral("\";");
}

QString nameMessage(const QString &npcName)
{
    return QStringLiteral("\tmes \"[") + npcName + QStringLiteral("]\";");
}

QString next()
{
    return QStringLiteral("\tnext;");
}

QString close()
{
    return QStringLiteral("\tclose;");
}

QString scriptEnd()
{
    return QStringLiteral("}");
}

QString menu(const QString &choice, const QString &label)
{
    return QStringLiteral("\tmenu \"") + choice + QStringLiteral("\",") + label;
}

QString withMenuChoice(const QString &lastLine, const QString &choice, const QString &label)
{
    return lastLine + QStringLiteral(",\"") + choice + QStringLiteral("\",") + label;
}

QString withMenuEnd(const QString &lastLine)
{
    return lastLine + u';';
}

QString label(const QString &label)
{
    return label + u':';
}

QString warp(const QString &map, const QString &x, const QString &y)
{
    return mapCommand(QStringLiteral("warp"), map, x, y);
}

QString savePoint(const QString &map, const QString &x, const QString &y)
{
    return mapCommand(QStringLiteral("save"), map, x, y);
}

QString heal(const QString &hp, const QString &sp)
{
    const auto amount = [](const QString &field) { return field.isEmpty() ? QStringLiteral("0") : field; };
    return QStringLiteral("\theal ") + amount(hp) + u',' + amount(sp) + u';';
}

QString emote(int emotion)
{
    return QStringLiteral("\temote ") + QString::number(emotion) + u';';
}

int optionCode(int option)
{
    // None, Sight, Hiding and Cloaking, Cart, Falcon, Peco peco, GM Hide.
    static constexpr std::array<int, 7> kCodes = {0, 1, 6, 8, 16, 32, 64};
    return kCodes.at(size_t(option));
}

QString optionRemove(int option)
{
    return optionLine(option, false);
}

QString optionAdd(int option)
{
    return optionLine(option, true);
}

QString jobChange(int job)
{
    return QStringLiteral("\tjobchage ") + QString::number(job) + u';';
}

QString itemCount(const QString &countField)
{
    return countField.isEmpty() || countField == QStringLiteral("個数") ? QStringLiteral("1") : countField;
}

QString removeItem(const QString &item, const QString &count)
{
    return itemCommand(QStringLiteral("delitem"), item, count);
}

QString addItem(const QString &item, const QString &count)
{
    return itemCommand(QStringLiteral("additem"), item, count);
}

QString set(const QString &type, const QString &op, const QString &value)
{
    return QStringLiteral("\tset ") + type + u' ' + op + u' ' + value + QStringLiteral(",0;");
}

} // namespace ScriptLines
