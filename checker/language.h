#pragma once

#include "checker/commands.h"
#include "checker/flow_step.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cstddef>

// What the script language is, beyond the command table: its keywords and what
// each may be, which labels are events, how a jump finds its label, and the texts
// that describe a command's arguments. The parser, the rules, the highlighter and
// the language server all ask here.
namespace Language {

// What a keyword may be; a keyword may be several.
enum KeywordUse : quint8
{
    StartsStatement = 1, // a line that begins with it begins a statement, not more arguments
    NoLabel = 2,         // rename refuses it as a label's name: the parser reads it as a statement
    Offered = 4,         // completion offers it where a statement begins
};

struct Keyword
{
    QStringView word; // lower case
    quint8 uses;
};

// Every keyword, in the order completion offers them.
const Keyword *keywordsBegin();
const Keyword *keywordsEnd();

// Whether `word`, in any case, is a keyword with `use`.
bool isKeyword(QStringView word, KeywordUse use);

// Whether `text` is `lowerWord` (lower-case ASCII) in any case, without allocating.
// Inline: the parser asks it of most words, and most differ in length.
inline bool equalsIgnoringCase(QStringView text, QStringView lowerWord)
{
    if (text.size() != lowerWord.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if ((c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) != lowerWord.at(i).unicode())
            return false;
    }
    return true;
}

// The same for a word written in the code: its length is known as it is compiled,
// where a view of it would count its letters each time it is asked.
template <size_t N> inline bool equalsIgnoringCase(QStringView text, const char16_t (&lowerWord)[N])
{
    return equalsIgnoringCase(text, QStringView(lowerWord, qsizetype(N - 1)));
}

// Whether `text` is exactly `word`, a word written in the code.
template <size_t N> inline bool is(QStringView text, const char16_t (&word)[N])
{
    return text.size() == qsizetype(N - 1) && std::equal(text.utf16(), text.utf16() + text.size(), word);
}

// `text` in lower case as the server folds names. Names are mostly ASCII, often
// lower case already: then nothing is allocated, and no Unicode table is asked.
QString lowered(const QString &text);

// The syntax word a command is, by its word in lower case: Other for a command
// whose meaning is all in its row of the command table.
FlowStep::Word flowWord(QStringView lowerCommand);

// The functions the conversation preview works out itself rather than asking
// their value, by their name in lower case.
enum class Function : quint8
{
    Other,
    GetArg,      // getarg(n [, default]): the argument given to the function or subroutine
    GetArgCount, // how many were given
    TextLength,  // getstrlen, strlen: the length of a text
};
Function functionOf(QStringView lowerName);

// Whether the function `name` (in any case) gives a text: strcharinfo, getitemname, ...
bool givesText(QStringView name);

// Labels whose name begins with "On" are events, called by the server or other NPCs.
bool isEventLabel(QStringView label);

// Whether `word` (in any case) is the command that calls a local function of
// another NPC by their names: callfunctionofnpc("Ferryman","Fare",1), as
// "Ferryman"::Fare(1).
bool callsFunctionOfNpc(QStringView word);
// Whether `word` marks a local function that other NPCs may call ("public"); an
// unmarked one, like one marked "private", is the body's own.
bool marksPublic(QStringView word);

// Event labels are filed under a name of this many bytes.
constexpr int kLongestEventLabelBytes = 24;

// The spelling of the label a jump to `jump` reaches, given which spellings are
// defined: the server looks every name up in lower case first. Empty when none.
template <typename IsDefined> QString reachedLabel(const QString &jump, IsDefined isDefined)
{
    const QString lower = lowered(jump);
    if (isDefined(lower))
        return lower;
    return isDefined(jump) ? jump : QString();
}

// Binding strength of a binary operator, loosest first as the server reads them:
// 1 assignments, 2 "?:", 3 "||", 4 "&&", 5 comparisons, 6 "^", 7 "|",
// 8 "&" "<<" ">>", 9 "+" "-", 10 "*" "/" "%" (its "^" binds looser than "|"), and
// today's 11 "**" and 5 "~=" "~!"; 0 for anything else.
int binaryPrecedence(QStringView op);
// The same in today's servers' order when `todaysOrder`, C's: 1 assignments, 2 "?:",
// 3 "||", 4 "&&", 5 "|", 6 "^", 7 "&", 8 "==" "!=" "~=" "~!", 9 "<" "<=" ">" ">=",
// 10 "<<" ">>", 11 "+" "-", 12 "*" "/" "%", 13 "**".
int binaryPrecedence(QStringView op, bool todaysOrder);

// Whether a binary operator is one only today's servers read: "**", "**=", "~=", "~!".
bool isTodaysOperator(QStringView op);

// How many arguments a command takes, as messages say it: "2個", "1〜3個", "1個以上":
// on the first kind of server of `servers`, or on any server when it is 0.
QString argumentCount(const Commands::Command &command, Target::Servers servers = 0);

// Whether `name` is a player variable ("@count", "@name$"): kept for the player
// while they stay logged in, so it may be set in one file and read in another.
// "$@" (global), ".@" (scope) and "@@" are other kinds.
bool isPlayerVariable(QStringView name);
// Whether `name` is a scope variable (.@name), which lives as long as its script
// runs. Inline: every variable the parser reads is asked.
inline bool isScopeVariable(QStringView name)
{
    return name.size() >= 2 && name.front() == u'.' && name.at(1) == u'@';
}

// The player variables the server itself sets, in lower case: a read of one needs
// no script to set it. "@menu" holds the choice of the last menu or select().
const QStringList &variablesTheServerSets();
// Whether the server sets the player variable `name` (any case) itself: one of
// variablesTheServerSets, or one of the families it fills as lists
// ("@inventorylist_id", "@skilllist_lv", ...).
bool isSetByTheServer(QStringView name);

// The hint after an unknown command's name: "（「warp」ですか）", or empty.
QString nearestCommandHint(const QString &nearest);

// What an argument of a command names in the server's own tables, which a server's
// folder lets the checker look up: "getitem 501,1" gives an item first.
enum class NamedThing : quint8
{
    None,
    Item,
    Monster,
    Map,
};
// What argument `argument` (from 0) of the command or function `lowerWord` names.
NamedThing namedBy(QStringView lowerWord, int argument);

} // namespace Language
