#include "pacer.h"

#include <ctime>
#include <sys/prctl.h>
#include <vector>

namespace bench {
namespace {

double Now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void SleepUntil(double when)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(when);
    ts.tv_nsec = static_cast<long>((when - static_cast<double>(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

} // namespace

PaceResult Pace(FarEnd& far, const PaceProfile& profile, double seconds, std::mt19937& random)
{
    // Packets 64 µs apart need a timer that is not rounded up by the default 50 µs slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::uniform_int_distribution<std::size_t> size(profile.minWrite, profile.maxWrite);
    std::vector<char> packet(profile.maxWrite);
    PaceResult result;
    const double start = Now();
    double due = start;
    while (due - start < seconds) {
        if (Now() < due)
            SleepUntil(due);
        else if (result.writes > 0)
            ++result.lateWrites;
        const std::size_t n = size(random);
        for (std::size_t i = 0; i < n; ++i)
            packet[i] = static_cast<char>('a' + (result.sent + i) % 26);
        far.Write(packet.data(), n);
        result.sent += n;
        ++result.writes;
        due += static_cast<double>(n) / profile.bytesPerSecond;
    }
    return result;
}

} // namespace bench
