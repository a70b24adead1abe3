// Switching the modem lines, reading them back, and showing them on monitor
// controls, with the far end of a null-modem as the other side of the cable.
#include "tests/comm/line_fixture.h"

#include "runtime/synchronize.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <thread>
#include <vector>

namespace {

using namespace comm;
using comm_test::LineTest;
using comm_test::PumpUntil;

class LineState : public LineTest {
protected:
    void RecordTraceStates()
    {
        com->OnTraceState = [this](TcmBaseIO* c, TTraceStates states) {
            EXPECT_EQ(c, com.get());
            reports.push_back(states);
        };
    }
    std::vector<TTraceStates> reports;
};

TEST_F(LineState, SettersSwitchTheFarEndsLinesAndReportDtrAndRts)
{
    OpenOrFail();
    RecordTraceStates();
    struct Case {
        void (TcmCustomComm::*set)(bool);
        bool value;
        bool (platform::NullModemFar::*far)();
        std::vector<TTraceStates> reported;
    };
    const Case cases[] = {
        {&TcmCustomComm::SetStateDTR, false, &platform::NullModemFar::Dsr, {TraceSet(tsDSR)}},
        {&TcmCustomComm::SetStateDTR, true, &platform::NullModemFar::Dcd, {TraceSet(tsDSR)}},
        {&TcmCustomComm::SetStateRTS, false, &platform::NullModemFar::Cts, {TraceSet(tsCTS)}},
        {&TcmCustomComm::SetStateRTS, true, &platform::NullModemFar::Cts, {TraceSet(tsCTS)}},
        {&TcmCustomComm::SetStateBreak, true, &platform::NullModemFar::BreakIn, {}},
        {&TcmCustomComm::SetStateBreak, false, &platform::NullModemFar::BreakIn, {}},
    };
    for (const Case& c : cases) {
        reports.clear();
        (com.get()->*c.set)(c.value);
        EXPECT_EQ((Far().*c.far)(), c.value);
        EXPECT_EQ(reports, c.reported);
    }
}

TEST_F(LineState, SetStateXHoldsTheOutputWithoutAReport)
{
    OpenOrFail();
    RecordTraceStates();
    com->SetStateX(false);
    com->SendString("wait");
    EXPECT_EQ(Far().Read(100), "");
    com->SetStateX(true);
    EXPECT_EQ(Far().ReadExactly(4, 2000), "wait");
    EXPECT_TRUE(reports.empty());
}

TEST_F(LineState, ClosedPortIgnoresEveryLineCall)
{
    RecordTraceStates();
    com->SetStateDTR(true);
    com->SetStateRTS(true);
    com->SetStateX(false);
    com->SetStateBreak(true);
    com->SendAheadChar('x');
    com->ClearDeviceInput();
    com->ClearDeviceOutput();
    com->ClearDeviceBuffers();
    com->FlushOutputBuffer();
    EXPECT_EQ(com->ModemSignals(), 0);
    EXPECT_EQ(com->BytesSent(), 0u);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(com->PortProperties().wPacketLength, 0) << "nothing was ever read";
}

TEST_F(LineState, ModemSignalsFollowTheFarEnd)
{
    OpenOrFail();
    EXPECT_EQ(com->ModemSignals(), 0);
    Far().SetRts(true);
    EXPECT_EQ(com->ModemSignals(), SignalSet(msCTS));
    Far().SetDtr(true);
    EXPECT_EQ(com->ModemSignals(), SignalSet(msCTS) | SignalSet(msDSR) | SignalSet(msRLSD));
    Far().SetRing(true);
    EXPECT_TRUE(Contains(com->ModemSignals(), msRing));
}

TEST_F(LineState, SetStateRtsUpdatesTheMonitorsFromTheModemStatus)
{
    OpenOrFail();
    RecordTraceStates();
    QCheckBox cts, dsr;
    QRadioButton rlsd;
    rlsd.setAutoExclusive(false);  // a lone exclusive radio button could not be cleared
    QLabel notAMonitor("stays");
    com->SetMonitorCTS(&cts);
    com->SetMonitorDSR(&dsr);
    com->SetMonitorRLSD(&rlsd);
    com->SetMonitorRing(&notAMonitor);
    Far().SetRts(true);
    Far().SetDtr(true);
    com->SetStateRTS(true);
    EXPECT_EQ(reports, std::vector<TTraceStates>{TraceSet(tsCTS)});
    EXPECT_TRUE(cts.isChecked());
    EXPECT_TRUE(dsr.isChecked());
    EXPECT_TRUE(rlsd.isChecked());
    Far().SetDtr(false);
    com->SetStateDTR(true);
    EXPECT_TRUE(cts.isChecked());
    EXPECT_FALSE(dsr.isChecked());
    EXPECT_FALSE(rlsd.isChecked());
    EXPECT_EQ(notAMonitor.text(), "stays");
}

TEST_F(LineState, ARingSetsTheRingMonitorForGood)
{
    com->SetTraceStates(TraceSet(tsRing, tsCTS));
    QAction ring("ring", nullptr);
    ring.setCheckable(true);
    com->SetMonitorRing(&ring);
    bool later = false;
    com->OnTraceState = [&](TcmBaseIO*, TTraceStates states) { later = later || states == TraceSet(tsCTS); };
    OpenOrFail();
    Far().SetRing(true);
    ASSERT_TRUE(PumpUntil([&] { return ring.isChecked(); }));
    Far().SetRts(true);  // a later event without a ring
    ASSERT_TRUE(PumpUntil([&] { return later; }));
    EXPECT_TRUE(ring.isChecked());
}

TEST_F(LineState, MonitorsOfAPortWithoutMainThreadChangeOnTheGuiThread)
{
    com->SetUseMainThread(false);
    com->SetTraceStates(TraceSet(tsDSR));
    QCheckBox dsr;
    std::atomic<bool> reported{false};
    bool changedOnGui = false;
    QObject::connect(&dsr, &QCheckBox::toggled, [&] { changedOnGui = runtime::IsGuiThread(); });
    com->SetMonitorDSR(&dsr);
    com->OnTraceState = [&](TcmBaseIO*, TTraceStates) { reported = true; };
    OpenOrFail();
    Far().SetDtr(true);
    ASSERT_TRUE(PumpUntil([&] { return reported.load() && dsr.isChecked(); }));
    EXPECT_TRUE(changedOnGui);
}

TEST_F(LineState, RemovedMonitorIsForgotten)
{
    OpenOrFail();
    auto monitor = std::make_unique<QCheckBox>();
    com->SetMonitorCTS(monitor.get());
    monitor.reset();
    EXPECT_EQ(com->MonitorCTS(), nullptr);
    com->SetStateRTS(true);  // reports without touching the gone control
}

TEST_F(LineState, SendAheadCharJumpsTheQueueAndCounts)
{
    OpenOrFail();
    com->SetStateX(false);
    com->SendData("queued", 6);
    com->SendAheadChar('!');
    com->SetStateX(true);
    EXPECT_EQ(Far().ReadExactly(7, 2000), "!queued");
    EXPECT_EQ(com->BytesSent(), 7u);
}

TEST_F(LineState, PurgesEmptyTheirQueues)
{
    OpenOrFail();
    ASSERT_TRUE(Far().Write("input"));
    ASSERT_TRUE(WaitQueued(5));
    com->SetStateX(false);
    com->SendData("output", 6);
    com->ClearDeviceOutput();
    EXPECT_EQ(com->OutQueueCount(), 0u);
    EXPECT_EQ(com->InQueueCount(), 5u);
    com->ClearDeviceInput();
    EXPECT_EQ(com->InQueueCount(), 0u);

    ASSERT_TRUE(Far().Write("both"));
    ASSERT_TRUE(WaitQueued(4));
    com->SendData("both", 4);
    com->ClearDeviceBuffers();
    EXPECT_EQ(com->InQueueCount(), 0u);
    EXPECT_EQ(com->OutQueueCount(), 0u);
    com->SetStateX(true);
    EXPECT_EQ(Far().Read(50), "");
}

TEST_F(LineState, FlushOutputBufferReturnsWhenAllIsSent)
{
    com->SetBaudRate(2400);
    OpenOrFail();
    com->SendData("0123456789", 10);
    com->FlushOutputBuffer();
    EXPECT_EQ(com->OutQueueCount(), 0u);
    EXPECT_EQ(Far().Read(0), "0123456789");
}

TEST_F(LineState, PortPropertiesAreTheDriversAndStayAfterClosing)
{
    com->SetBufferInSize(1000);
    com->SetBufferOutSize(2000);
    OpenOrFail();
    const platform::CommProp& props = com->PortProperties();
    EXPECT_EQ(props.dwCurrentRxQueue, 1000u);
    EXPECT_EQ(props.dwCurrentTxQueue, 2000u);
    EXPECT_EQ(props.dwProvSubType, 1u);
    com->SetActive(false);
    EXPECT_EQ(com->PortProperties().dwCurrentRxQueue, 1000u);
}

} // namespace
