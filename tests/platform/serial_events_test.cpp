#include "port_fixture.h"
#include "timing.h"

#include <atomic>
#include <future>
#include <thread>

namespace {

using namespace platform;
using platform_test::Clock;
using platform_test::MsSince;
using platform_test::PortFixture;
using platform_test::ProcessCpuMs;
using namespace std::chrono_literals;

struct WaitResult {
    bool ok = false;
    std::uint32_t mask = 0;
    ErrorCode error = kErrorSuccess;
};

WaitResult Wait(Handle h, Event* cancel = nullptr)
{
    WaitResult r;
    r.ok = WaitCommEvent(h, r.mask, cancel);
    r.error = r.ok ? kErrorSuccess : GetLastError();
    return r;
}

// Runs a wait on another thread; the result is there within `ms` or not at all.
class AsyncWait {
public:
    explicit AsyncWait(Handle h, Event* cancel = nullptr)
        : fHandle(h), fFuture(std::async(std::launch::async, [h, cancel] { return Wait(h, cancel); }))
    {
    }
    // A wait that never ended fails its test; closing the handle ends it, so the test ends too.
    ~AsyncWait()
    {
        if (fFuture.valid() && !DoneWithin(0ms))
            CloseHandle(fHandle);
    }
    bool DoneWithin(std::chrono::milliseconds ms) { return fFuture.wait_for(ms) == std::future_status::ready; }
    WaitResult Get() { return fFuture.get(); }

private:
    Handle fHandle;
    std::future<WaitResult> fFuture;
};

class Events : public PortFixture {
protected:
    Handle OpenWithMask(std::uint32_t mask)
    {
        Handle h = OpenOrFail();
        EXPECT_TRUE(SetCommMask(h, mask));
        return h;
    }
};

TEST_F(Events, ArrivalIsReportedOncePerArrival)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait first(h);
    EXPECT_FALSE(first.DoneWithin(100ms));
    ASSERT_TRUE(Far().Write("abc"));
    ASSERT_TRUE(first.DoneWithin(3000ms));
    WaitResult r = first.Get();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.mask, EV_RXCHAR);

    // The same unread bytes are no new event.
    AsyncWait second(h);
    EXPECT_FALSE(second.DoneWithin(200ms));
    ASSERT_TRUE(Far().Write("d"));
    ASSERT_TRUE(second.DoneWithin(3000ms));
    EXPECT_EQ(second.Get().mask, EV_RXCHAR);

    char buffer[8];
    std::uint32_t n = 0;
    ASSERT_TRUE(ReadWait(h, buffer, 4, &n));
    EXPECT_EQ(std::string(buffer, n), "abcd");
}

TEST_F(Events, BytesThatArrivedBeforeTheWaitAreReported)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    ASSERT_TRUE(Far().Write("early"));
    std::this_thread::sleep_for(50ms);
    AsyncWait wait(h);
    ASSERT_TRUE(wait.DoneWithin(3000ms));
    EXPECT_EQ(wait.Get().mask, EV_RXCHAR);
}

TEST_F(Events, CloseFromAnotherThreadEndsTheWait)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait wait(h);
    EXPECT_FALSE(wait.DoneWithin(100ms));
    ASSERT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
    ASSERT_TRUE(wait.DoneWithin(3000ms));
    WaitResult r = wait.Get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kErrorInvalidHandle);
    // The port is free again at once.
    Handle again = OpenPort("COM5");
    EXPECT_NE(again, kInvalidHandle);
    CloseHandle(again);
}

TEST_F(Events, CancelEventAbortsTheWait)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    Event cancel;
    AsyncWait wait(h, &cancel);
    EXPECT_FALSE(wait.DoneWithin(100ms));
    cancel.Set();
    ASSERT_TRUE(wait.DoneWithin(3000ms));
    WaitResult r = wait.Get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kErrorOperationAborted);
    EXPECT_FALSE(cancel.Wait(0));  // the wait took the signal
    // The port still works afterwards.
    ASSERT_TRUE(Far().Write("x"));
    AsyncWait next(h, &cancel);
    ASSERT_TRUE(next.DoneWithin(3000ms));
    EXPECT_EQ(next.Get().mask, EV_RXCHAR);
}

TEST_F(Events, AnArrivalSeenByAnAbortedWaitIsReportedByTheNext)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    Event cancel;
    ASSERT_TRUE(Far().Write("a"));
    std::this_thread::sleep_for(50ms);
    cancel.Set();
    WaitResult aborted = Wait(h, &cancel);
    EXPECT_FALSE(aborted.ok);
    EXPECT_EQ(aborted.error, kErrorOperationAborted);
    AsyncWait next(h);
    ASSERT_TRUE(next.DoneWithin(1000ms));
    EXPECT_EQ(next.Get().mask, EV_RXCHAR);
}

