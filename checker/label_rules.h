#pragma once

#include "checker/diagnostic.h"
#include "checker/target.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QVarLengthArray>
#include <QVector>

#include <cstring>
#include <map>
#include <vector>

// The rules about labels: a jump must reach a label of its own body, a label is
// defined once, and something jumps to it. The index knows, per body, which lines
// define or jump to each label, so an edit re-checks only the lines that share a
// label with it.
namespace LabelRules {

// How labels are filed: labels differing only in case share a key.
QString keyOf(const QString &label);

struct LabelUse
{
    LabelUse() = default;
    LabelUse(const QString &label, int column, int length)
        : label(label), key(keyOf(label)), column(column), length(length)
    {
    }
    QString label;
    QString key;
    int column = 0;
    int length = 0;
    friend bool operator==(const LabelUse &a, const LabelUse &b)
    {
        return a.label == b.label && a.column == b.column && a.length == b.length;
    }
    friend bool operator!=(const LabelUse &a, const LabelUse &b) { return !(a == b); }
};

// A call of a name that no command has: a function of the body, if the body
// declares one so; the parser reads the body once, so the declaration must come first.
struct FunctionCall : LabelUse
{
    FunctionCall() = default;
    FunctionCall(const QString &name, int column, int length, bool declaredBefore, const QString &nearestCommand)
        : LabelUse(name, column, length), declaredBefore(declaredBefore), nearestCommand(nearestCommand)
    {
    }
    bool declaredBefore = false;
    QString nearestCommand; // for the hint when it is no function either
    friend bool operator==(const FunctionCall &a, const FunctionCall &b)
    {
        return static_cast<const LabelUse &>(a) == b && a.declaredBefore == b.declaredBefore &&
               a.nearestCommand == b.nearestCommand;
    }
    friend bool operator!=(const FunctionCall &a, const FunctionCall &b) { return !(a == b); }
};

} // namespace LabelRules

// They move as their bytes do: lists of them grow by moving memory.
Q_DECLARE_TYPEINFO(LabelRules::LabelUse, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(LabelRules::FunctionCall, Q_RELOCATABLE_TYPE);

namespace LabelRules {

struct IndexedLine
{
    QVector<LabelUse> defines; // labels, and the functions the body defines (their names are labels too)
    QVector<LabelUse> jumps;
    QVector<LabelUse> functions;    // "function Name { ... }" inside a body
    QVector<LabelUse> declarations; // "function Name;"
    QVector<FunctionCall> functionCalls;
    // "function<TAB>script<TAB>Name<TAB>{": today's servers let other bodies call it by name.
    QVector<LabelUse> fileFunctions;
    quint64 body = 0; // the body it is indexed under; 0 for none
    bool indexed = false;

    // Whether it holds any label, jump or function: only then can the label rules
    // find anything in it.
    bool holdsUses() const
    {
        return !defines.isEmpty() || !jumps.isEmpty() || !functions.isEmpty() || !declarations.isEmpty() ||
               !functionCalls.isEmpty() || !fileFunctions.isEmpty();
    }

    // Whether it holds what `other` holds, so that its place in the index stands.
    bool indexesAs(const IndexedLine &other) const
    {
        return body == other.body && defines == other.defines && jumps == other.jumps && functions == other.functions &&
               declarations == other.declarations && functionCalls == other.functionCalls &&
               fileFunctions == other.fileFunctions;
    }
};

// How often each spelling of one label is counted, in the order of the spellings.
// A label is mostly written one way or two, so it is found without hashing, and
// the first spelling is the one a hint names whatever order lines came in.
class SpellingCounts
{
public:
    int value(const QString &spelling) const;
    bool contains(const QString &spelling) const { return value(spelling) > 0; }
    // Adds `by` (negative to take away); a spelling counted 0 times is dropped.
    void add(const QString &spelling, int by);
    bool isEmpty() const { return counts_.isEmpty(); }
    const QString &first() const { return counts_.front().first; }

private:
    const std::pair<QString, int> *find(const QString &spelling) const;
    // Most labels are spelt one way: kept in place, without an allocation.
    QVarLengthArray<std::pair<QString, int>, 1> counts_;
};

class Index
{
public:
    // Indexes `line` under its body with the labels it holds now.
    void add(IndexedLine *line);
    // Forgets `line`, which was added holding what `indexedAs` holds.
    void remove(IndexedLine *line, const IndexedLine &indexedAs);
    // Forgets `line` under what it holds now.
    void remove(IndexedLine *line) { remove(line, *line); }

    // The lines that share a label with a line added or removed since the last
    // call, and `also`, each once.
    QVector<IndexedLine *> takeTouched(const QVector<IndexedLine *> &also = {});

    // What the label rules find in `line`, which must be indexed; line number 0.
    Diagnostics diagnostics(const IndexedLine &line) const;

    // The labels `line` defines and the jumps to each, for tools that navigate.
    // A label is mostly defined once and jumped to once or twice: its lines are kept
    // in place, without an allocation each.
    using Lines = QVarLengthArray<IndexedLine *, 2>;
    struct Group
    {
        Lines definitions;
        Lines jumps;
        // How often each spelling is defined and jumped to, so that a label
        // defined or reached many times is judged without counting anew.
        SpellingCounts definedCount;
        SpellingCounts jumpCount;      // by the jump's own spelling
        SpellingCounts lowerJumpCount; // by the jump in lower case
        // Functions of the body under this name, in any case.
        Lines functionUses; // declarations and calls
        int functionCount = 0;
        int declarationCount = 0;
    };
    // The group of `label` in `body`, or nullptr.
    const Group *group(quint64 body, const QString &label) const;

    // The servers calls by name are judged for.
    void setTarget(const Target &target) { target_ = target; }

    // The body under which the file's own functions and the calls by name of
    // names no body defines are filed.
    static constexpr quint64 kFileFunctions = ~quint64(0);

private:
    void fileFunctionsOf(IndexedLine *line, const IndexedLine &holding, int by);
    const Group &groupOf(quint64 body, const QString &key) const;
    void judgeDefinition(const IndexedLine &line, const LabelUse &definition, Diagnostics &found) const;
    void judgeJump(const IndexedLine &line, const LabelUse &jump, Diagnostics &found) const;
    void judgeFunctionUses(const IndexedLine &line, Diagnostics &found) const;
    void judgeCallByName(const FunctionCall &call, Diagnostics &found) const;

    // Labels differing only in case share a group, so that a jump to "l_yes" can
    // point at "L_Yes".
    using Key = QPair<quint64, QString>;
    // Any strict order serves: by body, then by the key's length and its bytes,
    // which tells most keys apart without looking at a character.
    struct KeyOrder
    {
        bool operator()(const Key &a, const Key &b) const
        {
            if (a.first != b.first)
                return a.first < b.first;
            if (a.second.size() != b.second.size())
                return a.second.size() < b.second.size();
            return std::memcmp(a.second.constData(), b.second.constData(), size_t(a.second.size()) * sizeof(QChar)) < 0;
        }
    };

    // Ordered rather than hashed: hashing names costs more than comparing them.
    std::map<Key, Group, KeyOrder> groups_;
    std::vector<Key> touched_; // since the last takeTouched, with repeats
    Target target_;
};

// An unknown command, with the nearest command as its hint and its sure fix.
Diagnostic unknownCommand(const QString &word, int column, int length, const QString &nearest);

} // namespace LabelRules
