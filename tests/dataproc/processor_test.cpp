// The processor base: chaining, attaching to a real port on a pty, the
// port's notices, sending through the processor, fatal errors, log lines and
// removal of the components it links to.

#include "dataproc/custom_data_processor.h"
#include "dataproc/data_protocol.h"

#include "runtime/error.h"
#include "runtime/synchronize.h"
#include "runtime/tick.h"
#include "tests/comm/log_lines.h"
#include "tests/dataproc/gui_port_test.h"
#include "tests/comm/pump_until.h"

#include <gtest/gtest.h>

#include <chrono>

namespace dataproc_test {
namespace {

using comm_test::CountEntries;
using comm_test::PumpFor;
using comm_test::PumpUntil;
using dataproc::TcmCustomDataProcessor;

class ProbeProcessor : public TcmCustomDataProcessor {
public:
    using TcmCustomDataProcessor::TcmCustomDataProcessor;
    using TcmCustomDataProcessor::DoFatalErrors;
    using TcmCustomDataProcessor::StartAsyncTimer;

    void DoProcessing(const std::uint8_t* data, std::uint32_t len, comm::TIgnoreTypes& r) override
    {
        seen.append(reinterpret_cast<const char*>(data), len);
        TcmCustomDataProcessor::DoProcessing(data, len, r);
    }
    void DoAfterSendComplete(bool& flIgnore) override
    {
        ++sendCompletes;
        TcmCustomDataProcessor::DoAfterSendComplete(flIgnore);
    }
    std::string seen;
    int sendCompletes = 0;

protected:
    void DoMediumClosed() override
    {
        closedOnGuiThread = runtime::IsGuiThread();
        TcmCustomDataProcessor::DoMediumClosed();
    }

public:
    bool closedOnGuiThread = false;
};

// --- chaining (no port needed) -------------------------------------------------

TEST(ProcessorChain, ChainsThatLoopBackAreRefused)
{
    struct Row {
        const char* name;
        int length;  // processors chained 0 -> 1 -> ... -> length-1 first
        int from;    // then this one is pointed at processor 0
    };
    for (const Row& row : {Row{"itself", 1, 0}, Row{"two", 2, 1}, Row{"three", 3, 2}, Row{"middle of three", 3, 1}}) {
        SCOPED_TRACE(row.name);
        std::vector<std::unique_ptr<ProbeProcessor>> p;
        for (int i = 0; i < row.length; ++i)
            p.push_back(std::make_unique<ProbeProcessor>());
        for (int i = 0; i + 1 < row.length; ++i)
            p[i]->SetDataProcessor(p[i + 1].get());
        TcmCustomDataProcessor* before = p[row.from]->DataProcessor();
        p[row.from]->SetDataProcessor(p[0].get());
        EXPECT_EQ(p[row.from]->DataProcessor(), before);
        // Data still runs down the chain once and ends.
        p[0]->DataReceive(reinterpret_cast<const std::uint8_t*>("x"), 1);
        for (const auto& each : p)
            EXPECT_EQ(each->seen, "x");
    }
}

TEST(ProcessorChain, RemovedLinksAreCleared)
{
    ProbeProcessor head;
    auto next = std::make_unique<ProbeProcessor>();
    auto log = std::make_unique<comm::TcmFileLog>();
    head.SetDataProcessor(next.get());
    head.SetLog(log.get());
    next.reset();
    log.reset();
    EXPECT_EQ(head.DataProcessor(), nullptr);
    EXPECT_EQ(head.Log(), nullptr);
    EXPECT_NO_THROW(head.DataReceive(reinterpret_cast<const std::uint8_t*>("x"), 1));
}

// --- fatal errors ----------------------------------------------------------------

TEST(ProcessorErrors, FatalErrorsGoToTheHandlerTheLogAndThenRaise)
{
    struct Row {
        const char* name;
        bool handler;
        bool cancel;
        bool log;
        bool raises;
    };
    const std::vector<Row> rows = {
        {"no handler, no log", false, false, false, true},
        {"handler keeps the error", true, false, true, true},
        {"handler cancels it", true, true, true, false},
        {"handler cancels it, no log", true, true, false, false},
    };
    testing_support::TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto path = dir.path() / (std::string(row.name) + ".log");
        comm::TcmFileLog log(nullptr, path);
        ProbeProcessor processor;
        if (row.log)
            processor.SetLog(&log);
        int calls = 0;
        if (row.handler)
            processor.OnFatalError = [&](QObject* sender, std::uint32_t code, std::uint32_t detail,
                                         const std::string& msg, bool& raiseException) {
                ++calls;
                EXPECT_EQ(sender, &processor);
                EXPECT_EQ(code, 7u);
                EXPECT_EQ(detail, 3u);
                EXPECT_EQ(msg, "broken");
                raiseException = !row.cancel;
            };
        std::string raised;
        try {
            processor.DoFatalErrors(7, 3, "broken");
        } catch (const runtime::Error& e) {
            raised = e.what();
        }
        EXPECT_EQ(raised, row.raises ? "broken" : "");
        EXPECT_EQ(calls, row.handler ? 1 : 0);
        EXPECT_EQ(CountEntries(path, "[simple] Fatal Error: 7, 3, broken"), row.log ? 1 : 0);
    }
}

// --- the async timer ---------------------------------------------------------------

TEST(ProcessorTimer, FiresOncePerStartAndStopsOnZero)
{
    ProbeProcessor processor;
    processor.StartAsyncTimer(40);
    ASSERT_TRUE(PumpUntil([&] { return processor.sendCompletes == 1; }));
    PumpFor(150);
    EXPECT_EQ(processor.sendCompletes, 1);
    processor.StartAsyncTimer(40);
    processor.StartAsyncTimer(0);
    PumpFor(150);
    EXPECT_EQ(processor.sendCompletes, 1);
}

// --- on a real port ------------------------------------------------------------------

class ProcessorPortTest : public GuiPortTest {
protected:
    void TearDown() override
    {
        runtime::SetTimeScale(1.0);
        GuiPortTest::TearDown();
    }
    // Attaches the processor to the port, logging into the fixture's log, and opens the port.
    void AttachAndOpen(TcmCustomDataProcessor& processor)
    {
        processor.SetLog(&Log());
        com->SetDataProcessor(&processor);
        OpenOrFail();
    }
    void OpenAndClose()
    {
        OpenOrFail();
        com->SetActive(false);
    }
    int Entries(const std::string& entry) const { return CountEntries(LogPath(), entry); }
};

TEST_F(ProcessorPortTest, PrefixesAndNoticesOncePerOpenAndClose)
{
    auto& log = Log();
    ProbeProcessor base;
    dataproc::TcmDataProtocol protocol;
    dataproc::TcmDataProcessor processor;
    // A chain built before its head is attached follows the head to the port.
    base.SetDataProcessor(&protocol);
    protocol.SetDataProcessor(&processor);
    for (TcmCustomDataProcessor* p : std::initializer_list<TcmCustomDataProcessor*>{&base, &protocol, &processor})
        p->SetLog(&log);
    com->SetDataProcessor(&base);
    EXPECT_EQ(processor.Device(), com.get());
    OpenAndClose();
    OpenAndClose();
    com->SetComPortNo(comm_test::kPortNumber);  // notify code 3: nobody logs
    for (const char* prefix : {"", "cmDataProt: ", "cmDataProc: "}) {
        SCOPED_TRACE(prefix);
        EXPECT_EQ(Entries(std::string("[debug] ") + prefix + "Medium Opened"), 2);
        EXPECT_EQ(Entries(std::string("[debug] ") + prefix + "Medium Closed"), 2);
    }
}

TEST_F(ProcessorPortTest, ChunksRunDownTheChainBeforeTheReceiveEvent)
{
    ProbeProcessor first;
    ProbeProcessor second;
    first.SetDataProcessor(&second);
    com->SetDataProcessor(&first);
    OpenOrFail();
    ASSERT_TRUE(Far().Write("hello"));
    ASSERT_TRUE(PumpUntil([&] { return received.Size() == 5; }));
    EXPECT_EQ(first.seen, "hello");
    EXPECT_EQ(second.seen, "hello");
}

TEST_F(ProcessorPortTest, ReplacedProcessorKeepsHearingTheNoticesUntilDetached)
{
    auto& log = Log();
    dataproc::TcmDataProtocol first;
    dataproc::TcmDataProcessor second;
    first.SetLog(&log);
    second.SetLog(&log);
    com->SetDataProcessor(&first);
    com->SetDataProcessor(&second);
    OpenAndClose();
    EXPECT_EQ(Entries("[debug] cmDataProt: Medium Opened"), 1);
    EXPECT_EQ(Entries("[debug] cmDataProc: Medium Opened"), 1);
    com->SetDataProcessor(nullptr);  // detaches the current one only
    EXPECT_EQ(second.Device(), nullptr);
    EXPECT_EQ(first.Device(), com.get());
    OpenAndClose();
    EXPECT_EQ(Entries("[debug] cmDataProt: Medium Opened"), 2);
    EXPECT_EQ(Entries("[debug] cmDataProc: Medium Opened"), 1);
}

TEST_F(ProcessorPortTest, LostConnectionNoticeRunsOnTheProcessorsThread)
{
    ProbeProcessor processor;
    AttachAndOpen(processor);
    Far().CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return Entries("[debug] Medium Closed") == 1; }));
    EXPECT_TRUE(processor.closedOnGuiThread);
    PumpFor(100);
    EXPECT_EQ(Entries("[debug] Medium Closed"), 1);
}

