// Line settings, modem lines, timeouts, the event mask and the driver's properties.
#include "platform/posix/port.h"

#include "platform/posix/baud_rate.h"
#include "platform/posix/error_map.h"
#include "platform/posix/line_settings.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

namespace platform::posix {

bool Port::SetMask(std::uint32_t mask)
{
    if (!Usable())
        return false;
    {
        std::lock_guard lock(fMutex);
        fMask = mask;
    }
    // A pending wait returns with an empty mask, as on Win32.
    fMaskChanged.store(true);
    Kick();
    return true;
}

std::uint32_t Port::Mask() const
{
    std::lock_guard lock(fMutex);
    return fMask;
}

bool Port::GetState(Dcb& dcb)
{
    if (!Usable())
        return false;
    termios t{};
    if (tcgetattr(fFd, &t) != 0)
        return FailIo(errno);
    std::uint32_t baud = ReadBaudRate(fFd).value_or(0);
    std::lock_guard lock(fMutex);
    dcb = ReadDcb(t, baud, fRecorded);
    if (!fFramingKept) {
        dcb.ByteSize = fRecorded.ByteSize;
        dcb.Parity = fRecorded.Parity;
    }
    return true;
}

bool Port::SetState(const Dcb& dcb)
{
    if (!Usable())
        return false;
    termios t{};
    if (tcgetattr(fFd, &t) != 0)
        return FailIo(errno);
    if (!ApplyDcb(dcb, t))
        return Fail(kErrorInvalidParameter);
    if (tcsetattr(fFd, TCSANOW, &t) != 0)
        return FailIo(errno);
    if (!StandardSpeed(dcb.BaudRate) && !WriteCustomBaudRate(fFd, dcb.BaudRate))
        return FailIo(errno);
    ApplyModemLines(dcb);
    // A pseudo-terminal has no wire and keeps 8 bits without parity whatever it is told;
    // the port then reports the framing it was given, as a virtual port driver would.
    termios held{};
    const tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR;
    bool kept = tcgetattr(fFd, &held) == 0 && (held.c_cflag & framing) == (t.c_cflag & framing);
    std::lock_guard lock(fMutex);
    fRecorded = dcb;
    fFramingKept = kept;
    fHardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    return true;
}

// DTR and RTS follow the DCB's control modes where the driver has modem lines.
void Port::ApplyModemLines(const Dcb& dcb)
{
    int set = 0;
    int clear = 0;
    std::uint32_t dtr = dcb.Flags & dcb_flags::fDtrControlMask;
    (dtr == 0 ? clear : set) |= TIOCM_DTR;
    std::uint32_t rts = dcb.Flags & dcb_flags::fRtsControlMask;
    if (rts == 0)
        clear |= TIOCM_RTS;
    else if (rts == 0x1000)
        set |= TIOCM_RTS;
    ioctl(fFd, TIOCMBIS, &set);
    ioctl(fFd, TIOCMBIC, &clear);
}

bool Port::GetTimeouts(CommTimeouts& timeouts)
{
    if (!Usable())
        return false;
    std::lock_guard lock(fMutex);
    timeouts = fTimeouts;
    return true;
}

bool Port::SetTimeouts(const CommTimeouts& timeouts)
{
    if (!Usable())
        return false;
    std::lock_guard lock(fMutex);
    fTimeouts = timeouts;
    return true;
}

bool Port::Escape(std::uint32_t function)
{
    if (!Usable())
        return false;
    int bits = 0;
    int rc = 0;
    switch (function) {
    case SETXOFF: rc = tcflow(fFd, TCOOFF); break;
    case SETXON: rc = tcflow(fFd, TCOON); break;
    case SETRTS: bits = TIOCM_RTS; rc = ioctl(fFd, TIOCMBIS, &bits); break;
    case CLRRTS: bits = TIOCM_RTS; rc = ioctl(fFd, TIOCMBIC, &bits); break;
    case SETDTR: bits = TIOCM_DTR; rc = ioctl(fFd, TIOCMBIS, &bits); break;
    case CLRDTR: bits = TIOCM_DTR; rc = ioctl(fFd, TIOCMBIC, &bits); break;
    case SETBREAK: rc = ioctl(fFd, TIOCSBRK); break;
    case CLRBREAK: rc = ioctl(fFd, TIOCCBRK); break;
    default: return Fail(kErrorInvalidParameter);
    }
    if (rc != 0 && !IsUnsupported(errno))
        return FailIo(errno);
    return true;
}

bool Port::ModemStatus(std::uint32_t& status)
{
    status = 0;
    if (!Usable())
        return false;
    int lines = 0;
    if (ioctl(fFd, TIOCMGET, &lines) != 0)
        return IsUnsupported(errno) ? true : FailIo(errno);
    if (lines & TIOCM_CTS) status |= MS_CTS_ON;
    if (lines & TIOCM_DSR) status |= MS_DSR_ON;
    if (lines & TIOCM_RNG) status |= MS_RING_ON;
    if (lines & TIOCM_CAR) status |= MS_RLSD_ON;
    return true;
}

bool Port::Properties(CommProp& props)
{
    if (!Usable())
        return false;
    props = CommProp{};
    props.wPacketLength = sizeof(CommProp);
    props.wPacketVersion = 2;
    props.dwServiceMask = 0x00000001;       // SP_SERIALCOMM
    props.dwMaxBaud = 0x10000000;           // BAUD_USER: any rate
    props.dwProvSubType = 0x00000001;       // PST_RS232
    props.dwProvCapabilities = 0x01FB;      // DTR/DSR, RTS/CTS, parity check, XON/XOFF, XON/XOFF chars, timeouts, special chars
    props.dwSettableParams = 0x007F;        // parity, baud, data bits, stop bits, handshaking, parity check, RLSD
    props.dwSettableBaud = 0x1007FFFF;      // every standard rate and BAUD_USER
    props.wSettableData = 0x000F;           // 5 to 8 data bits
    props.wSettableStopParity = 0x1F07;     // 1, 1.5, 2 stop bits; none, odd, even, mark, space
    std::lock_guard lock(fMutex);
    props.dwCurrentTxQueue = fOutQueue;
    props.dwCurrentRxQueue = fInQueue;
    return true;
}

} // namespace platform::posix
