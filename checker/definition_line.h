#pragma once

#include "checker/colour.h"
#include "checker/diagnostic.h"
#include "checker/target.h"

#include <QString>
#include <QStringView>
#include <QVector>

#include <utility>

// Reads a line outside any body as the server's loader does: a definition line has
// up to four fields separated by runs of tabs (or, when tabs give fewer than three,
// by runs of blanks): place, kind, name, and what the kind needs. Reading a line
// needs nothing but the line and the servers it is judged for; where today's
// servers read a line otherwise (every tab separates, kind words in lower case,
// "{" right after a comma), the findings are judged for those of the target.
namespace DefinitionLine {

enum class Kind : quint8
{
    None,   // not a definition line: a comment, a blank line, anything the loader skips
    Script, // "script" and "trader"
    Function,
    Shop, // "shop" and the shops of today's servers
    Duplicate,
    Warp,    // "warp" and "warp2"
    Monster, // "monster" and the boss kinds
    Mapflag,
    Other, // a kind the loader does not know, with a body: read, not judged
};

struct Definition
{
    Kind kind = Kind::None;
    QString name;       // the name field, as written
    int nameColumn = 0; // where diagnostics about the whole definition go
    int nameLength = 0;
    int braceColumn = -1; // the "{" that opens the body on this line, or -1
    // Read as the definition it was meant to be, though the loader refuses it: the
    // line begins with a blank. It counts as one only outside a body.
    bool indented = false;
    // "function<TAB>Name<TAB>{": inside a body, the statement that defines a local
    // function; only outside one is it a definition without its kind.
    bool readsAsStatement = false;
    // The servers that skip this line alone, for a kind they do not know or too
    // few fields: the lines of a body it opens they read as definition lines.
    Target::Servers skipsLineOnly = 0;
    Diagnostics diagnostics; // line number 0
    QVector<Colour> colours;

    bool hasBody() const { return kind == Kind::Script || kind == Kind::Function || kind == Kind::Other; }
    bool isFunction() const { return kind == Kind::Function; }
};

// Judged for the servers of `target` (every server without one). Without
// `colours`, the definition's colours are left out (nobody sees them).
Definition read(QStringView line, const Target &target = Target(), bool colours = true);

// The name an NPC named `name` is known by to the server and to other scripts:
// the part after "::" ("Ferryman::ferry_east"), or the whole name.
QStringView uniqueName(QStringView name);

// Where the source of a "duplicate(Source)" definition line is named: the column
// and length of the text between the parentheses, or {-1, 0} when the line is
// no such definition or names none.
std::pair<int, int> duplicateSource(QStringView line);

} // namespace DefinitionLine
