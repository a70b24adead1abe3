#include "port_fixture.h"

#include "platform/serial.h"

namespace {

using namespace platform;
using platform_test::PortFixture;

// What the terminal holds. The pty driver forces 8 bits without parity, so
// for other framings only GetCommState can show what was asked for.
struct SettingsCase {
    const char* name;
    std::uint32_t baud;
    std::uint8_t byteSize;
    std::uint8_t parity;
    std::uint8_t stopBits;
    std::uint32_t flags;
    TerminalSettings expected;
};

TerminalSettings Expect(std::uint32_t baud, unsigned size, char parity, unsigned stop, bool rtsCts, bool xon)
{
    TerminalSettings s;
    s.baudRate = baud;
    s.byteSize = size;
    s.parity = parity;
    s.stopBits = stop;
    s.rtsCts = rtsCts;
    s.xonXoffOutput = xon;
    s.xonXoffInput = xon;
    s.raw = true;
    return s;
}

class Settings : public PortFixture, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(Settings, ReachTheTerminalAndReadBack)
{
    const SettingsCase& c = GetParam();
    Handle h = OpenOrFail();
    Dcb dcb;
    ASSERT_TRUE(GetCommState(h, dcb));
    dcb.BaudRate = c.baud;
    dcb.ByteSize = c.byteSize;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stopBits;
    dcb.Flags = c.flags;
    ASSERT_TRUE(SetCommState(h, dcb)) << SystemErrorText(GetLastError());

    TerminalSettings s = Far().Settings();
    EXPECT_EQ(s.baudRate, c.expected.baudRate);
    EXPECT_EQ(s.byteSize, c.expected.byteSize);
    EXPECT_EQ(s.parity, c.expected.parity);
    EXPECT_EQ(s.stopBits, c.expected.stopBits);
    EXPECT_EQ(s.rtsCts, c.expected.rtsCts);
    EXPECT_EQ(s.xonXoffOutput, c.expected.xonXoffOutput);
    EXPECT_EQ(s.xonXoffInput, c.expected.xonXoffInput);
    EXPECT_TRUE(s.raw);

    Dcb back;
    ASSERT_TRUE(GetCommState(h, back));
    EXPECT_EQ(back.BaudRate, c.baud);
    EXPECT_EQ(back.ByteSize, c.byteSize);
    EXPECT_EQ(back.Parity, c.parity);
    EXPECT_EQ(back.StopBits, c.stopBits);
    EXPECT_EQ(back.Flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Settings,
    ::testing::Values(
        SettingsCase{"Sensor9600_8N1_NoFlow", 9600, 8, NOPARITY, ONESTOPBIT, 0x1011, Expect(9600, 8, 'N', 1, false, false)},
        SettingsCase{"Even7_Two", 19200, 7, EVENPARITY, TWOSTOPBITS, 0x1011, Expect(19200, 8, 'N', 2, false, false)},
        SettingsCase{"Odd6", 115200, 6, ODDPARITY, ONESTOPBIT, 0x1011, Expect(115200, 8, 'N', 1, false, false)},
        SettingsCase{"Mark5_OneAndHalf", 1200, 5, MARKPARITY, ONE5STOPBITS, 0x1011, Expect(1200, 8, 'N', 2, false, false)},
        SettingsCase{"Space8", 57600, 8, SPACEPARITY, ONESTOPBIT, 0x1011, Expect(57600, 8, 'N', 1, false, false)},
        SettingsCase{"RtsCts", 9600, 8, NOPARITY, ONESTOPBIT, 0x2015, Expect(9600, 8, 'N', 1, true, false)},
        SettingsCase{"XonXoff", 9600, 8, NOPARITY, ONESTOPBIT, 0x1311, Expect(9600, 8, 'N', 1, false, true)},
        SettingsCase{"NonStandardRate", 250000, 8, NOPARITY, ONESTOPBIT, 0x1011, Expect(250000, 8, 'N', 1, false, false)}),
    [](const ::testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.name); });

TEST_F(PortFixture, XonXoffCharactersReachTheTerminal)
{
    Handle h = OpenOrFail();
    Dcb dcb;
    ASSERT_TRUE(GetCommState(h, dcb));
    dcb.Flags = 0x1311;
    dcb.XonChar = 0x01;
    dcb.XoffChar = 0x02;
    ASSERT_TRUE(SetCommState(h, dcb));
    EXPECT_EQ(Far().Settings().xonChar, 0x01);
    EXPECT_EQ(Far().Settings().xoffChar, 0x02);
    Dcb back;
    ASSERT_TRUE(GetCommState(h, back));
    EXPECT_EQ(back.XonChar, 0x01);
    EXPECT_EQ(back.XoffChar, 0x02);
}

TEST_F(PortFixture, InvalidSettingsAreRefusedAndKeepTheLine)
{
    Handle h = OpenOrFail();
    Dcb good;
    ASSERT_TRUE(GetCommState(h, good));
    struct Bad {
        const char* what;
        void (*spoil)(Dcb&);
    } cases[] = {
        {"byte size 9", [](Dcb& d) { d.ByteSize = 9; }},
        {"byte size 4", [](Dcb& d) { d.ByteSize = 4; }},
        {"parity 5", [](Dcb& d) { d.Parity = 5; }},
        {"stop bits 3", [](Dcb& d) { d.StopBits = 3; }},
        {"baud 0", [](Dcb& d) { d.BaudRate = 0; }},
        {"same xon and xoff", [](Dcb& d) { d.Flags |= 0x0300; d.XonChar = d.XoffChar = 0x11; }},
    };
    for (const Bad& bad : cases) {
        Dcb dcb = good;
        bad.spoil(dcb);
        EXPECT_FALSE(SetCommState(h, dcb)) << bad.what;
        EXPECT_EQ(GetLastError(), kErrorInvalidParameter) << bad.what;
    }
    EXPECT_EQ(Far().Settings().byteSize, 8u);
}

TEST_F(PortFixture, DefaultConfigExistsOnlyForRegisteredPorts)
{
    CommConfig config;
    ASSERT_TRUE(GetDefaultCommConfig("COM5", config));
    EXPECT_EQ(config.dcb.BaudRate, 9600u);
    EXPECT_EQ(config.dcb.ByteSize, 8);
    EXPECT_EQ(config.dcb.Parity, NOPARITY);
    EXPECT_EQ(config.dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(config.dcb.Flags, 0x1011u);
    EXPECT_FALSE(GetDefaultCommConfig("COM77", config));
    EXPECT_EQ(GetLastError(), kErrorFileNotFound);
}

TEST_F(PortFixture, PropertiesReportTheRequestedQueues)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetupComm(h, 8192, 8192));
    CommProp props;
    ASSERT_TRUE(GetCommProperties(h, props));
    EXPECT_EQ(props.dwCurrentRxQueue, 8192u);
    EXPECT_EQ(props.dwCurrentTxQueue, 8192u);
    EXPECT_EQ(props.dwProvSubType, 1u);
}

