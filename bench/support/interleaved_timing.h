#pragma once
// Timing candidates in one run: each round runs every variant once, in turn,
// so a change of load on a shared machine hits all of them alike.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench_support {

struct Timing {
    double best = 1e300; // microseconds; the least disturbed run on a shared machine
    std::vector<double> all;
    double median()
    {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    }
};

inline std::vector<Timing> timeInterleaved(int rounds, const std::vector<std::function<void()>>& variants)
{
    using Clock = std::chrono::steady_clock;
    std::vector<Timing> timings(variants.size());
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t v = 0; v < variants.size(); ++v) {
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
