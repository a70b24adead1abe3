// DCB <-> termios on the structures themselves: framings a pseudo-terminal
// cannot hold (it forces 8 bits without parity) are checked here.
#include "platform/posix/line_settings.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;
using platform::posix::ApplyDcb;
using platform::posix::DefaultDcb;
using platform::posix::ReadDcb;

struct FramingCase {
    const char* name;
    std::uint8_t byteSize, parity, stopBits;
    std::uint32_t flags;
    tcflag_t cflagSet;    // must be set
    tcflag_t cflagClear;  // must be clear
    tcflag_t iflagSet;
};

class Framing : public ::testing::TestWithParam<FramingCase> {};

TEST_P(Framing, MapsOntoTermiosAndBack)
{
    const FramingCase& c = GetParam();
    Dcb dcb = DefaultDcb();
    dcb.ByteSize = c.byteSize;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stopBits;
    dcb.Flags = c.flags;
    termios t{};
    ASSERT_TRUE(ApplyDcb(dcb, t));
    EXPECT_EQ(t.c_cflag & c.cflagSet, c.cflagSet);
    EXPECT_EQ(t.c_cflag & c.cflagClear, 0u);
    EXPECT_EQ(t.c_iflag & c.iflagSet, c.iflagSet);
    // A byte with a parity error is delivered as it came, never as a NUL or a marked sequence.
    EXPECT_EQ(t.c_iflag & (INPCK | PARMRK | IGNPAR), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);  // raw
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    Dcb back = ReadDcb(t, 9600, dcb);
    EXPECT_EQ(back.ByteSize, c.byteSize);
    EXPECT_EQ(back.Parity, c.parity);
    EXPECT_EQ(back.StopBits, c.stopBits);
    EXPECT_EQ(back.Flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Framing,
    ::testing::Values(
        FramingCase{"EightNoneOne", 8, NOPARITY, ONESTOPBIT, 0x1011, CS8 | CREAD | CLOCAL, PARENB | CSTOPB | CRTSCTS, 0},
        FramingCase{"SevenEvenTwo", 7, EVENPARITY, TWOSTOPBITS, 0x1013, CS7 | PARENB | CSTOPB, PARODD | CMSPAR, 0},
        FramingCase{"SixOddOne", 6, ODDPARITY, ONESTOPBIT, 0x1011, CS6 | PARENB | PARODD, CMSPAR | CSTOPB, 0},
        FramingCase{"FiveMarkOneAndHalf", 5, MARKPARITY, ONE5STOPBITS, 0x1011, CS5 | PARENB | PARODD | CMSPAR | CSTOPB, 0, 0},
        FramingCase{"EightSpaceOne", 8, SPACEPARITY, ONESTOPBIT, 0x1011, CS8 | PARENB | CMSPAR, PARODD, 0},
        FramingCase{"Hardware", 8, NOPARITY, ONESTOPBIT, 0x2015, CRTSCTS, 0, 0},
        FramingCase{"XonXoff", 8, NOPARITY, ONESTOPBIT, 0x1311, 0, CRTSCTS, IXON | IXOFF},
        FramingCase{"ParityFlagWithoutParityIsKept", 8, NOPARITY, ONESTOPBIT, 0x1013, CS8, PARENB, 0}),
    [](const ::testing::TestParamInfo<FramingCase>& info) { return std::string(info.param.name); });

TEST(LineSettings, StandardRatesUseTheirCodes)
{
    EXPECT_EQ(posix::StandardSpeed(9600), B9600);
    EXPECT_EQ(posix::StandardSpeed(115200), B115200);
    EXPECT_FALSE(posix::StandardSpeed(250000));
    EXPECT_FALSE(posix::StandardSpeed(0));
    Dcb dcb = DefaultDcb();
    dcb.BaudRate = 19200;
    termios t{};
    ASSERT_TRUE(ApplyDcb(dcb, t));
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(cfgetispeed(&t), B19200);
}

TEST(LineSettings, FlowControlSetOutsideReadsAsHandshake)
{
    termios t{};
    Dcb dcb = DefaultDcb();
    ASSERT_TRUE(ApplyDcb(dcb, t));
    t.c_cflag |= CRTSCTS;
    EXPECT_EQ(ReadDcb(t, 9600, dcb).Flags & 0x3004u, 0x2004u);
    t.c_cflag &= ~CRTSCTS;
    Dcb handshake = dcb;
    handshake.Flags = 0x2015;
    EXPECT_EQ(ReadDcb(t, 9600, handshake).Flags, 0x1011u);
}

} // namespace
