#pragma once

#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

// What a path knows of variables compared with constants: for each variable it
// knows anything of, the values it may hold, as a few ranges. A variable it
// holds nothing of may hold any value.
class ValueKnowledge
{
public:
    using Range = std::pair<qint64, qint64>; // both ends included
    using Values = std::vector<Range>;       // sorted, apart; empty: no value at all

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
    void set(const QString &name, qint64 low, qint64 high);
    // Nothing more is known of the variable.
    void forget(const QString &name);
    void forgetAll() { known_.clear(); }
    bool knows(const QString &name) const;
    // Keeps only the values for which `name compare constant` holds.
    void keep(const QString &name, Compare compare, qint64 constant);

    // What holds on either of two paths that meet.
    static ValueKnowledge either(const ValueKnowledge &a, const ValueKnowledge &b);

    friend bool operator==(const ValueKnowledge &a, const ValueKnowledge &b)
    {
        return a.possible_ == b.possible_ && a.known_ == b.known_;
    }
    friend bool operator!=(const ValueKnowledge &a, const ValueKnowledge &b) { return !(a == b); }

private:
    Values *find(const QString &name);
    const Values *find(const QString &name) const;

    bool possible_ = true;
    std::vector<std::pair<QString, Values>> known_; // sorted by name
};
