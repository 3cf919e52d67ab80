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
// Variables known at once, at most: past them the first by name is forgotten,
// so what a statement costs does not grow with the body.
constexpr size_t kMostVariables = 4;

Values intersect(const Values &values, qint64 low, qint64 high)
{
    Values kept;
    for (const auto &[from, to] : values) {
        const qint64 a = std::max(from, low), b = std::min(to, high);
        if (a <= b)
            kept.append({a, b});
    }
    return kept;
}

Values without(const Values &values, qint64 value)
{
    Values kept;
    for (const auto &[from, to] : values) {
        if (value < from || value > to) {
            kept.append({from, to});
            continue;
        }
        if (from < value)
            kept.append({from, value - 1});
        if (value < to)
            kept.append({value + 1, to});
    }
    return kept;
}

Values united(const Values &a, const Values &b)
{
    Values all = a;
    all.append(b.constData(), b.size());
    std::sort(all.begin(), all.end());
    Values merged;
    for (const Range &range : all) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.append(range);
    }
    if (size_t(merged.size()) > kMostRanges)
        merged = Values{{merged.front().first, merged.back().second}};
    return merged;
}

} // namespace

ValueKnowledge::Values *ValueKnowledge::find(int name)
{
    const auto at = std::lower_bound(known_.begin(), known_.end(), name,
                                     [](const auto &entry, int key) { return entry.name < key; });
    return at != known_.end() && at->name == name ? &at->values : nullptr;
}

const ValueKnowledge::Values *ValueKnowledge::find(int name) const
{
    return const_cast<ValueKnowledge *>(this)->find(name);
}

bool ValueKnowledge::knows(int name) const
{
    return find(name) != nullptr;
}

std::optional<qint64> ValueKnowledge::lowest(int name) const
{
    const Values *values = find(name);
    if (!values || values->isEmpty())
        return std::nullopt;
    return values->front().first;
}

void ValueKnowledge::set(int name, qint64 low, qint64 high)
{
    const Values values = low <= high ? Values{{low, high}} : Values{};
    if (Values *known = find(name)) {
        *known = values;
    } else {
        const auto at = std::lower_bound(known_.begin(), known_.end(), name,
                                         [](const auto &entry, int key) { return entry.name < key; });
        known_.insert(at, Known{name, values});
        if (size_t(known_.size()) > kMostVariables)
            known_.erase(known_.begin() + (known_.front().name == name ? 1 : 0));
    }
    if (values.empty())
        possible_ = false;
}

void ValueKnowledge::forget(int name)
{
    known_.erase(std::remove_if(known_.begin(), known_.end(), [&](const Known &entry) { return entry.name == name; }),
                 known_.end());
}

void ValueKnowledge::keep(int name, Compare compare, qint64 constant)
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
    for (const Known &known : a.known_) {
        if (const Values *other = b.find(known.name))
            both.known_.append(Known{known.name, united(known.values, *other)});
    }
    return both;
}