TEST_F(PortFixture, TimeoutsAndMaskReadBack)
{
    Handle h = OpenOrFail();
    CommTimeouts t{1, 2, 3, 4, 5};
    ASSERT_TRUE(SetCommTimeouts(h, t));
    CommTimeouts back;
    ASSERT_TRUE(GetCommTimeouts(h, back));
    EXPECT_EQ(back.ReadIntervalTimeout, 1u);
    EXPECT_EQ(back.WriteTotalTimeoutConstant, 5u);
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_TXEMPTY));
    std::uint32_t mask = 0;
    ASSERT_TRUE(GetCommMask(h, mask));
    EXPECT_EQ(mask, EV_RXCHAR | EV_TXEMPTY);
}

TEST_F(PortFixture, LineCallsDegradeOnAPseudoTerminal)
{
    Handle h = OpenOrFail();
    for (std::uint32_t f : {SETDTR, CLRDTR, SETRTS, CLRRTS, SETXON, SETXOFF, SETBREAK, CLRBREAK})
        EXPECT_TRUE(EscapeCommFunction(h, f)) << f << ": " << SystemErrorText(GetLastError());
    EXPECT_TRUE(EscapeCommFunction(h, SETXON));
    std::uint32_t status = 123;
    EXPECT_TRUE(GetCommModemStatus(h, status));
    EXPECT_FALSE(EscapeCommFunction(h, 77));
}

} // namespace

namespace {

// What the comm component does on open with the application's settings.
TEST_F(PortFixture, ApplicationSettingsReadBackExactly)
{
    CommConfig config;
    ASSERT_TRUE(GetDefaultCommConfig("COM5", config));
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetupComm(h, 8192, 8192));
    ASSERT_TRUE(SetCommTimeouts(h, CommTimeouts{}));
    Dcb dcb = config.dcb;
    dcb.BaudRate = 9600;
    dcb.Flags = (dcb.Flags & 0x4CEA) | 0x1011;
    dcb.XonLim = 80;
    dcb.XoffLim = 200;
    ASSERT_TRUE(SetCommState(h, dcb));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));

    CommConfig back;
    ASSERT_TRUE(GetCommConfig(h, back));
    EXPECT_EQ(back.dcb.BaudRate, 9600u);
    EXPECT_EQ(back.dcb.Flags, 0x1011u);
    EXPECT_EQ(back.dcb.XonLim, 80);
    EXPECT_EQ(back.dcb.XoffLim, 200);
    EXPECT_EQ(back.dcb.XonChar, 0x11);
    EXPECT_EQ(back.dcb.XoffChar, 0x13);
    TerminalSettings s = Far().Settings();
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.byteSize, 8u);
    EXPECT_EQ(s.parity, 'N');
    EXPECT_EQ(s.stopBits, 1u);
    EXPECT_FALSE(s.rtsCts);
    EXPECT_FALSE(s.xonXoffOutput);
    EXPECT_FALSE(s.xonXoffInput);
}

} // namespace
