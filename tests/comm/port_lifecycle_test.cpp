#include "runtime/synchronize.h"
#include "tests/support/message_box_watcher.h"

#include "tests/comm/log_lines.h"
#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

using namespace comm;
using comm_test::PortTest;

// --- port number, port view, byte size ----------------------------------------

struct ComPortCase {
    std::uint16_t number;
    TComPort view;
};

class ComPortView : public PortTest, public ::testing::WithParamInterface<ComPortCase> {};

TEST_P(ComPortView, ReadsTheNumber)
{
    com->SetComPortNo(GetParam().number);
    EXPECT_EQ(com->ComPort(), GetParam().view);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ComPortView,
                         ::testing::Values(ComPortCase{1, cpCOM1}, ComPortCase{8, cpCOM8}, ComPortCase{9, cpCOMxx},
                                           ComPortCase{12, cpCOMxx}, ComPortCase{0, cpCOMxx}));

TEST_F(PortTest, WritingComPort)
{
    com->SetComPortNo(12);
    com->SetComPort(cpCOMxx);
    EXPECT_EQ(com->ComPortNo(), 12);
    com->SetComPort(cpCOM3);
    EXPECT_EQ(com->ComPortNo(), 3);
}

TEST_F(PortTest, ByteSizeKeepsFourToEight)
{
    const std::pair<int, int> cases[] = {{9, 8}, {3, 8}, {0, 8}, {255, 8}, {4, 4}, {7, 7}, {8, 8}};
    for (auto [in, stored] : cases) {
        com->SetByteSize(static_cast<std::uint8_t>(in));
        EXPECT_EQ(com->ByteSize(), stored) << in;
    }
}

TEST_F(PortTest, ConstructionDefaults)
{
    TcmComm fresh;
    EXPECT_FALSE(fresh.Active());
    EXPECT_EQ(fresh.BaudRate(), 19200u);
    EXPECT_EQ(fresh.ByteSize(), 8);
    EXPECT_EQ(fresh.Parity(), pNone);
    EXPECT_EQ(fresh.StopBits(), sbOne);
    EXPECT_EQ(fresh.StreamProtocol(), spHardware);
    EXPECT_EQ(fresh.ComPortNo(), 1);
    EXPECT_EQ(fresh.ComPort(), cpCOM1);
    EXPECT_EQ(fresh.TraceStates(), 0);
    EXPECT_EQ(fresh.BufferInSize(), 8192);
    EXPECT_EQ(fresh.BufferOutSize(), 8192);
    EXPECT_EQ(fresh.TimeoutRead(), 0u);
    EXPECT_EQ(fresh.TimeoutWrite(), 0u);
    EXPECT_TRUE(fresh.UseMainThread());
    EXPECT_FALSE(fresh.KeepConnection());
    EXPECT_FALSE(fresh.RS485Mode());
    EXPECT_EQ(fresh.EventChar(), 0);
    EXPECT_EQ(fresh.EnumPorts(), epQuickAll);
    EXPECT_EQ(fresh.Config().dcb.Flags, 0x2015u);
}

// Notices may come from the event thread.
struct Codes {
    void Notify(QObject*, std::int32_t code)
    {
        std::lock_guard lock(mutex);
        fCodes.push_back(code);
    }
    std::vector<int> codes() const
    {
        std::lock_guard lock(mutex);
        return fCodes;
    }
    mutable std::mutex mutex;
    std::vector<int> fCodes;
};

TEST_F(PortTest, SameComPortNoWhileOpenReopensResetsAndNotifies)
{
    Codes listener;
    com->NotifyAdd(MakeNotifyEvent(&listener, &Codes::Notify));
    OpenOrFail();
    com->SendString("abc");
    com->SetComPortNo(comm_test::kPortNumber);
    EXPECT_TRUE(com->Active());
    EXPECT_EQ(com->BytesSent(), 0u);
    EXPECT_EQ(listener.codes(), (std::vector<int>{2, 1, 2, 3}));
    com->SetActive(false);
    EXPECT_EQ(listener.codes().back(), 1);
    com.reset();  // its handlers refer to this test's locals
}

