#include "runtime/synchronize.h"
#include "runtime/thread.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

#include <gtest/gtest.h>

#include <iostream>
#include <limits>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
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

// How long the race below runs: a few seconds and at most 400,000 rounds in
// the suite, longer on demand (FLUXMIRA_STRESS_MS) when hunting a rare
// interleaving.
struct StressBudget {
    std::chrono::milliseconds time;
    long rounds;
};

StressBudget stressBudget()
{
    if (const char* ms = std::getenv("FLUXMIRA_STRESS_MS"))
        return {std::chrono::milliseconds(std::stol(ms)), std::numeric_limits<long>::max()};
    return {std::chrono::milliseconds(3000), 400000};
}

// A worker hands calls over one after the other while the GUI thread waits
// for each of them with WaitOnGuiThread, so every wait races with the next
// hand-over. A hand-over queued between the wait's drain and its sleep must
// still run: otherwise both threads wait for each other. A watchdog notices
// a stall, reports it and wakes the GUI thread so the test ends.
TEST(Synchronize, HandOversRacingAWaitAreNeverLost)
{
    const StressBudget budget = stressBudget();
    std::atomic<long> done{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> stalled{false};
    std::atomic<long> stalledAt{-1};
    std::atomic<bool> workerEnded{false};
    std::thread worker([&] {
        for (long i = 1; !stop.load(); ++i) {
            runtime::Synchronize([] {});
            done.store(i);
            runtime::WakeMainThread();
        }
        workerEnded.store(true);
    });
    std::thread watchdog([&] {
        long last = -1;
        auto since = std::chrono::steady_clock::now();
        while (!stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const long now = done.load();
            if (now != last) {
                last = now;
                since = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(5)) {
                if (!stalled.exchange(true))
                    stalledAt.store(now);
                runtime::WakeMainThread();  // rescue: lets the GUI thread drain again
            }
        }
    });
    const auto until = std::chrono::steady_clock::now() + budget.time;
    long round = 0;
    while (round < budget.rounds && std::chrono::steady_clock::now() < until && !stalled.load()) {
        const long target = done.load() + 1;
        runtime::WaitOnGuiThread([&] { return done.load() >= target; });
        if (++round % 1000 == 0)
            QCoreApplication::processEvents();  // the posted drain requests of the calls run meanwhile
    }
    stop.store(true);
    while (!workerEnded.load()) {  // it may be inside one more hand-over
        runtime::CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    watchdog.join();
    runtime::ProcessMessages();
    EXPECT_FALSE(stalled.load()) << "a hand-over was lost after " << stalledAt.load() << " rounds";
    EXPECT_GT(round, 1000) << "too few rounds to mean anything";
    std::cout << "rounds: " << round << std::endl;
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
