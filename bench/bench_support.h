// Timing helpers shared by the benchmarks: wall time of a body on the performance counter and the
// median of a series of rounds.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace ovs::bench {

template <typename Body>
double Time(Body body) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&from);
    body();
    QueryPerformanceCounter(&to);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace ovs::bench
