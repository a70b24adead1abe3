#include "platform/posix/line_settings.h"

#include "platform/serial_rules.h"

#include <array>
#include <utility>

namespace platform::posix {
namespace {

using namespace dcb_flags;

constexpr std::array<std::pair<std::uint32_t, speed_t>, 31> kSpeeds{{
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}, {0, B0},
}};

tcflag_t SizeFlag(std::uint8_t byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

std::uint8_t ByteSizeOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

tcflag_t ParityFlags(std::uint8_t parity)
{
    switch (parity) {
    case ODDPARITY: return PARENB | PARODD;
    case EVENPARITY: return PARENB;
    case MARKPARITY: return PARENB | CMSPAR | PARODD;
    case SPACEPARITY: return PARENB | CMSPAR;
    default: return 0;
    }
}

std::uint8_t ParityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return NOPARITY;
    if (cflag & CMSPAR)
        return (cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    return (cflag & PARODD) ? ODDPARITY : EVENPARITY;
}

bool HardwareFlow(std::uint32_t flags)
{
    return (flags & fOutxCtsFlow) || (flags & fRtsControlMask) == fRtsControlHandshake;
}

} // namespace

std::optional<speed_t> StandardSpeed(std::uint32_t baud)
{
    for (auto [rate, code] : kSpeeds)
        if (rate == baud && rate != 0)
            return code;
    return std::nullopt;
}

bool ApplyDcb(const Dcb& dcb, termios& t)
{
    if (!rules::DcbIsValid(dcb))
        return false;
    cfmakeraw(&t);
    // Without INPCK a byte with a parity or framing error is delivered as it
    // came (the driver counts the error) instead of becoming a NUL.
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    if (dcb.Flags & fOutX)
        t.c_iflag |= IXON;
    if (dcb.Flags & fInX)
        t.c_iflag |= IXOFF;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | SizeFlag(dcb.ByteSize) | ParityFlags(dcb.Parity);
    // Linux knows one and two stop bits; 1.5 (only meaningful with 5 data bits) becomes two.
    if (dcb.StopBits != ONESTOPBIT)
        t.c_cflag |= CSTOPB;
    if (HardwareFlow(dcb.Flags))
        t.c_cflag |= CRTSCTS;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (auto code = StandardSpeed(dcb.BaudRate)) {
        cfsetispeed(&t, *code);
        cfsetospeed(&t, *code);
    }
    return true;
}

Dcb ReadDcb(const termios& t, std::uint32_t baud, const Dcb& recorded)
{
    Dcb dcb = recorded;
    dcb.DCBlength = sizeof(Dcb);
    dcb.BaudRate = baud;
    dcb.ByteSize = ByteSizeOf(t.c_cflag);
    dcb.Parity = ParityOf(t.c_cflag);
    if (!(t.c_cflag & CSTOPB))
        dcb.StopBits = ONESTOPBIT;
    else if (recorded.StopBits != ONE5STOPBITS)
        dcb.StopBits = TWOSTOPBITS;
    std::uint32_t flags = recorded.Flags | fBinary;
    flags &= ~(fOutX | fInX);
    if (t.c_iflag & IXON)
        flags |= fOutX;
    if (t.c_iflag & IXOFF)
        flags |= fInX;
    if (!(t.c_cflag & CRTSCTS)) {
        flags &= ~fOutxCtsFlow;
        if ((flags & fRtsControlMask) == fRtsControlHandshake)
            flags = (flags & ~fRtsControlMask) | fRtsControlEnable;
    } else if (!HardwareFlow(flags)) {
        flags = (flags & ~fRtsControlMask) | fOutxCtsFlow | fRtsControlHandshake;
    }
    dcb.Flags = flags;
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return dcb;
}

Dcb DefaultDcb()
{
    return rules::DefaultDcb();
}

} // namespace platform::posix
