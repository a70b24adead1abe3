#include "runtime/tick.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace runtime {
namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point kStart = Clock::now();
std::atomic<double> gScale{1.0};

} // namespace

std::uint32_t GetTickCount()
{
    const double realMs = std::chrono::duration<double, std::milli>(Clock::now() - kStart).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(realMs / gScale.load()));
}

void Sleep(std::uint32_t ms)
{
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms * gScale.load()));
}

void SetTimeScale(double realPerProgramMs)
{
    if (realPerProgramMs > 0)
        gScale.store(realPerProgramMs);
}

double TimeScale()
{
    return gScale.load();
}

} // namespace runtime
