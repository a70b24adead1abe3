#include "comm/file_log.h"
#include "comm/thread_io.h"
#include "runtime/error.h"
#include "runtime/synchronize.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"

#include "tests/comm/log_lines.h"
#include "tests/comm/probes.h"
#include "tests/comm/pump_until.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using comm_test::ProbeComm;
using comm_test::ProbeIO;
using comm_test::ProbeProcessor;

// --- abstract operations ----------------------------------------------------

TEST(BaseIO, AbstractOperationsRaiseTheAbstractError)
{
    ProbeIO io;
    const std::vector<std::function<void()>> calls = {
        [&] { io.SendChar('a'); },        [&] { io.SendString("a"); },  [&] { io.SendData("a", 1); },
        [&] { io.ClearDeviceInput(); },   [&] { io.ClearDeviceOutput(); },
        [&] { io.ClearDeviceBuffers(); },
    };
    for (const auto& call : calls)
        EXPECT_THROW(call(), runtime::AbstractError);
}

// --- stored activity --------------------------------------------------------

TEST(BaseIO, ActiveWhileLoadingOnlyStoresAndLoadedAppliesIt)
{
    ProbeIO io;
    io.BeginLoading();
    io.SetActive(true);
    EXPECT_TRUE(io.Active()) << "reads the stored value while loading";
    io.device = platform::kInvalidHandle;
    io.Loaded();
    EXPECT_FALSE(io.Active()) << "the stand-in device failed to open";
    io.device = 42;
    io.BeginLoading();
    io.SetActive(true);
    io.Loaded();
    EXPECT_TRUE(io.Active());
    io.SetActive(false);
}

TEST(BaseIO, DesigningTestsTheOpenAndKeepsTheResult)
{
    ProbeIO io;
    int closes = 0;
    io.OnClose = [&](QObject*) { ++closes; };
    io.SetDesigning(true);
    io.SetActive(true);
    EXPECT_TRUE(io.Active());
    EXPECT_EQ(closes, 1) << "the test open is closed at once";
    io.SetDesigning(false);
    EXPECT_FALSE(io.Active());
}

// --- notify list ------------------------------------------------------------

struct Listener {
    std::vector<int> codes;
    void Notify(QObject*, std::int32_t code) { codes.push_back(code); }
};

TEST(BaseIO, NotifyAddOnceAndDeleteByRoutine)
{
    ProbeIO io;
    Listener a, b;
    io.NotifyAdd(comm::MakeNotifyEvent(&a, &Listener::Notify));
    io.NotifyAdd(comm::MakeNotifyEvent(&a, &Listener::Notify));
    io.NotifyAdd(comm::MakeNotifyEvent(&b, &Listener::Notify));
    io.Update();
    EXPECT_EQ(a.codes, std::vector<int>{3});
    EXPECT_TRUE(b.codes.empty()) << "same routine: the second object was not added";
    io.NotifyDelete(comm::MakeNotifyEvent(&b, &Listener::Notify));
    io.SetDeviceIndex(0);
    EXPECT_EQ(a.codes, std::vector<int>{3}) << "b's delete removed a's entry";
    io.NotifyDelete(comm::MakeNotifyEvent(&b, &Listener::Notify));  // not registered: nothing
}

// --- links and their removal --------------------------------------------------

TEST(BaseIO, DataProcessorAttachReplaceDetach)
{
    ProbeIO io;
    ProbeProcessor first, second;
    io.SetDataProcessor(&first);
    EXPECT_EQ(first.devices, std::vector<comm::TcmBaseIO*>{&io});
    io.SetDataProcessor(&second);
    EXPECT_EQ(first.devices.size(), 1u) << "replacing does not detach the first";
    io.SetDataProcessor(nullptr);
    EXPECT_EQ(second.devices, (std::vector<comm::TcmBaseIO*>{&io, nullptr}));
    EXPECT_EQ(io.DataProcessor(), nullptr);
}

TEST(BaseIO, RemovedLinksAreCleared)
{
    testing_support::TempDir dir;
    ProbeComm com;
    auto* processor = new ProbeProcessor;
    auto* log = new comm::TcmFileLog(nullptr, dir.path() / "l.log");
    auto* terminal = new QWidget;
    auto* monitor = new QWidget;
    com.SetDataProcessor(processor);
    com.SetLog(log);
    com.SetTerminal(terminal);
    com.SetMonitorCTS(monitor);
    com.SetMonitorRing(monitor);
    delete processor;
    EXPECT_EQ(com.DataProcessor(), nullptr);
    EXPECT_EQ(com.Log(), log);
    delete log;
    EXPECT_EQ(com.Log(), nullptr);
    delete terminal;
    EXPECT_EQ(com.Terminal(), nullptr);
    delete monitor;
    EXPECT_EQ(com.MonitorCTS(), nullptr);
    EXPECT_EQ(com.MonitorRing(), nullptr);
    com.WriteLog(comm::dlSimple, "nobody listens");
}

TEST(BaseIO, DispatchGoesToProcessorThenOnAfterReceive)
{
    ProbeIO io;
    ProbeProcessor processor;
    std::vector<std::string> trace;
    processor.trace = &trace;
    processor.ignore = 1u << comm::itTerminal | 1u << comm::itAfterReceive;
    io.SetDataProcessor(&processor);
    io.OnAfterReceive = [&](comm::TcmBaseIO* com, const std::uint8_t* data, std::uint32_t n) {
        EXPECT_EQ(com, &io);
        trace.push_back("receive:" + std::string(reinterpret_cast<const char*>(data), n));
    };
    const std::uint8_t chunk[] = {'o', 'k'};
    io.DoDataReceived(chunk, 2);
    EXPECT_EQ(trace, (std::vector<std::string>{"processor", "receive:ok"}))
        << "OnAfterReceive runs whatever the processor asked to skip";
}

