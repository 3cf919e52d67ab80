#pragma once

#include <QStringView>
#include <QVector>

#include <algorithm>

// How far apart two spellings are, for the hints about misspelt words.
namespace Spelling {

// Letters changed, added, dropped or swapped with a neighbour that turn `a` into
// `b` (optimal string alignment), given up past `limit`: then limit + 1.
inline int distance(QStringView a, QStringView b, int limit)
{
    if (qAbs(a.size() - b.size()) > limit)
        return limit + 1;
    const qsizetype n = b.size();
    QVector<int> before(n + 1), previous(n + 1), current(n + 1);
    for (qsizetype j = 0; j <= n; ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        int best = current[0];
        for (qsizetype j = 1; j <= n; ++j) {
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            int value = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                value = std::min(value, before[j - 2] + 1);
            current[j] = value;
            best = std::min(best, value);
        }
        if (best > limit)
            return limit + 1;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[n];
}

} // namespace Spelling
