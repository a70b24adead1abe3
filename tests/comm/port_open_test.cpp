#include "runtime/error.h"
#include "tests/support/message_box_watcher.h"

#include "tests/comm/log_lines.h"
#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include <QWidget>

namespace {

using namespace comm;
using comm_test::PortTest;

// --- settings of an open port -------------------------------------------------

struct LineCase {
    const char* name;
    std::uint32_t baud;
    std::uint8_t byteSize;
    TParity parity;
    TStopBits stopBits;
    TStreamProtocol protocol;
    std::uint32_t flags;  // DCB flags the component computes
    unsigned terminalStopBits;
    bool rtsCts;
    bool xonXoff;
};

class LineSettings : public PortTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineSettings, ReachTheTerminalOnOpen)
{
    const LineCase& c = GetParam();
    com->SetBaudRate(c.baud);
    com->SetByteSize(c.byteSize);
    com->SetParity(c.parity);
    com->SetStopBits(c.stopBits);
    com->SetStreamProtocol(c.protocol);
    OpenOrFail();

    const platform::TerminalSettings s = Far().Settings();
    EXPECT_EQ(s.baudRate, c.baud);
    EXPECT_EQ(s.stopBits, c.terminalStopBits);
    EXPECT_EQ(s.rtsCts, c.rtsCts);
    EXPECT_EQ(s.xonXoffInput, c.xonXoff);
    EXPECT_EQ(s.xonXoffOutput, c.xonXoff);
    EXPECT_TRUE(s.raw);

