// Polling reads and bounded waits on a port nobody reads automatically.
#include "tests/comm/line_fixture.h"

#include "comm/tick_deadline.h"
#include "runtime/tick.h"

#include <QTimer>

#include <chrono>
#include <thread>

namespace {

using namespace comm;
using comm_test::LineTest;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

using Polling = LineTest;

TEST_F(Polling, WaitForBytesSeesQueuedBytesAtOnceAndRestoresTheTraceStates)
{
    com->SetTraceStates(TraceSet(tsRxChar, tsCTS));
    OpenOrFail();
    ASSERT_TRUE(Far().Write("12345"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto start = Clock::now();
    EXPECT_TRUE(com->WaitForBytes(5, 100));
    EXPECT_LT(MsSince(start), 90);
    EXPECT_EQ(com->TraceStates(), TraceSet(tsRxChar, tsCTS));
    EXPECT_EQ(com->InQueueCount(), 5u) << "tsRxChar was lifted, so nothing read the bytes away";

    com->ClearDeviceInput();
    ASSERT_TRUE(Far().Write("1234"));
    start = Clock::now();
    EXPECT_FALSE(com->WaitForBytes(5, 100));
    EXPECT_GE(MsSince(start), 95);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(com->TraceStates(), TraceSet(tsRxChar, tsCTS));
}

TEST_F(Polling, WaitForBytesOnAClosedPortLeavesTheTraceStates)
{
    com->SetTraceStates(TraceSet(tsRxChar));
    EXPECT_FALSE(com->WaitForBytes(1, 50));
    EXPECT_EQ(com->TraceStates(), TraceSet(tsRxChar));
}

TEST_F(Polling, WaitForBytesKeepsTheGuiAliveAndSeesBytesThatComeLater)
{
    OpenOrFail();
    int timerRuns = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++timerRuns; });
    timer.start(10);
    std::thread writer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Far().Write("late");
    });
    EXPECT_TRUE(com->WaitForBytes(4, 3000));
    writer.join();
    EXPECT_GT(timerRuns, 2);
}

struct ReadMaxCase {
    int queued;
    std::int32_t maxLen;
    std::uint32_t expected;
};

class ReadMax : public LineTest, public ::testing::WithParamInterface<ReadMaxCase> {};

TEST_P(ReadMax, ReadsTheSmallerOfMaxAndQueued)
{
    const ReadMaxCase& c = GetParam();
    OpenOrFail();
    const std::string sent = std::string("abcdefghijklmnopqrstuvwxyz").substr(0, c.queued);
    ASSERT_TRUE(Far().Write(sent));
    ASSERT_TRUE(WaitQueued(c.queued));
    char buffer[32] = {};
    EXPECT_EQ(com->ReadMax(buffer, c.maxLen), c.expected);
    EXPECT_EQ(std::string(buffer, c.expected), sent.substr(0, c.expected));
    EXPECT_EQ(com->InQueueCount(), static_cast<std::uint32_t>(c.queued) - c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadMax,
                         ::testing::Values(ReadMaxCase{3, 10, 3}, ReadMaxCase{20, 10, 10}, ReadMaxCase{0, 10, 0},
                                           ReadMaxCase{5, 0, 0}, ReadMaxCase{5, -1, 0}));

TEST_F(Polling, ReadStringReadAllAndRead)
{
    OpenOrFail();
    EXPECT_EQ(com->ReadString(), "");
    ASSERT_TRUE(Far().Write("hello"));
    ASSERT_TRUE(WaitQueued(5));
    EXPECT_EQ(com->ReadString(), "hello");

    ASSERT_TRUE(Far().Write("all of it"));
    ASSERT_TRUE(WaitQueued(9));
    char buffer[16] = {};
    EXPECT_EQ(com->ReadAll(buffer), 9u);
    EXPECT_EQ(std::string(buffer, 9), "all of it");

    ASSERT_TRUE(Far().Write("xy"));
    char two[2];
    EXPECT_EQ(com->Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "xy");
}

TEST_F(Polling, ReadsOnAClosedPortFailQuietly)
{
    char buffer[4];
    EXPECT_EQ(com->Read(buffer, 4), 0u);
    EXPECT_EQ(com->ReadString(), "");
    EXPECT_EQ(com->ReadMax(buffer, 4), 0u);
    EXPECT_EQ(com->InQueueCount(), 0u);
    EXPECT_EQ(com->OutQueueCount(), 0u);
}

TEST_F(Polling, OutQueueCountsWhatFlowControlHolds)
{
    com->SetStreamProtocol(spHardware);
    OpenOrFail();  // the far end keeps RTS off: our CTS is off
    com->SendData("held back", 9);
    EXPECT_EQ(com->OutQueueCount(), 9u);
    Far().SetRts(true);
    EXPECT_EQ(Far().ReadExactly(9, 2000), "held back");
    EXPECT_EQ(com->OutQueueCount(), 0u);
}

TEST_F(Polling, WaitForSignal)
{
    EXPECT_FALSE(com->WaitForSignal(msDSR, 0)) << "closed";
    OpenOrFail();
    Far().SetDtr(true);
    EXPECT_TRUE(com->WaitForSignal(msDSR, 0)) << "already on, no time to wait";
    EXPECT_TRUE(com->WaitForSignal(msRLSD, 0));
    auto start = Clock::now();
    EXPECT_FALSE(com->WaitForSignal(msCTS, 100));
    EXPECT_GE(MsSince(start), 95);
    std::thread ringer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Far().SetRing(true);
    });
    EXPECT_TRUE(com->WaitForSignal(msRing, 3000));
    ringer.join();
}

TEST(TickDeadline, ElapsedTimeCountsAcrossTheTickWrap)
{
    const std::uint32_t start = 0xFFFFFFF0u;
    TickDeadline deadline(100, start);
    EXPECT_FALSE(deadline.Passed(start));
    EXPECT_FALSE(deadline.Passed(start + 50));   // wrapped past zero
    EXPECT_FALSE(deadline.Passed(start + 100));
    EXPECT_TRUE(deadline.Passed(start + 101));
    EXPECT_FALSE(TickDeadline(0, 7).Passed(7)) << "a zero wait still looks once";
}

} // namespace
