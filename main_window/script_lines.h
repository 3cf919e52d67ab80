#pragma once

#include <QString>

// The script lines the buttons write, built from field texts exactly as they stand:
// nothing is trimmed, quoted or escaped. List-only boxes give their entry index.
namespace ScriptLines {

// map.tsg,x,y,facing<TAB>script<TAB>name<TAB>picture,{
QString npcHeader(const QString &map, const QString &x, const QString &y, int facing, const QString &name,
                  const QString &picture);
// map.tsg,x,y,facing<TAB>shop<TAB>name<TAB>picture,item:price
QString shopHeader(const QString &map, const QString &x, const QString &y, int facing, const QString &name,
                   const QString &picture, const QString &item, const QString &price);
// The last line with one more ,item:price pair.
QString withShopItem(const QString &lastLine, const QString &item, const QString &price);

QString message(const QString &text);
QString nameMessage(const QString &npcName);
QString next();
QString close();
QString scriptEnd();

// An open menu line: it takes further choices until the menu end closes it.
QString menu(const QString &choice, const QString &label);
QString withMenuChoice(const QString &lastLine, const QString &choice, const QString &label);
QString withMenuEnd(const QString &lastLine);
QString label(const QString &label);

QString warp(const QString &map, const QString &x, const QString &y);
QString savePoint(const QString &map, const QString &x, const QString &y);
// An empty amount heals nothing: it is written as 0.
QString heal(const QString &hp, const QString &sp);
QString emote(int emotion);
// The option list's index mapped to the server's option code.
int optionCode(int option);
QString optionRemove(int option);
QString optionAdd(int option);
QString jobChange(int job);
// The count field's text as the item buttons use it: empty or the placeholder
// "個数" becomes 1, anything else stays as typed.
QString itemCount(const QString &countField);
QString removeItem(const QString &item, const QString &count);
QString addItem(const QString &item, const QString &count);
QString set(const QString &type, const QString &op, const QString &value);

} // namespace ScriptLines
