#include "runtime/error.h"
#include "runtime/synchronize.h"
#include "tests/support/message_box_watcher.h"

#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <thread>

namespace {

using namespace comm;
using comm_test::PortTest;

void Block(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST_F(PortTest, MainThreadDeliveryOnlyWhileTheGuiThreadPumps)
{
    UseAppSettings();
    received.Attach(*com);
    OpenOrFail();
    ASSERT_TRUE(Far().Write("first"));
    Block(200);
    EXPECT_EQ(received.Size(), 0u) << "nothing is delivered while the GUI thread does not pump";
    ASSERT_TRUE(comm_test::PumpUntil([&] { return received.Size() == 5; }));
    EXPECT_EQ(received.Bytes(), "first");
    EXPECT_TRUE(received.AllOnGuiThread());
}

TEST_F(PortTest, MainThreadDeliveryKeepsOrderAcrossABlockingPause)
{
    received.Attach(*com);
    OpenOrFail();
    std::string expected;
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 20; ++i) {
            const std::string chunk = "r" + std::to_string(round) + "c" + std::to_string(i) + ";";
            ASSERT_TRUE(Far().Write(chunk));
            expected += chunk;
            if (i % 7 == 0)
                Block(3);
        }
        Block(round == 2 ? 1000 : 50);  // a fixed pause like the program's 1000 ms
        comm_test::PumpFor(5);
    }
    ASSERT_TRUE(comm_test::PumpUntil([&] { return received.Size() >= expected.size(); }));
    EXPECT_EQ(received.Bytes(), expected);
    EXPECT_TRUE(received.AllOnGuiThread());
    EXPECT_EQ(com->BytesReceived(), expected.size());
}

TEST_F(PortTest, WithoutMainThreadTheMessageThreadDelivers)
{
    com->SetUseMainThread(false);
    received.Attach(*com);
    OpenOrFail();
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        expected += "chunk" + std::to_string(i);
        ASSERT_TRUE(Far().Write("chunk" + std::to_string(i)));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (received.Size() < expected.size() && std::chrono::steady_clock::now() < deadline)
        Block(5);  // no pumping at all
    EXPECT_EQ(received.Bytes(), expected);
    EXPECT_TRUE(received.NoneOnGuiThread());
}

// A far end that streams without being asked (no byte sent in between): the
// arrivals of about a millisecond travel together instead of costing three
// thread wake-ups each, and nothing is lost or reordered on the way.
TEST_F(PortTest, AStreamArrivesWholeInFewerDeliveriesThanWrites)
{
    com->SetUseMainThread(false);
    received.Attach(*com);
    OpenOrFail();
    constexpr int kWrites = 1500;
    std::string expected;
    // Paced every 100 us, far enough apart to arrive one by one; a writer that
    // oversleeps catches up at once, so a loaded machine only bunches them more.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kWrites; ++i) {
        std::this_thread::sleep_until(start + i * std::chrono::microseconds(100));
        const std::string piece = std::to_string(i % 10) + "abcdefghijklmn;";
        ASSERT_TRUE(Far().Write(piece));
        expected += piece;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received.Size() < expected.size() && std::chrono::steady_clock::now() < deadline)
        Block(5);
    EXPECT_EQ(received.Bytes(), expected);
    EXPECT_LT(received.Chunks(), kWrites / 3);
}

// Arrivals pile up while the GUI thread blocks, delivery flips between the GUI
// thread and the message thread mid-stream, and a close comes with a
// hand-over still queued. Every byte arrives once and in order, no two
// receive events ever overlap, and nothing is delivered after the close.
TEST_F(PortTest, PiledUpArrivalsAreDeliveredOnceInOrderOneEventAtATime)
{
    std::mutex mutex;
    std::string got;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        if (inside.fetch_add(1) != 0)
            ++overlaps;
        {
            std::lock_guard lock(mutex);
            got.append(reinterpret_cast<const char*>(data), n);
        }
        inside.fetch_sub(1);
    };
    auto received = [&] {
        std::lock_guard lock(mutex);
        return got;
    };
    OpenOrFail();
    std::mt19937 random(7);
    std::string sent;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; std::chrono::steady_clock::now() - start < std::chrono::seconds(2); ++round) {
        for (int i = 0; i < 10; ++i) {
            const std::string piece = std::to_string(round) + ":" + std::to_string(i) + ";";
            ASSERT_TRUE(Far().Write(piece));
            sent += piece;
        }
        switch (round % 4) {
        case 0: Block(static_cast<int>(random() % 15)); break;  // hand-overs queue up
        case 1: comm_test::PumpFor(2); break;
        case 2: com->SetUseMainThread(!com->UseMainThread()); break;
        default: runtime::ProcessMessages(); break;
        }
    }
    com->SetUseMainThread(true);
    ASSERT_TRUE(comm_test::PumpUntil([&] { return received().size() >= sent.size(); }, 20000));
    comm_test::PumpFor(50);
    EXPECT_EQ(received(), sent);
    EXPECT_EQ(overlaps.load(), 0);

    ASSERT_TRUE(Far().Write("late"));
    Block(100);  // its hand-over is queued: the GUI thread does not pump
    com->SetActive(false);
    comm_test::PumpFor(50);
    EXPECT_EQ(received(), sent);
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, EmptyTraceStatesStillReceiveWithAHandler)
{
    com->SetTraceStates(0);
    received.Attach(*com);
    OpenOrFail();
    Far().Write("xyz");
    EXPECT_TRUE(comm_test::PumpUntil([&] { return received.Bytes() == "xyz"; }));
}

