#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// What every benchmark measures with: the median of many runs, and one run timed.
namespace BenchTiming {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds that `action` takes.
inline double timeOnce(const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return double(timer.nsecsElapsed()) / 1000.0;
}

} // namespace BenchTiming