TEST_F(ProcessorPortTest, RemovedPortOrProcessorLeavesNoDanglingLink)
{
    auto processor = std::make_unique<ProbeProcessor>();
    com->SetDataProcessor(processor.get());
    processor.reset();  // detaches itself; the port forgets it
    EXPECT_EQ(com->DataProcessor(), nullptr);
    OpenOrFail();
    ASSERT_TRUE(Far().Write("x"));
    ASSERT_TRUE(PumpUntil([&] { return received.Size() == 1; }));
    com->SetActive(false);

    ProbeProcessor survivor;
    com->SetDataProcessor(&survivor);
    com.reset();
    EXPECT_EQ(survivor.Device(), nullptr);
}

// --- sending through the processor ------------------------------------------------------

TEST_F(ProcessorPortTest, DataSendThroughThePortOrTheHandler)
{
    struct Row {
        const char* name;
        std::string bytes;
        bool handlerTakes;
        int handlerCalls;
        std::string atFarEnd;
        int logLines;
    };
    const std::vector<Row> rows = {
        {"nothing to send", "", false, 0, "", 0},
        {"the port sends", "abc", false, 1, "abc", 1},
        {"the handler takes it", "xyz", true, 1, "", 1},
    };
    auto& log = Log();
    OpenOrFail();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log.Clear();
        ProbeProcessor processor;
        processor.SetLog(&log);
        com->SetDataProcessor(&processor);
        int calls = 0;
        processor.OnDataSend = [&](QObject* sender, const std::uint8_t* data, std::uint32_t len, bool flSynchro,
                                   bool& flHandled) {
            ++calls;
            EXPECT_EQ(sender, &processor);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), len), row.bytes);
            EXPECT_FALSE(flSynchro);
            flHandled = row.handlerTakes;
        };
        processor.DoDataSend(row.bytes.data(), std::uint32_t(row.bytes.size()));
        EXPECT_EQ(calls, row.handlerCalls);
        EXPECT_EQ(row.atFarEnd.empty() ? Far().Read(100) : Far().ReadExactly(row.atFarEnd.size(), 2000), row.atFarEnd);
        EXPECT_EQ(Entries("[debug] DoDataSend: " + std::to_string(row.bytes.size()) + " bytes"), row.logLines);
        com->SetDataProcessor(nullptr);
    }
}

