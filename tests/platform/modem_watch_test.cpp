// The helper thread that waits for modem line changes. No UART here, so the
// driver's wait is stood in for by a blocking poll() on a pipe: a syscall
// that only a change (a byte in the pipe) or a signal ends, like TIOCMIWAIT.
#include "platform/posix/modem_watch.h"

#include "timing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::posix::ModemWatch;
using platform_test::Clock;
using platform_test::MsSince;

class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(fds), 0); }
    ~Pipe()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    // Blocks until a "line change" is written, without a timeout.
    int WaitForChange()
    {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, -1) < 0)
            return errno;
        char c;
        (void)::read(fds[0], &c, 1);
        return 0;
    }
    void Change() { (void)::write(fds[1], "c", 1); }

    int fds[2] = {-1, -1};
};

bool Eventually(const std::function<bool()>& pred)
{
    const auto start = Clock::now();
    while (!pred()) {
        if (MsSince(start) > 3000)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(ModemWatch, EachChangeIsReportedAndStopEndsTheBlockedWait)
{
    Pipe pipe;
    std::atomic<int> changes{0};
    ModemWatch watch([&] { return pipe.WaitForChange(); }, [&] { ++changes; });
    watch.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(changes.load(), 0);
    pipe.Change();
    ASSERT_TRUE(Eventually([&] { return changes.load() == 1; }));
    pipe.Change();
    ASSERT_TRUE(Eventually([&] { return changes.load() == 2; }));

    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // blocked in the wait again
    const auto start = Clock::now();
    watch.Stop();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_TRUE(watch.Ended());
    EXPECT_FALSE(watch.Unsupported());
    EXPECT_EQ(changes.load(), 2) << "stopping is no change";
}

TEST(ModemWatch, StoppingRightAfterStartNeverHangs)
{
    // The signal may come before the thread blocks: Stop repeats it.
    for (int i = 0; i < 50; ++i) {
        Pipe pipe;
        ModemWatch watch([&] { return pipe.WaitForChange(); }, [] {});
        watch.Start();
        watch.Stop();
        ASSERT_TRUE(watch.Ended());
    }
}

TEST(ModemWatch, ADriverWithoutTheWaitEndsTheWatchOnce)
{
    std::atomic<int> calls{0};
    std::atomic<int> changes{0};
    ModemWatch watch(
        [&] {
            ++calls;
            return ENOTTY;
        },
        [&] { ++changes; });
    watch.Start();
    ASSERT_TRUE(Eventually([&] { return watch.Ended(); }));
    EXPECT_TRUE(watch.Unsupported());
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(changes.load(), 1) << "the port is told to look for itself";
    watch.Stop();
}

} // namespace
