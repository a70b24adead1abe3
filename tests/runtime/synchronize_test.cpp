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
