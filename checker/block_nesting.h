#pragma once

#include <QString>
#include <QStringView>

#include <memory>

// The blocks open around a statement of a body: whether a loop or a switch holds
// it (where a break or a continue may stand), and in the switch whose block it
// stands in, the case values and the default written so far. Each line hands on
// the innermost block; blocks are never changed once made, so lines share them
// and a block changed by a case is a new one that shares the rest.
namespace BlockNesting {

// What holds a statement, as bits.
enum Holder : quint8
{
    Nothing = 0,
    Loop = 1,   // a while, for or do: continue may stand here
    Switch = 2, // a switch
};
using Holders = quint8;

struct CaseValue
{
    QString key;
    std::shared_ptr<const CaseValue> previous;
};

struct Block;
using Blocks = std::shared_ptr<const Block>;

struct Block
{
    Blocks outer;            // the block around this one; null in the body's own
    Holders holders = 0;     // what holds the statements directly inside it
    bool isSwitch = false;   // the block of a switch, where its cases stand
    bool hasDefault = false; // a "default:" was written in it
    std::shared_ptr<const CaseValue> cases;

    bool hasCase(QStringView key) const;
};

// What holds a statement that stands in `innermost` (null: the body's own level).
inline Holders holdersIn(const Block *innermost)
{
    return innermost ? innermost->holders : Holders(Nothing);
}

// The blocks after a "{" whose statements `holders` hold; a switch's own block
// when `isSwitch`.
Blocks opened(const Blocks &innermost, Holders holders, bool isSwitch);
// The blocks after the "}" that closes `innermost`.
Blocks closed(const Blocks &innermost);
// The switch block `innermost` with a case value or its default noted.
Blocks withCase(const Blocks &innermost, const QString &key);
Blocks withDefault(const Blocks &innermost);

// Whether two chains of blocks hold the same, block by block.
bool same(const Blocks &a, const Blocks &b);

// How a case value is compared with the others of its switch: a number by its
// value, read the C way ("0x10" is 16, "010" is 8, "-1"), a constant by its name.
QString caseKey(QStringView value, bool negative, bool isNumber);

} // namespace BlockNesting
