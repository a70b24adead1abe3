#include "comm/timer.h"
#include "runtime/tick.h"

#include "tests/comm/pump_until.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct TimerCase {
    const char* name;
    std::uint32_t interval;
    bool enabled;
    bool handler;
    bool runs;
};

class TimerTable : public testing::TestWithParam<TimerCase> {};

TEST_P(TimerTable, RunsOnlyWithIntervalEnabledAndHandler)
{
    const TimerCase& c = GetParam();
    comm::TcmTimer timer;
    int fired = 0;
    timer.SetInterval(c.interval);
    timer.SetEnabled(c.enabled);
    if (c.handler)
        timer.SetOnTimer([&](comm::TcmTimer*) { ++fired; });
    EXPECT_EQ(timer.IsRunning(), c.runs);
    comm_test::PumpFor(150);
    EXPECT_EQ(fired > 0, c.runs);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimerTable,
                         testing::Values(TimerCase{"Runs", 20, true, true, true},
                                         TimerCase{"IntervalZero", 0, true, true, false},
                                         TimerCase{"Disabled", 20, false, true, false},
                                         TimerCase{"NoHandler", 20, true, false, false}),
                         [](const testing::TestParamInfo<TimerCase>& info) { return std::string(info.param.name); });

TEST(Timer, DefaultsAndLateIntervalStartsIt)
{
    comm::TcmTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    timer.SetInterval(0);
    int fired = 0;
    timer.SetOnTimer([&](comm::TcmTimer* sender) {
        EXPECT_EQ(sender, &timer);
        ++fired;
    });
    comm_test::PumpFor(100);
    EXPECT_EQ(fired, 0) << "interval 0 never fires";
    runtime::SetTimeScale(0.1);
    timer.SetInterval(500);
    runtime::SetTimeScale(1.0);
    EXPECT_TRUE(comm_test::PumpUntil([&] { return fired > 0; }, 2000)) << "500 program ms at scale 0.1";
}

TEST(Timer, HandlerErrorIsSwallowedAndTimerKeepsFiring)
{
    comm::TcmTimer timer;
    int fired = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&](comm::TcmTimer*) {
        ++fired;
        throw std::runtime_error("handler failed");
    });
    EXPECT_TRUE(comm_test::PumpUntil([&] { return fired >= 3; }, 2000));
}

TEST(Timer, OneShotUseDisablesItselfInItsHandler)
{
    comm::TcmTimer timer;
    int fired = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&](comm::TcmTimer* t) {
        t->SetEnabled(false);
        ++fired;
    });
    comm_test::PumpFor(150);
    EXPECT_EQ(fired, 1);
}

TEST(Timer, DestructionStopsIt)
{
    int fired = 0;
    {
        comm::TcmTimer timer;
        timer.SetInterval(5);
        timer.SetOnTimer([&](comm::TcmTimer*) { ++fired; });
    }
    comm_test::PumpFor(50);
    EXPECT_EQ(fired, 0);
}

} // namespace