// --- lost connection ----------------------------------------------------------

TEST_F(PortTest, PulledCableClosesOnTheEventThreadAndReopenWorks)
{
    testing_support::MessageBoxWatcher boxes;
    Codes listener;
    com->NotifyAdd(MakeNotifyEvent(&listener, &Codes::Notify));
    std::atomic<int> closes{0};
    std::atomic<bool> closeOnGui{false};
    com->OnClose = [&](QObject*) {
        closeOnGui = runtime::IsGuiThread();
        ++closes;
    };
    received.Attach(*com);
    OpenOrFail();
    Far().CloseMaster();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (listener.codes().size() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // no pumping needed
    ASSERT_FALSE(com->Active());
    EXPECT_EQ(closes.load(), 1);
    EXPECT_FALSE(closeOnGui.load());
    EXPECT_EQ(listener.codes(), (std::vector<int>{2, 1}));
    comm_test::PumpFor(100);
    EXPECT_EQ(boxes.count(), 0) << "a lost connection raises nothing";

    Reconnect();
    OpenOrFail();
    com->SendString("back");
    EXPECT_EQ(Far().ReadExactly(4, 2000), "back");
    Far().Write("again");
    EXPECT_TRUE(comm_test::PumpUntil([&] { return received.Bytes() == "again"; }));
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, KeepConnectionLogsOnceAboutTwoSecondsAfterALoss)
{
    AttachLog();
    com->SetKeepConnection(true);
    OpenOrFail();
    const std::string entry = "[detail] cmComm: Try to keep connection ...";
    Far().CloseMaster();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return !com->Active(); }));
    const auto lost = std::chrono::steady_clock::now();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return comm_test::CountEntries(LogPath(), entry) > 0; }, 5000));
    const auto after = std::chrono::duration<double>(std::chrono::steady_clock::now() - lost).count();
    EXPECT_GT(after, 1.5);
    EXPECT_LT(after, 4.0);
    comm_test::PumpFor(2500);
    EXPECT_EQ(comm_test::CountEntries(LogPath(), entry), 1);
    EXPECT_FALSE(com->Active());
}

TEST_F(PortTest, RequestedCloseDoesNotStartKeepConnection)
{
    AttachLog();
    com->SetKeepConnection(true);
    OpenOrFail();
    com->SetActive(false);
    comm_test::PumpFor(2500);
    for (const auto& e : comm_test::LogEntries(LogPath()))
        EXPECT_EQ(e.find("keep connection"), std::string::npos);
}

// --- removal of links while in use --------------------------------------------

TEST_F(PortTest, RemovedLinksLeaveAWorkingPort)
{
    auto* processor = new comm_test::ProbeProcessor;
    auto* terminal = new QWidget;
    auto* monitor = new QWidget;
    AttachLog();
    com->SetDataProcessor(processor);
    com->SetTerminal(terminal);
    com->SetMonitorDSR(monitor);
    received.Attach(*com);
    OpenOrFail();
    delete processor;
    delete terminal;
    delete monitor;
    fLog.reset();
    EXPECT_EQ(com->Log(), nullptr);
    com->SendString("out");
    EXPECT_EQ(Far().ReadExactly(3, 2000), "out");
    Far().Write("in");
    EXPECT_TRUE(comm_test::PumpUntil([&] { return received.Bytes() == "in"; }));
    com->SetActive(false);
    OpenOrFail();
    com.reset();  // its handlers refer to this test's locals
}

// --- closing under load -------------------------------------------------------

