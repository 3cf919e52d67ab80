#include "checker/commands.h"

namespace Commands {

namespace {

const Command kCommands[] = {
    {u"mes", u"S"},      {u"next", u""},      {u"close", u""},  {u"menu", u"M"},    {u"warp", u"SVV"},
    {u"save", u"SVV"},   {u"heal", u"VV"},    {u"emote", u"V"}, {u"option", u"VV"}, {u"jobchage", u"V"},
    {u"delitem", u"VV"}, {u"additem", u"VV"}, {u"set", u"VV"},  {u"goto", u"L"},    {u"end", u""},
};

} // namespace

const Command *find(QStringView word)
{
    for (const Command &command : kCommands) {
        if (command.word == word)
            return &command;
    }
    return nullptr;
}

const Command *findIgnoringCase(QStringView word)
{
    for (const Command &command : kCommands) {
        if (command.word.compare(word, Qt::CaseInsensitive) == 0)
            return &command;
    }
    return nullptr;
}

} // namespace Commands
