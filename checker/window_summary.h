#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <vector>

// What running a function or subroutine does to the conversation window: for each
// window state it may be entered in (one bit of the window rules' states), the
// states it may come back in. A state with no way back (every path ends the
// script) comes back as nothing.
struct WindowSummary
{
    std::array<quint8, 8> exits{};

    // The states after the call, for the states `before` it.
    quint8 apply(quint8 before) const
    {
        quint8 after = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (before & (1u << bit))
                after |= exits[size_t(bit)];
        }
        return after;
    }

    friend bool operator==(const WindowSummary &a, const WindowSummary &b) { return a.exits == b.exits; }
    friend bool operator!=(const WindowSummary &a, const WindowSummary &b) { return !(a == b); }
};

// Summaries worked out on demand, each once. A call that comes round to a callee
// still being worked out gets `unknown` instead; a result that leaned on such a
// callee further out is not kept, so what is kept never depends on which callee
// was asked for first.
template <typename Key> class WindowSummaryMemo
{
public:
    template <typename Compute> WindowSummary get(const Key &key, const WindowSummary &unknown, Compute compute)
    {
        const auto known = kept_.find(key);
        if (known != kept_.cend())
            return known->second;
        const auto onStack = std::find(stack_.cbegin(), stack_.cend(), key);
        if (onStack != stack_.cend()) {
            lowestHit_ = std::min(lowestHit_, int(onStack - stack_.cbegin()));
            return unknown;
        }
        // Calls nested this deep are not followed: what is worked out under them is not kept.
        if (stack_.size() >= kDeepest) {
            lowestHit_ = 0;
            return unknown;
        }
        const int depth = int(stack_.size());
        const int outerHit = lowestHit_;
        lowestHit_ = std::numeric_limits<int>::max();
        stack_.push_back(key);
        const WindowSummary summary = compute(key);
        stack_.pop_back();
        const bool standsAlone = lowestHit_ >= depth;
        lowestHit_ = std::min(outerHit, lowestHit_);
        if (standsAlone)
            kept_.emplace(key, summary);
        return summary;
    }

    const std::map<Key, WindowSummary> &kept() const { return kept_; }

private:
    static constexpr size_t kDeepest = 32;
    std::map<Key, WindowSummary> kept_;
    std::vector<Key> stack_;
    int lowestHit_ = std::numeric_limits<int>::max();
};
