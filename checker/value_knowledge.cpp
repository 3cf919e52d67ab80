#include "checker/value_knowledge.h"

#include <algorithm>
#include <limits>

namespace {

using Range = ValueKnowledge::Range;
using Values = ValueKnowledge::Values;

constexpr qint64 kLowest = std::numeric_limits<qint32>::min();
constexpr qint64 kHighest = std::numeric_limits<qint32>::max();
// More ranges than this are kept as the one range around them, so paths that
// meet round a loop settle.
constexpr size_t kMostRanges = 8;

Values intersect(const Values &values, qint64 low, qint64 high)
{
    Values kept;
    for (const auto &[from, to] : values) {
        const qint64 a = std::max(from, low), b = std::min(to, high);
        if (a <= b)
            kept.push_back({a, b});
    }
    return kept;
}

Values without(const Values &values, qint64 value)
{
    Values kept;
    for (const auto &[from, to] : values) {
        if (value < from || value > to) {
            kept.push_back({from, to});
            continue;
        }
        if (from < value)
            kept.push_back({from, value - 1});
        if (value < to)
            kept.push_back({value + 1, to});
    }
    return kept;
}

Values united(const Values &a, const Values &b)
{
    Values all = a;
    all.insert(all.end(), b.cbegin(), b.cend());
    std::sort(all.begin(), all.end());
    Values merged;
    for (const Range &range : all) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    if (merged.size() > kMostRanges)
        merged = {{merged.front().first, merged.back().second}};
    return merged;
}

} // namespace

ValueKnowledge::Values *ValueKnowledge::find(const QString &name)
{
    const auto at = std::lower_bound(known_.begin(), known_.end(), name,
                                     [](const auto &entry, const QString &key) { return entry.first < key; });
    return at != known_.end() && at->first == name ? &at->second : nullptr;
}

const ValueKnowledge::Values *ValueKnowledge::find(const QString &name) const
{
    return const_cast<ValueKnowledge *>(this)->find(name);
}

bool ValueKnowledge::knows(const QString &name) const
{
    return find(name) != nullptr;
}

void ValueKnowledge::set(const QString &name, qint64 low, qint64 high)
{
    const Values values = low <= high ? Values{{low, high}} : Values{};
    if (Values *known = find(name)) {
        *known = values;
    } else {
        const auto at = std::lower_bound(known_.begin(), known_.end(), name,
                                         [](const auto &entry, const QString &key) { return entry.first < key; });
        known_.insert(at, {name, values});
    }
    if (values.empty())
        possible_ = false;
}

void ValueKnowledge::forget(const QString &name)
{
    known_.erase(std::remove_if(known_.begin(), known_.end(), [&](const auto &entry) { return entry.first == name; }),
                 known_.end());
}

void ValueKnowledge::keep(const QString &name, Compare compare, qint64 constant)
{
    if (!find(name))
        set(name, kLowest, kHighest);
    Values &values = *find(name);
    switch (compare) {
    case Compare::Equal:
        values = intersect(values, constant, constant);
        break;
    case Compare::NotEqual:
        values = without(values, constant);
        break;
    case Compare::Less:
        values = intersect(values, kLowest, constant - 1);
        break;
    case Compare::LessOrEqual:
        values = intersect(values, kLowest, constant);
        break;
    case Compare::Greater:
        values = intersect(values, constant + 1, kHighest);
        break;
    case Compare::GreaterOrEqual:
        values = intersect(values, constant, kHighest);
        break;
    }
    if (values.empty())
        possible_ = false;
}

ValueKnowledge ValueKnowledge::either(const ValueKnowledge &a, const ValueKnowledge &b)
{
    if (!a.possible_)
        return b;
    if (!b.possible_)
        return a;
    ValueKnowledge both;
    for (const auto &[name, values] : a.known_) {
        if (const Values *other = b.find(name))
            both.known_.push_back({name, united(values, *other)});
    }
    return both;
}