class Streamer {
public:
    explicit Streamer(platform::PseudoTerminal& far) : fFar(far)
    {
        fThread = std::thread([this] {
            while (!fStop)
                if (!fFar.Write("0123456789abcdef0123456789abcdef"))
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    ~Streamer()
    {
        fStop = true;
        fFar.CloseMaster();  // wakes a write blocked on a full line
        fThread.join();
    }

private:
    platform::PseudoTerminal& fFar;
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

TEST_F(PortTest, OpenStreamCloseManyTimesNeverDeadlocks)
{
    received.Attach(*com);
    Streamer streamer(Far());
    for (int round = 0; round < 40; ++round) {
        com->SetUseMainThread(round % 4 != 3);
        OpenOrFail();
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 3 * 5));  // hand-overs pile up
        if (round % 2)
            comm_test::PumpFor(5);
        com->SetActive(false);
        ASSERT_FALSE(com->Active());
    }
    EXPECT_GT(received.Size(), 0u);
}

TEST_F(PortTest, ClosingFromInsideTheReceiveHandler)
{
    Streamer streamer(Far());
    int calls = 0;
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t*, std::uint32_t) {
        if (++calls == 1)
            com->SetActive(false);
    };
    OpenOrFail();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return !com->Active(); }));
    comm_test::PumpFor(50);
    EXPECT_EQ(calls, 1);
    OpenOrFail();  // reopening stops what the close had to leave running
    ASSERT_TRUE(comm_test::PumpUntil([&] { return calls >= 2; }));
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, ReopeningFromInsideTheReceiveHandler)
{
    Streamer streamer(Far());
    int calls = 0;
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t*, std::uint32_t) {
        if (++calls == 1)
            com->SetComPortNo(comm_test::kPortNumber);
    };
    OpenOrFail();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return calls >= 5; }));
    EXPECT_TRUE(com->Active());
    com.reset();  // its handlers refer to this test's locals
}

// Ends the test program when a step does not finish in time: a deadlock of
// the GUI thread cannot be reported by the test itself.
class DeadlockGuard {
public:
    DeadlockGuard(const char* what, std::chrono::seconds limit)
    {
        fThread = std::thread([this, what, limit] {
            std::unique_lock lock(fMutex);
            if (!fDone.wait_for(lock, limit, [this] { return fFinished; })) {
                std::fprintf(stderr, "deadlock: %s did not finish within %llds\n", what,
                             static_cast<long long>(limit.count()));
                std::_Exit(3);
            }
        });
    }
    ~DeadlockGuard()
    {
        {
            std::lock_guard lock(fMutex);
            fFinished = true;
        }
        fDone.notify_all();
        fThread.join();
    }

private:
    std::mutex fMutex;
    std::condition_variable fDone;
    bool fFinished = false;
    std::thread fThread;
};

// The handler destroys the component that called it, while the message
// thread waits for that very hand-over: the rest of the receive step must
// not touch the dead component, and whatever has to wait for the message
// thread waits until the hand-over has returned.
TEST_F(PortTest, DestroyingThePortFromInsideItsReceiveHandlerUnderAsan)
{
    Streamer streamer(Far());
    DeadlockGuard guard("destroying the port inside its receive handler", std::chrono::seconds(30));
    int calls = 0;
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t*, std::uint32_t) {
        if (++calls == 1)
            com.reset();
    };
    OpenOrFail();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return com == nullptr; }));
    comm_test::PumpFor(200);
    EXPECT_EQ(calls, 1);

    // The port is free again for a new component.
    auto again = std::make_unique<TcmComm>();
    std::atomic<int> chunks{0};
    again->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t*, std::uint32_t) { ++chunks; };
    again->SetComPortNo(comm_test::kPortNumber);
    again->SetActive(true);
    ASSERT_TRUE(again->Active());
    EXPECT_TRUE(comm_test::PumpUntil([&] { return chunks.load() > 0; }));
    again.reset();
}

TEST_F(PortTest, DestroyingAnOpenStreamingPortUnderAsan)
{
    Streamer streamer(Far());
    for (int round = 0; round < 10; ++round) {
        auto port = std::make_unique<TcmComm>();
        port->SetComPortNo(comm_test::kPortNumber);
        port->SetUseMainThread(round % 2 == 0);
        port->OnAfterReceive = [](TcmBaseIO*, const std::uint8_t*, std::uint32_t) {};
        port->SetActive(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        port.reset();
    }
}

} // namespace
