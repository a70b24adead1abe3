#pragma once
// Timing candidates in one run: each round runs every variant once, in turn,
// so a change of load on a shared machine hits all of them alike. Round i
// starts with variant i % n: the one that runs first meets caches the others
// find warmed, so no variant may always be first.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

namespace bench_support {

// The process's CPU time. On a machine shared with other builds a variant
// preempted half-way would otherwise be charged with the other programs'
// work, and the longer variant more often than the shorter one.
struct ProcessCpuClock {
    using rep = double;
    using period = std::micro;
    using duration = std::chrono::duration<rep, period>;
    using time_point = std::chrono::time_point<ProcessCpuClock>;
    static constexpr bool is_steady = true;
    static time_point now() { return time_point(duration(double(std::clock()) * 1e6 / CLOCKS_PER_SEC)); }
};

struct Timing {
    double best = 1e300; // microseconds; the least disturbed run on a shared machine
    std::vector<double> all;
    double median()
    {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    }
};

template <class Clock = std::chrono::steady_clock>
std::vector<Timing> timeInterleaved(int rounds, const std::vector<std::function<void()>>& variants)
{
    std::vector<Timing> timings(variants.size());
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t k = 0; k < variants.size(); ++k) {
            const std::size_t v = (std::size_t(i) + k) % variants.size();
            const auto start = Clock::now();
            variants[v]();
            const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            timings[v].best = std::min(timings[v].best, us);
            timings[v].all.push_back(us);
        }
    }
    return timings;
}

} // namespace bench_support