TEST_F(ProcessorPortTest, HandledSendCompletesAfterTheTimerInterval)
{
    runtime::SetTimeScale(0.1);  // the default 1000 ms interval in 100 ms
    ProbeProcessor processor;
    AttachAndOpen(processor);
    processor.OnDataSend = [](QObject*, const std::uint8_t*, std::uint32_t, bool, bool& flHandled) {
        flHandled = true;
    };
    const auto start = std::chrono::steady_clock::now();
    processor.DoDataSend("abc", 3);
    ASSERT_TRUE(PumpUntil([&] { return processor.sendCompletes == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    PumpFor(300);
    EXPECT_EQ(processor.sendCompletes, 1);
}

TEST_F(ProcessorPortTest, TextSendIsSynchronousAndUnlogged)
{
    ProbeProcessor processor;
    AttachAndOpen(processor);
    bool synchro = false;
    bool take = false;
    processor.OnDataSend = [&](QObject*, const std::uint8_t*, std::uint32_t, bool flSynchro, bool& flHandled) {
        synchro = flSynchro;
        flHandled = take;
    };
    processor.DoDataSend(std::string("READ:TIP?"));
    EXPECT_TRUE(synchro);
    EXPECT_EQ(Far().ReadExactly(9, 2000), "READ:TIP?");
    take = true;
    processor.DoDataSend(std::string("SENS:ZERO"));
    EXPECT_EQ(Far().Read(100), "");
    processor.DoDataSend(std::string());
    EXPECT_EQ(Entries("[debug] DoDataSend: 9 bytes"), 0);
    PumpFor(50);
    EXPECT_EQ(processor.sendCompletes, 0);  // no timer for text
}

TEST_F(ProcessorPortTest, SendErrorsAreSwallowed)
{
    ProbeProcessor processor;
    AttachAndOpen(processor);
    processor.OnDataSend = [](QObject*, const std::uint8_t*, std::uint32_t, bool, bool&) {
        throw runtime::Error("handler failed");
    };
    EXPECT_NO_THROW(processor.DoDataSend("abc", 3));
    EXPECT_NO_THROW(processor.DoDataSend(std::string("abc")));
    EXPECT_EQ(Entries("[debug] DoDataSend: 3 bytes"), 0);
}

} // namespace
} // namespace dataproc_test
