#pragma once

#include <QByteArray>

// The server's .conf files are libconfig with additions: raw strings that may
// span lines, `<" ... ">`, integers written `0b101`, `0o17` or `1_000`, integers
// wider than 32 bits without the `L` libconfig wants, and a comma after a list's
// last element. This turns them into what libconfig reads (adjacent escaped
// strings, one per line; decimal or plain hexadecimal integers; no such comma),
// leaving everything else as it was and every line where it was, so libconfig's
// line numbers stay true.
namespace ConfText {

struct Rewritten
{
    QByteArray text;
    int unclosedRawStringLine = 0; // from 1, where a raw string opens that never closes
};

Rewritten toLibconfig(const QByteArray &serverConf);

} // namespace ConfText
