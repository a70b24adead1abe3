#include "runtime/pump.h"
#include "runtime/tick.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <ctime>

namespace {

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

TEST(Pump, UntilDeadlineLastsItsFullTimeAndHandlesEvents)
{
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    const std::uint32_t start = runtime::GetTickCount();
    runtime::ProcessMessagesUntil(start + 300);
    const std::uint32_t elapsed = runtime::GetTickCount() - start;
    EXPECT_TRUE(fired) << "events posted during the wait are handled inside it";
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 300u + 1500u);
}

TEST(Pump, WaitingDoesNotSpin)
{
    const double cpuBefore = processCpuMs();
    const std::uint32_t start = runtime::GetTickCount();
    runtime::ProcessMessagesUntil(start + 1000);
    const double cpu = processCpuMs() - cpuBefore;
    EXPECT_LT(cpu, 100.0) << "a busy loop would burn the whole second";
}

TEST(Tick, SleepBlocksForItsTime)
{
    const std::uint32_t start = runtime::GetTickCount();
    runtime::Sleep(200);
    const std::uint32_t elapsed = runtime::GetTickCount() - start;
    EXPECT_GE(elapsed, 200u);
    EXPECT_LT(elapsed, 200u + 1500u);
}

TEST(Tick, ChangingTheScaleKeepsTheTickCountContinuous)
{
    // A test that speeds time up in the middle of a run must not make a
    // running wait end at once, nor one end never when it slows time down.
    const std::uint32_t before = runtime::GetTickCount();
    runtime::SetTimeScale(1.0 / 40);
    const std::uint32_t faster = runtime::GetTickCount();
    runtime::Sleep(2000);  // 50 ms of real time
    const std::uint32_t later = runtime::GetTickCount();
    runtime::SetTimeScale(1.0);
    const std::uint32_t slower = runtime::GetTickCount();
    EXPECT_LT(std::int32_t(faster - before), 100) << "no jump ahead";
    EXPECT_GE(std::int32_t(later - faster), 2000);
    EXPECT_GE(std::int32_t(slower - later), 0) << "never backwards";
    EXPECT_LT(std::int32_t(slower - later), 100);
}

} // namespace
