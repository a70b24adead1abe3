// The 49-byte stored port settings and the DCB flag words of flow control.
#include "comm/line_flags.h"
#include "comm/port_config_record.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace comm;

namespace {

std::uint32_t U32At(const PortConfigRecord& r, std::size_t at)
{
    return r[at] | r[at + 1] << 8 | r[at + 2] << 16 | static_cast<std::uint32_t>(r[at + 3]) << 24;
}

std::uint16_t U16At(const PortConfigRecord& r, std::size_t at)
{
    return static_cast<std::uint16_t>(r[at] | r[at + 1] << 8);
}

platform::Dcb SampleDcb()
{
    platform::Dcb d;
    d.DCBlength = 28;
    d.BaudRate = 0x0001C200;  // 115200
    d.Flags = 0x00002015;
    d.wReserved = 0xA1A2;
    d.XonLim = 80;
    d.XoffLim = 200;
    d.ByteSize = 7;
    d.Parity = platform::EVENPARITY;
    d.StopBits = platform::TWOSTOPBITS;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = '?';
    d.EofChar = 0x1A;
    d.EvtChar = '\n';
    d.wReserved1 = 0xB1B2;
    return d;
}

platform::CommTimeouts SampleTimeouts()
{
    return {50, 0x01020304, 3, 4, 0xFFFFFFFF};
}

} // namespace

TEST(PortConfigRecord, EveryFieldSitsAtItsOffsetLittleEndian)
{
    const PortConfigRecord r = PackPortConfig(5, SampleDcb(), SampleTimeouts());
    EXPECT_EQ(r[0], 5);
    EXPECT_EQ(U32At(r, 1), 28u);
    EXPECT_EQ(U32At(r, 5), 115200u);
    EXPECT_EQ(U32At(r, 9), 0x2015u);
    EXPECT_EQ(U16At(r, 13), 0xA1A2);
    EXPECT_EQ(U16At(r, 15), 80);
    EXPECT_EQ(U16At(r, 17), 200);
    const std::uint8_t bytes[] = {7, platform::EVENPARITY, platform::TWOSTOPBITS, 0x11, 0x13, '?', 0x1A, '\n'};
    EXPECT_EQ(std::memcmp(&r[19], bytes, sizeof bytes), 0);
    EXPECT_EQ(U16At(r, 27), 0xB1B2);
    EXPECT_EQ(U32At(r, 29), 50u);
    EXPECT_EQ(U32At(r, 33), 0x01020304u);
    EXPECT_EQ(U32At(r, 37), 3u);
    EXPECT_EQ(U32At(r, 41), 4u);
    EXPECT_EQ(U32At(r, 45), 0xFFFFFFFFu);
    // The DCB part is the platform's own layout, byte for byte.
    const platform::Dcb dcb = SampleDcb();
    EXPECT_EQ(std::memcmp(&r[1], &dcb, sizeof dcb), 0);
}

TEST(PortConfigRecord, OnlyTheLowEightBitsOfThePortNumberAreKept)
{
    const std::pair<std::uint16_t, std::uint8_t> table[] = {{1, 1}, {255, 255}, {256, 0}, {300, 44}, {0xFFFF, 0xFF}};
    for (const auto& [port, stored] : table)
        EXPECT_EQ(PackPortConfig(port, SampleDcb(), SampleTimeouts())[0], stored) << port;
}

TEST(PortConfigRecord, UnpackGivesBackWhatWasPacked)
{
    const PortConfigRecord r = PackPortConfig(300, SampleDcb(), SampleTimeouts());
    const PortConfig c = UnpackPortConfig(r);
    EXPECT_EQ(c.portNo, 44);
    const platform::Dcb dcb = SampleDcb();
    EXPECT_EQ(std::memcmp(&c.dcb, &dcb, sizeof dcb), 0);
    EXPECT_EQ(c.timeouts.ReadIntervalTimeout, 50u);
    EXPECT_EQ(c.timeouts.ReadTotalTimeoutMultiplier, 0x01020304u);
    EXPECT_EQ(c.timeouts.WriteTotalTimeoutConstant, 0xFFFFFFFFu);
}

TEST(LineFlags, FlowControlReplacesOnlyItsOwnBits)
{
    struct Row {
        TStreamProtocol protocol;
        bool rs485;
        std::uint32_t added;
    };
    const Row table[] = {{spNone, false, 0x1011}, {spXonXoff, false, 0x1311}, {spHardware, false, 0x2015},
                         {spNone, true, 0x3011},  {spXonXoff, true, 0x3011},  {spHardware, true, 0x3011}};
    for (std::uint32_t driver : {0x0000u, 0x7FFFu, 0x4CEAu, 0x1234u}) {
        for (const Row& row : table) {
            const std::uint32_t flags = line_flags::WithFlowControl(driver, row.protocol, row.rs485);
            EXPECT_EQ(flags, (driver & 0x4CEAu) | row.added) << std::hex << driver << " " << int(row.protocol);
            EXPECT_EQ(line_flags::Rs485Of(flags), row.rs485);
            if (!row.rs485) {
                EXPECT_EQ(line_flags::ProtocolOf(flags), row.protocol) << std::hex << driver;
            }
        }
    }
}

TEST(LineFlags, ProtocolOfFlagWordsFromElsewhere)
{
    const std::pair<std::uint32_t, TStreamProtocol> table[] = {
        {0x0000, spNone},      {0x1311, spXonXoff}, {0x2015, spHardware}, {0x3311, spXonXoff},
        {0x2025, spNone},      // CTS flow with DTR handshake: not the hardware set
        {0x2315, spHardware},  // XON without RTS enabled: the hardware set
        {0x3011, spNone},      {0x7FFF, spXonXoff},
    };
    for (const auto& [flags, protocol] : table)
        EXPECT_EQ(line_flags::ProtocolOf(flags), protocol) << std::hex << flags;
}