    platform::Dcb dcb;
    ASSERT_TRUE(platform::GetCommState(com->DeviceHandle(), dcb));
    EXPECT_EQ(dcb.BaudRate, c.baud);
    EXPECT_EQ(dcb.ByteSize, c.byteSize);
    EXPECT_EQ(dcb.Parity, c.parity);
    EXPECT_EQ(dcb.StopBits, c.stopBits);
    EXPECT_EQ(dcb.Flags, c.flags);
    EXPECT_EQ(dcb.XonLim, 80);
    EXPECT_EQ(dcb.XoffLim, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSettings,
    ::testing::Values(LineCase{"Sensor9600_8N1", 9600, 8, pNone, sbOne, spNone, 0x1011, 1, false, false},
                      LineCase{"Defaults19200Hardware", 19200, 8, pNone, sbOne, spHardware, 0x2015, 1, true, false},
                      LineCase{"XonXoffEvenTwo", 115200, 7, pEven, sbTwo, spXonXoff, 0x1313, 2, false, true},
                      LineCase{"OddFive", 1200, 5, pOdd, sbOne, spNone, 0x1013, 1, false, false}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST_F(PortTest, AppSettingsGiveTheExpectedDriverState)
{
    UseAppSettings();
    OpenOrFail();
    const platform::Handle h = com->DeviceHandle();
    platform::CommTimeouts t{1, 1, 1, 1, 1};
    ASSERT_TRUE(platform::GetCommTimeouts(h, t));
    EXPECT_EQ(t.ReadIntervalTimeout + t.ReadTotalTimeoutMultiplier + t.ReadTotalTimeoutConstant +
                  t.WriteTotalTimeoutMultiplier + t.WriteTotalTimeoutConstant,
              0u);
    std::uint32_t mask = 0;
    ASSERT_TRUE(platform::GetCommMask(h, mask));
    EXPECT_EQ(mask, platform::EV_RXCHAR);
    platform::CommProp props;
    ASSERT_TRUE(platform::GetCommProperties(h, props));
    EXPECT_EQ(props.dwCurrentRxQueue, 8192u);
    EXPECT_EQ(props.dwCurrentTxQueue, 8192u);
    EXPECT_EQ(com->ReceiveBufferSize(), 8192u);
    EXPECT_EQ(com->BytesReceived(), 0u);
    EXPECT_EQ(com->BytesSent(), 0u);
}

TEST_F(PortTest, SettersReapplyAtOnceWhileOpen)
{
    UseAppSettings();
    OpenOrFail();
    com->SetBaudRate(57600);
    EXPECT_EQ(Far().Settings().baudRate, 57600u);
    com->SetStreamProtocol(spHardware);
    EXPECT_TRUE(Far().Settings().rtsCts);
    com->SetTraceStates(TraceSet(tsTxEmpty, tsBreak));
    std::uint32_t mask = 0;
    ASSERT_TRUE(platform::GetCommMask(com->DeviceHandle(), mask));
    EXPECT_EQ(mask, platform::EV_RXCHAR | platform::EV_TXEMPTY | platform::EV_BREAK);
    com->SetTimeoutRead(7);
    com->SetTimeoutWrite(9);
    platform::CommTimeouts t;
    ASSERT_TRUE(platform::GetCommTimeouts(com->DeviceHandle(), t));
    EXPECT_EQ(t.ReadIntervalTimeout, 7u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 9u);
    com->SetBufferInSize(16384);
    platform::CommProp props;
    ASSERT_TRUE(platform::GetCommProperties(com->DeviceHandle(), props));
    EXPECT_EQ(props.dwCurrentRxQueue, 16384u);
}

struct BufferCase {
    std::uint16_t inSize;
    std::size_t buffer;
};

class ReceiveBuffer : public PortTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(ReceiveBuffer, IsTheLargerOfInSizeAnd8192)
{
    com->SetBufferInSize(GetParam().inSize);
    OpenOrFail();
    EXPECT_EQ(com->ReceiveBufferSize(), GetParam().buffer);
    com->SetActive(false);
    EXPECT_EQ(com->ReceiveBufferSize(), 0u) << "released at close";
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReceiveBuffer,
                         ::testing::Values(BufferCase{100, 8192}, BufferCase{8192, 8192}, BufferCase{20000, 20000}));

// --- open failures ------------------------------------------------------------

TEST_F(PortTest, MissingPortRaisesTheOpenErrorAndStaysClosed)
{
    com->SetComPortNo(7);
    std::string raised;
    try {
        com->SetActive(true);
    } catch (const runtime::Error& e) {
        raised = e.what();
    }
    const std::string prefix = "Device \"COM7\" Open Error !!!\r";
    ASSERT_EQ(raised.rfind(prefix, 0), 0u) << raised;
    EXPECT_EQ(raised.substr(prefix.size()), platform::SystemErrorText(platform::kErrorFileNotFound));
    EXPECT_EQ(com->LastErrorString(), raised);
    EXPECT_FALSE(com->Active());
    EXPECT_EQ(com->BytesReceived(), 0u);
    EXPECT_EQ(com->BytesSent(), 0u);
}

TEST_F(PortTest, BusyPortFailsWithTheSystemText)
{
    const platform::Handle other = platform::OpenPort("COM5");
    ASSERT_NE(other, platform::kInvalidHandle);
    std::string raised;
    try {
        com->SetActive(true);
    } catch (const runtime::Error& e) {
        raised = e.what();
    }
    platform::CloseHandle(other);
    const std::string prefix = "Device \"COM5\" Open Error !!!\r";
    ASSERT_EQ(raised.rfind(prefix, 0), 0u) << raised;
    EXPECT_GT(raised.size(), prefix.size()) << "the system's text follows";
    EXPECT_FALSE(com->Active());
    OpenOrFail();
}

TEST_F(PortTest, CancelledFatalErrorRaisesNothingButIsLogged)
{
    AttachLog();
    com->SetComPortNo(7);
    com->OnFatalError = [](QObject*, std::uint32_t, std::uint32_t, const std::string&, bool& raise) { raise = false; };
    EXPECT_NO_THROW(com->SetActive(true));
    EXPECT_FALSE(com->Active());
    const std::string text = com->LastErrorString();
    const auto lines = comm_test::ReadLines(LogPath());
    // The message holds a carriage return, so the line is compared as a whole.
    int found = 0;
    for (const auto& line : lines)
        found += line.find("[simple] Fatal Error: 1, 0, " + text) != std::string::npos;
    EXPECT_EQ(found, 1);
}

TEST_F(PortTest, StoredActiveForAMissingPortEndsInTheErrorBox)
{
    testing_support::MessageBoxWatcher boxes;
    QWidget window;
    auto* stored = new comm_test::ProbeComm(&window);
    runtime::LoadComponents(&window, [&] {
        stored->SetComPortNo(9);
        stored->SetActive(true);
        EXPECT_TRUE(stored->Active()) << "while loading the stored value is read back";
    });
    comm_test::PumpUntil([&] { return boxes.count() > 0; }, 2000);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.texts().front(), "error");
    EXPECT_EQ(boxes.captions().front(), "Error");
    EXPECT_FALSE(stored->Active());
}

TEST_F(PortTest, StoredActiveForAPresentPortOpensWhenLoadingEnds)
{
    QWidget window;
    auto* stored = new comm_test::ProbeComm(&window);
    runtime::LoadComponents(&window, [&] {
        stored->SetComPortNo(comm_test::kPortNumber);
        stored->SetActive(true);
        EXPECT_FALSE(stored->DeviceHandle() != platform::kInvalidHandle) << "nothing opens while loading";
    });
    EXPECT_TRUE(stored->Active());
}

} // namespace