// --- log lines ----------------------------------------------------------------

TEST(BaseIO, LogLinesCarryThePrefix)
{
    testing_support::TempDir dir;
    comm::TcmFileLog log(nullptr, dir.path() / "l.log");
    ProbeComm com;
    com.WriteLog(comm::dlDetail, "nothing without a log");
    com.SetLog(&log);
    com.WriteLog(comm::dlDetail, "Try to keep connection ...");
    com.WriteLogFmt(comm::dlDebug, "Try to send string %s ...", {"READ:TIP?"});
    com.WriteLog(comm::dlSimple, "");
    const auto entries = comm_test::LogEntries(dir.path() / "l.log");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], "[detail] cmComm: Try to keep connection ...");
    EXPECT_EQ(entries[1], "[debug] cmComm: Try to send string READ:TIP? ...");
    EXPECT_EQ(entries[2].rfind("[info] ", 0), 0u) << "empty text records the system information";
    com.SetLog(nullptr);
}

// --- fatal errors -------------------------------------------------------------

enum class Handler { None, Cancel, Throw };

struct FatalCase {
    const char* name;
    Handler handler;
    bool loading;
    bool showOnly;
    const char* raised;  // message of the error that leaves, or nullptr
    bool logged;
    bool boxShown;
};

class FatalTable : public testing::TestWithParam<FatalCase> {};

TEST_P(FatalTable, ReportsAsTheRulesSay)
{
    const FatalCase& c = GetParam();
    testing_support::TempDir dir;
    comm::TcmFileLog log(nullptr, dir.path() / "l.log");
    testing_support::MessageBoxWatcher boxes;
    ProbeComm com;
    com.SetLog(&log);
    if (c.handler != Handler::None)
        com.OnFatalError = [&](QObject* sender, std::uint32_t code, std::uint32_t detail, const std::string& msg,
                               bool& raise) {
            EXPECT_EQ(sender, &com);
            EXPECT_EQ(code, 1u);
            EXPECT_EQ(detail, 7u);
            EXPECT_EQ(msg, "boom");
            if (c.handler == Handler::Throw)
                throw runtime::Error("from handler");
            raise = false;
        };
    if (c.loading)
        com.BeginLoading();
    std::string raised;
    try {
        com.RaiseFatalError(1, 7, "boom", c.showOnly);
    } catch (const runtime::Error& e) {
        raised = e.what();
    }
    EXPECT_EQ(raised, c.raised ? c.raised : "");
    EXPECT_EQ(comm_test::CountEntries(dir.path() / "l.log", "[simple] Fatal Error: 1, 7, boom"), c.logged ? 1 : 0);
    comm_test::PumpFor(50);
    EXPECT_EQ(boxes.texts().contains("boom"), c.boxShown);
    com.SetLog(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FatalTable,
    testing::Values(FatalCase{"Raises", Handler::None, false, false, "boom", true, false},
                    FatalCase{"HandlerCancels", Handler::Cancel, false, false, nullptr, true, false},
                    FatalCase{"HandlerErrorLeavesAtOnce", Handler::Throw, false, false, "from handler", false, false},
                    FatalCase{"LoadingRaisesNothing", Handler::None, true, false, nullptr, true, false},
                    FatalCase{"ShowOnlyShowsABox", Handler::None, false, true, nullptr, true, true},
                    FatalCase{"ShowOnlyCancelled", Handler::Cancel, false, true, nullptr, true, false}),
    [](const testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

// --- generic worker thread ----------------------------------------------------

TEST(ThreadIO, WorkerChunksReachTheGuiThreadOnlyWhileItPumps)
{
    ProbeIO io;
    io.EnableWorker();
    io.SetUseMainThread(true);
    std::atomic<int> sent{0};
    io.body = [&](comm::TcmThreadIO* thread) {
        for (std::uint8_t i = 0; i < 50 && !thread->Terminated(); ++i) {
            io.DoDataReceived(&i, 1);
            ++sent;
        }
    };
    std::vector<int> got;
    bool allOnGui = true;
    io.OnAfterReceive = [&](comm::TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        allOnGui = allOnGui && runtime::IsGuiThread();
        got.insert(got.end(), data, data + n);
    };
    io.SetActive(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(got.empty()) << "nothing runs while the GUI thread does not pump";
    ASSERT_TRUE(comm_test::PumpUntil([&] { return got.size() == 50; }));
    EXPECT_TRUE(allOnGui);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(got[i], i);
    io.SetActive(false);
}

TEST(ThreadIO, StoppingWithAHandOverPendingDoesNotDeadlock)
{
    ProbeIO io;
    io.EnableWorker();
    io.SetUseMainThread(true);
    std::atomic<int> delivered{0};
    io.body = [&](comm::TcmThreadIO* thread) {
        std::uint8_t b = 1;
        while (!thread->Terminated())
            io.DoDataReceived(&b, 1);
    };
    io.OnAfterReceive = [&](comm::TcmBaseIO*, const std::uint8_t*, std::uint32_t) { ++delivered; };
    for (int round = 0; round < 20; ++round) {
        io.SetActive(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (round % 2)
            runtime::ProcessMessages();
        io.SetActive(false);
        EXPECT_FALSE(io.Active());
    }
    const int afterStop = delivered.load();
    comm_test::PumpFor(20);
    EXPECT_EQ(delivered.load(), afterStop) << "no hand-over runs after its thread ended";
}

} // namespace
