#include "runtime/tick.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace runtime {
namespace {

using Clock = std::chrono::steady_clock;

// The tick count runs on from where it stood when the scale changes, so a
// wait that spans a change never sees time jump or run backwards.
struct Timebase {
    Clock::time_point since = Clock::now();
    double ticksAtSince = 0;
    double scale = 1.0;

    double ticksAt(Clock::time_point now) const
    {
        return ticksAtSince + std::chrono::duration<double, std::milli>(now - since).count() / scale;
    }
};

std::mutex gLock;
Timebase gBase;

} // namespace

std::uint32_t GetTickCount()
{
    const Clock::time_point now = Clock::now();
    const std::lock_guard<std::mutex> lock(gLock);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(gBase.ticksAt(now)));
}

void Sleep(std::uint32_t ms)
{
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms * TimeScale()));
}

void SetTimeScale(double realPerProgramMs)
{
    if (!(realPerProgramMs > 0))
        return;
    const Clock::time_point now = Clock::now();
    const std::lock_guard<std::mutex> lock(gLock);
    gBase.ticksAtSince = gBase.ticksAt(now);
    gBase.since = now;
    gBase.scale = realPerProgramMs;
}

double TimeScale()
{
    const std::lock_guard<std::mutex> lock(gLock);
    return gBase.scale;
}

} // namespace runtime
