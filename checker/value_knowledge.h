#pragma once

#include <QVarLengthArray>
#include <QtGlobal>

#include <optional>
#include <utility>

// What a path knows of variables compared with constants: for each variable it
// knows anything of (by a number its reader gives it), the values it may hold, as
// a few ranges. A variable it holds nothing of may hold any value. Kept without
// an allocation for a few variables: the flow copies it at every statement.
class ValueKnowledge
{
public:
    using Range = std::pair<qint64, qint64>;  // both ends included
    using Values = QVarLengthArray<Range, 2>; // sorted, apart; empty: no value at all

    enum class Compare : quint8
    {
        Equal,
        NotEqual,
        Less,
        LessOrEqual,
        Greater,
        GreaterOrEqual,
    };

    // Whether the path can happen: false once some variable can hold no value.
    bool possible() const { return possible_; }
    void setImpossible() { possible_ = false; }

    // The variable holds a value in `low` to `high` from now on.
    void set(int name, qint64 low, qint64 high);
    // Nothing more is known of the variable.
    void forget(int name);
    void forgetAll() { known_.clear(); }
    bool knows(int name) const;
    // The lowest value the variable may hold; none when nothing is known of it.
    std::optional<qint64> lowest(int name) const;
    // Keeps only the values for which `name compare constant` holds.
    void keep(int name, Compare compare, qint64 constant);

    // What holds on either of two paths that meet.
    static ValueKnowledge either(const ValueKnowledge &a, const ValueKnowledge &b);

    friend bool operator==(const ValueKnowledge &a, const ValueKnowledge &b)
    {
        return a.possible_ == b.possible_ && a.known_ == b.known_;
    }
    friend bool operator!=(const ValueKnowledge &a, const ValueKnowledge &b) { return !(a == b); }

private:
    Values *find(int name);
    const Values *find(int name) const;

    bool possible_ = true;
    struct Known
    {
        int name;
        Values values;
        friend bool operator==(const Known &a, const Known &b) { return a.name == b.name && a.values == b.values; }
    };
    QVarLengthArray<Known, 4> known_; // sorted by name
};
