#pragma once

#include "checker/command_window.h"
#include "checker/target.h"

#include <QString>
#include <QStringView>
#include <QVector>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ServerFolder {
struct Facts;
} // namespace ServerFolder
class ServerNames;

// The commands a script body may use, as the server's command table gives them:
// the word, how many arguments it takes and what each argument is, and what it
// does: to the conversation window, to the variables it is given, and the range
// of its result. The built-in table is script-commands.tsv beside this file; a
// server with commands of its own adds them from a file of the same format.
namespace Commands {

// Which arguments a command stores into, as the stores column says.
enum class Stores : quint8
{
    Unsaid, // the table says nothing: a statement may store into any bare variable it is given,
            // a call inside an expression only reads them
    None,   // "-": it only reads its arguments
    Any,    // "*": it may store into any bare variable it is given
    Listed, // "1,3": into those arguments, numbered from 1
};

// One end of a result's range: a number, added to the value of the first argument
// or to the number of choices offered where the bound says so.
struct Bound
{
    enum class Base : quint8
    {
        Number,        // "0"
        FirstArgument, // "n", "n-1"
        Choices,       // "choices"
    };
    Base base = Base::Number;
    int offset = 0;
};

// The range of a command's result where the server fixes it ("0..n-1").
struct Result
{
    bool known = false;
    Bound low;
    Bound high;
};

struct Command
{
    QString word;                     // as the table spells it
    QString lower;                    // the word in lower case, as the rules name commands
    int min = 0;                      // arguments at least
    int max = 0;                      // at most; -1: no upper limit
    QString shape;                    // one letter per argument: s string, e expression, l label; "…" repeats
    bool labelAt(int argument) const; // whether argument `argument` (from 0) is a label
    Window window = Window::None;     // what it does to the conversation window
    Stores stores = Stores::Unsaid;
    quint32 storedArguments = 0; // Listed: bit k for argument k (from 0)
    Result result;
    QString effect; // how the preview says what it does: "アイテム {1} を {2} 個もらう"; empty: no phrase
    // The servers that have it; a row that does not say, such as a server's own,
    // is a command of every server checked for.
    Target::Servers servers = Target::kEveryServer;
    // How many arguments each kind of server takes, where it takes fewer than min
    // to max: by the bit number of its Target::Server. -1 for max: no upper limit.
    struct Range
    {
        int min = 0;
        int max = -1;
    };
    Range counts[4];
    // The servers of `target` that refuse `count` arguments, and those that load
    // it with a warning (the older servers only warn when a count is off).
    Target::Servers refusersOfCount(int count, Target::Servers *warners) const;
    // Read from the shape when the row is added: the parser asks for nearly every
    // command it reads.
    int shapedArguments = 0; // the letters of the shape before "…"

    // Whether argument `argument` (from 0), a bare variable, is given a value: in a
    // statement ("getmapxy .@m$, .@x, .@y;") or a call inside an expression.
    bool storesInto(int argument, bool inExpression) const
    {
        switch (stores) {
        case Stores::Unsaid:
            return !inExpression;
        case Stores::None:
            return false;
        case Stores::Any:
            return true;
        case Stores::Listed:
            return argument >= 0 && argument < 32 && ((storedArguments >> argument) & 1u) != 0;
        }
        return false;
    }
};

class Table
{
public:
    Table() = default;
    // A copy indexes its own commands.
    Table(const Table &other);
    Table &operator=(const Table &other);
    Table(Table &&) = default;
    Table &operator=(Table &&) = default;

    // The commands every server of the family knows, and the forms the buttons write.
    static std::shared_ptr<const Table> builtIn();

    // Adds the rows of a table in the tab-separated format (command, min, max,
    // arguments, window, stores, result, effect, servers, counts; "#" starts a comment line; the
    // header of script-commands.tsv says what each column holds). A row for a known
    // word replaces it; columns a row leaves out keep what the row it replaces said,
    // or take their defaults ("-", stores unsaid). Returns false and says why for
    // the first row it cannot read; rows before it are kept.
    bool addRows(QStringView text, QString *error = nullptr);

    // Words are matched without regard to case.
    const Command *find(QStringView word) const;

    // The known word nearest to `word`: one or two letters changed, added, dropped or
    // swapped with a neighbour; empty when none is that close.
    QString nearest(QStringView word) const;

    int size() const { return int(commands_.size()); }

    // The servers the table's commands are read for; every server by default.
    const Target &target() const { return target_; }
    void setTarget(const Target &target) { target_ = target; }

    // What the server's own folder says, when scripts are checked for one; null otherwise.
    const std::shared_ptr<const ServerFolder::Facts> &serverFacts() const { return serverFacts_; }
    // Its names as the rules look them up, indexed once when the facts are set; null without them.
    const ServerNames *serverNames() const { return serverNames_.get(); }
    void setServerFacts(std::shared_ptr<const ServerFolder::Facts> facts);

    // Every command, sorted by word.
    QVector<const Command *> all() const;

private:
    // Words are looked up for nearly every statement and name in an expression: an
    // open-addressing index over the commands, by a hash of the word in lower case.
    // The words themselves are copied beside it, so that a lookup reads two small
    // arrays rather than the commands spread over the heap.
    struct Slot
    {
        quint32 hash = 0;
        qint32 entry = -1; // in entries_, or -1 for an empty slot
    };
    struct Entry
    {
        static constexpr int kKept = 20; // longer words are compared through their command
        int length = 0;
        char lower[kKept] = {};
        const Command *command = nullptr;
    };
    bool addRow(QStringView line, int number, QString *error);
    void index();
    bool matches(QStringView word, const Entry &entry) const;

    Target target_;
    std::shared_ptr<const ServerFolder::Facts> serverFacts_;
    std::shared_ptr<const ServerNames> serverNames_; // shared by copies: indexed once
    std::unordered_map<std::u16string, Command> commands_; // by the word in lower case
    std::vector<Slot> slots_;                              // a power of two, at most half full
    std::vector<Entry> entries_;
};

// The built-in table with the rows of `path` added, or the built-in table alone when
// `path` is empty. `path` is a table of the format above, or the source file in
// which a server defines its commands (see CommandSource), told apart by content.
// Raises the reader's failure when the file cannot be read, and a failure naming
// the row when a row cannot be read or the source defines no command.
std::shared_ptr<const Table> withFile(const QString &path);

} // namespace Commands