TEST_F(PortTest, WithoutReceiversBytesStayQueuedButAreCountedAtEveryEvent)
{
    com->SetTraceStates(0);
    OpenOrFail();
    Far().Write("abc");
    ASSERT_TRUE(comm_test::PumpUntil([&] { return com->BytesReceived() == 3; }));
    Far().Write("de");
    ASSERT_TRUE(comm_test::PumpUntil([&] { return com->BytesReceived() >= 8; }));
    comm_test::PumpFor(50);
    EXPECT_EQ(com->BytesReceived(), 8u) << "3 + the 5 then queued";
    std::uint32_t errors = 0;
    platform::ComStat stat;
    ASSERT_TRUE(platform::ClearCommError(com->DeviceHandle(), &errors, &stat));
    EXPECT_EQ(stat.cbInQue, 5u);
}

TEST_F(PortTest, ProcessorSeesEachChunkBeforeOnAfterReceive)
{
    comm_test::ProbeProcessor processor;
    std::vector<std::string> trace;
    processor.trace = &trace;
    com->SetDataProcessor(&processor);
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        trace.push_back(std::string(reinterpret_cast<const char*>(data), n));
    };
    OpenOrFail();
    Far().Write("ping");
    ASSERT_TRUE(comm_test::PumpUntil([&] { return trace.size() >= 2; }));
    EXPECT_EQ(trace, (std::vector<std::string>{"processor", "ping"}));
    EXPECT_EQ(processor.seen, "ping");
    com->SetDataProcessor(nullptr);
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, FailingReceiveHandlerShowsItsTextAndReceptionGoesOn)
{
    testing_support::MessageBoxWatcher boxes;
    std::string got;
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        got.append(reinterpret_cast<const char*>(data), n);
        if (got == "bad")
            throw runtime::Error("handler failed");
    };
    OpenOrFail();
    Far().Write("bad");
    ASSERT_TRUE(comm_test::PumpUntil([&] { return boxes.count() == 1; }));
    EXPECT_EQ(boxes.texts().front(), "handler failed");
    Far().Write("good");
    EXPECT_TRUE(comm_test::PumpUntil([&] { return got == "badgood"; }));
    EXPECT_TRUE(com->Active());
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, OnAfterSendOnlyWithTxEmptyTraced)
{
    int sent = 0;
    com->OnAfterSend = [&](TcmBaseIO*) { ++sent; };
    OpenOrFail();
    com->SendString("one");
    comm_test::PumpFor(200);
    EXPECT_EQ(sent, 0);
    com->SetTraceStates(TraceSet(tsTxEmpty));
    com->SendString("two");
    EXPECT_TRUE(comm_test::PumpUntil([&] { return sent > 0; }, 2000));
    Far().Read(100);
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, ClosingAClosedPortOnlyReportsTxEmpty)
{
    std::vector<TTraceStates> reports;
    com->OnTraceState = [&](TcmBaseIO*, TTraceStates s) { reports.push_back(s); };
    int closes = 0;
    com->OnClose = [&](QObject*) { ++closes; };
    com->SetActive(true);
    com->SetActive(false);
    reports.clear();
    closes = 0;
    com->SetActive(false);  // same value: nothing
    EXPECT_TRUE(reports.empty());
    com->SetComPortNo(comm_test::kPortNumber);  // closes the closed port
    EXPECT_EQ(reports, std::vector<TTraceStates>{TraceSet(tsTxEmpty)});
    EXPECT_EQ(closes, 0);
    com.reset();  // its handlers refer to this test's locals
}

} // namespace