TEST_F(Events, ChangingTheMaskEndsTheWaitEmpty)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait wait(h);
    EXPECT_FALSE(wait.DoneWithin(100ms));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_TXEMPTY));
    ASSERT_TRUE(wait.DoneWithin(3000ms));
    WaitResult r = wait.Get();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.mask, 0u);
}

TEST_F(Events, FarEndHangingUpIsReportedOnceWithoutSpinning)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait wait(h);
    EXPECT_FALSE(wait.DoneWithin(100ms));
    double cpuBefore = ProcessCpuMs();
    Far().CloseMaster();
    ASSERT_TRUE(wait.DoneWithin(3000ms));
    WaitResult r = wait.Get();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kErrorDeviceNotConnected);
    // Later calls fail the same way at once instead of blocking or spinning.
    for (int i = 0; i < 3; ++i) {
        auto start = Clock::now();
        WaitResult again = Wait(h);
        EXPECT_FALSE(again.ok);
        EXPECT_EQ(again.error, kErrorDeviceNotConnected);
        EXPECT_LT(MsSince(start), 1000);
    }
    std::uint32_t errors = 0;
    ComStat stat;
    EXPECT_FALSE(ClearCommError(h, &errors, &stat));
    char c;
    std::uint32_t n = 0;
    EXPECT_FALSE(ReadWait(h, &c, 1, &n));
    EXPECT_FALSE(WriteWait(h, "x", 1, &n));
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 300.0);
    EXPECT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
}

TEST_F(Events, HangUpBeforeTheWaitIsReportedToo)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    Far().CloseMaster();
    std::this_thread::sleep_for(20ms);
    WaitResult r = Wait(h);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kErrorDeviceNotConnected);
}

TEST_F(Events, TxEmptyFollowsAWrite)
{
    Handle h = OpenWithMask(EV_RXCHAR | EV_TXEMPTY);
    AsyncWait idle(h);
    EXPECT_FALSE(idle.DoneWithin(100ms));  // nothing written, nothing drained
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "ping", 4, &n));
    ASSERT_TRUE(idle.DoneWithin(3000ms));
    WaitResult r = idle.Get();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.mask, EV_TXEMPTY);
    EXPECT_EQ(Far().ReadExactly(4, 2000), "ping");
}

TEST_F(Events, TxEmptyIsNotReportedUnlessAsked)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait wait(h);
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "ping", 4, &n));
    EXPECT_FALSE(wait.DoneWithin(200ms));
    CloseHandle(h);
    fHandle = kInvalidHandle;
    ASSERT_TRUE(wait.DoneWithin(3000ms));
}

TEST_F(Events, AnIdleWaitCostsNoCpu)
{
    Handle h = OpenWithMask(EV_RXCHAR | EV_TXEMPTY);
    AsyncWait wait(h);
    double cpuBefore = ProcessCpuMs();
    std::this_thread::sleep_for(1000ms);
    double used = ProcessCpuMs() - cpuBefore;
    EXPECT_LT(used, 50.0) << "ms of CPU in 1 s";
    CloseHandle(h);
    fHandle = kInvalidHandle;
    ASSERT_TRUE(wait.DoneWithin(3000ms));
}

TEST_F(Events, ASecondConcurrentWaitIsRefused)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    AsyncWait first(h);
    EXPECT_FALSE(first.DoneWithin(100ms));
    WaitResult second = Wait(h);
    EXPECT_FALSE(second.ok);
    EXPECT_EQ(second.error, kErrorInvalidParameter);
    ASSERT_TRUE(Far().Write("z"));
    ASSERT_TRUE(first.DoneWithin(3000ms));
    EXPECT_EQ(first.Get().mask, EV_RXCHAR);
}

TEST_F(Events, ManyArrivalsWhileNobodyReadsGiveFewEvents)
{
    Handle h = OpenWithMask(EV_RXCHAR);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(Far().Write("x"));
    std::this_thread::sleep_for(50ms);
    // All those arrivals before the wait collapse into one pending report.
    EXPECT_EQ(Wait(h).mask, EV_RXCHAR);
    AsyncWait next(h);
    EXPECT_FALSE(next.DoneWithin(200ms));
    ASSERT_TRUE(Far().Write("y"));
    ASSERT_TRUE(next.DoneWithin(3000ms));
}

} // namespace
