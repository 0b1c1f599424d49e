// SPDX-FileCopyrightText: 2026 Quibly developers
// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// CPU time of this thread, so that other processes on a busy machine do not count.
inline double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Timing
{
    double best = 0;
    double median = 0;
};

// Runs \a work \a runs times; the best run is the figure least disturbed by the rest of the machine.
template<typename Work> Timing measure(int runs, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = threadCpuMs();
        work();
        times.push_back(threadCpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    return { times.front(), times[times.size() / 2] };
}
