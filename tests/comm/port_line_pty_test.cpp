// The polling and line-state operations on a real pseudo-terminal: data and
// purges work as on any port; the modem lines a pty does not have degrade
// without an error.
#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include "runtime/error.h"

namespace {

using namespace comm;
using comm_test::PortTest;
using comm_test::PumpUntil;

class PtyLines : public PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        UseAppSettings();
        com->SetTraceStates(0);
        com->OnCommError = [this](TcmBaseIO*, std::uint32_t, std::uint32_t, TComStateFlags, bool&) { ++commErrors; };
    }
    int commErrors = 0;
};

TEST_F(PtyLines, DataReadsAndWaitsWork)
{
    OpenOrFail();
    ASSERT_TRUE(Far().Write("pty bytes"));
    EXPECT_TRUE(com->WaitForBytes(9, 3000));
    EXPECT_EQ(com->InQueueCount(), 9u);
    char four[4];
    EXPECT_EQ(com->ReadMax(four, 4), 4u);
    EXPECT_EQ(std::string(four, 4), "pty ");
    EXPECT_EQ(com->ReadString(), "bytes");
    EXPECT_FALSE(com->WaitForBytes(1, 50));
}

TEST_F(PtyLines, PurgesDropQueuedInput)
{
    OpenOrFail();
    ASSERT_TRUE(Far().Write("drop me"));
    ASSERT_TRUE(com->WaitForBytes(7, 3000));
    com->ClearDeviceInput();
    EXPECT_EQ(com->InQueueCount(), 0u);
    ASSERT_TRUE(Far().Write("and me"));
    ASSERT_TRUE(com->WaitForBytes(6, 3000));
    com->ClearDeviceBuffers();
    EXPECT_EQ(com->InQueueCount(), 0u);
    com->ClearDeviceOutput();
    EXPECT_EQ(com->OutQueueCount(), 0u);
}

TEST_F(PtyLines, PriorityCharacterAndFlushGoOut)
{
    OpenOrFail();
    com->SendAheadChar('\x7e');
    com->SendString("abc");
    com->FlushOutputBuffer();
    EXPECT_EQ(Far().ReadExactly(4, 2000), "\x7e" "abc");
    EXPECT_EQ(com->BytesSent(), 4u);
}

TEST_F(PtyLines, ModemLinesDegradeWithoutAnError)
{
    OpenOrFail();
    std::vector<TTraceStates> reports;
    com->OnTraceState = [&](TcmBaseIO*, TTraceStates s) { reports.push_back(s); };
    com->SetStateDTR(true);
    com->SetStateRTS(false);
    com->SetStateX(false);
    com->SetStateX(true);
    com->SetStateBreak(true);
    com->SetStateBreak(false);
    EXPECT_EQ(reports, (std::vector<TTraceStates>{TraceSet(tsDSR), TraceSet(tsCTS)}));
    EXPECT_EQ(com->ModemSignals(), 0);
    EXPECT_FALSE(com->WaitForSignal(msDSR, 20));
    EXPECT_GT(com->PortProperties().wPacketLength, 0);
    EXPECT_THROW(com->InitDeviceConnect(), runtime::Error) << "a pty never answers with DSR";
    EXPECT_TRUE(com->Active());
    EXPECT_EQ(commErrors, 0);
    // The line still carries data afterwards.
    com->SendString("ok");
    EXPECT_EQ(Far().ReadExactly(2, 2000), "ok");
}

TEST_F(PtyLines, Rs485OnAPtyIsTheComponentsOwnSwitching)
{
    com->SetRS485Mode(true);
    OpenOrFail();
    EXPECT_TRUE(com->SwitchesRtsItself());
    com->SendString("485");
    EXPECT_EQ(Far().ReadExactly(3, 2000), "485");
    EXPECT_EQ(commErrors, 0);
}

} // namespace
