#include "runtime/message_queue.h"
#include "runtime/synchronize.h"
#include "runtime/thread.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class FnThread : public runtime::Thread {
public:
    explicit FnThread(std::function<void(FnThread&)> body) : fBody(std::move(body)) {}
    ~FnThread() override { StopAndWait(); }

protected:
    void Execute() override { fBody(*this); }

private:
    std::function<void(FnThread&)> fBody;
};

TEST(Synchronize, RunsOnlyWhenTheGuiThreadPumps)
{
    std::atomic<bool> ran{false};
    std::atomic<bool> onGui{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        runtime::Synchronize([&] {
            ran = true;
            onGui = runtime::IsGuiThread();
        });
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(ran) << "a hand-over must wait for the GUI thread's pump";
    EXPECT_FALSE(returned) << "the worker must block until its call ran";
    while (!returned)
        runtime::ProcessMessages();
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(onGui);
}

TEST(Synchronize, RethrowsInTheWorker)
{
    std::atomic<bool> caught{false};
    std::thread worker([&] {
        try {
            runtime::Synchronize([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error& e) {
            caught = std::string(e.what()) == "boom";
        }
    });
    while (!caught)
        runtime::ProcessMessages();
    worker.join();
    EXPECT_TRUE(caught);
}

TEST(Synchronize, WaitingForAThreadRunsItsHandOvers)
{
    int calls = 0;
    FnThread t([&](FnThread&) {
        for (int i = 0; i < 50; ++i)
            runtime::Synchronize([&] { ++calls; });
    });
    t.Start();
    t.WaitFor();  // would deadlock without draining
    EXPECT_EQ(calls, 50);
}

TEST(Synchronize, OnTheGuiThreadRunsAtOnce)
{
    bool ran = false;
    runtime::Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Thread, TerminateFlagEndsAWorker)
{
    FnThread t([](FnThread& self) {
        while (!self.Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    t.Start();
    t.Terminate();
    t.WaitFor();
    EXPECT_TRUE(t.Finished());
}

} // namespace

namespace {

using runtime::MessageQueue;
using runtime::ThreadMessage;

TEST(MessageQueue, AHeldReaderWaitsForReleaseWhateverArrives)
{
    MessageQueue queue;
    queue.Hold();
    std::atomic<bool> got{false};
    std::thread reader([&] {
        ThreadMessage m;
        got = queue.Get(m) && m.message == 7;
    });
    queue.Post({7, 0, 0});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(got) << "a held reader must not take the next message";
    queue.Release();
    reader.join();
    EXPECT_TRUE(got);
}

TEST(MessageQueue, DropFrontTakesOnlyTheLeadingMatches)
{
    MessageQueue queue;
    for (std::uint32_t m : {1u, 1u, 2u, 1u})
        queue.Post({m, 0, 0});
    queue.DropFront([](const ThreadMessage& m) { return m.message == 1; });
    std::vector<std::uint32_t> left;
    queue.Close();
    for (ThreadMessage m; queue.Get(m);)
        left.push_back(m.message);
    EXPECT_EQ(left, (std::vector<std::uint32_t>{2, 1}));
}

// The pattern of a port's message thread with UseMainThread on: take a
// message, hold, hand it to the GUI thread, whose call releases. Meanwhile
// the GUI thread keeps waiting for short-lived threads that hand over
// synchronously. A wake-up lost anywhere hangs this loop; overlapping or
// reordered calls are counted.
TEST(Synchronize, HandOversNeverOverlapAndNoneIsLostWhileTheGuiThreadWaits)
{
    constexpr int kMessages = 400;
    MessageQueue queue;
    std::atomic<int> inside{0}, overlaps{0}, ran{0}, outOfOrder{0};
    int expected = 0;
    FnThread reader([&](FnThread&) {
        for (ThreadMessage m; queue.Get(m) && m.message != 0;) {
            queue.Hold();
            runtime::QueueForGuiThread([&, m] {
                if (inside.fetch_add(1) != 0)
                    ++overlaps;
                if (static_cast<int>(m.wParam) != expected++)
                    ++outOfOrder;
                inside.fetch_sub(1);
                ++ran;
                queue.Release();
            });
        }
    });
    reader.Start();
    std::thread writer([&] {
        for (int i = 0; i < kMessages; ++i) {
            queue.Post({1, static_cast<std::uintptr_t>(i), 0});
            if (i % 16 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        queue.Post({0, 0, 0});
    });
    const auto start = std::chrono::steady_clock::now();
    int waits = 0;
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (ran == kMessages && (waits > 200 || elapsed > std::chrono::seconds(2)))
            break;
        ASSERT_LT(elapsed, std::chrono::seconds(30)) << ran << " of " << kMessages << " hand-overs ran";
        int calls = 0;
        FnThread shortLived([&](FnThread&) {
            for (int i = 0; i < 3; ++i)
                runtime::Synchronize([&] { ++calls; });
        });
        shortLived.Start();
        shortLived.WaitFor();  // also runs the reader's hand-overs
        ASSERT_EQ(calls, 3);
        ++waits;
    }
    writer.join();
    reader.WaitFor();
    EXPECT_EQ(ran, kMessages);
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(outOfOrder, 0);
}

} // namespace
