// Line settings, modem lines, timeouts, the event mask and the driver's properties.
#include "platform/posix/port.h"

#include "platform/posix/baud_rate.h"
#include "platform/posix/error_map.h"
#include "platform/posix/line_settings.h"

#include "platform/serial_rules.h"

#include <cerrno>
#include <linux/serial.h>
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
        // Line changes and noted events from before the new mask are no news.
        ReadCounters(fEventBase);
        if (fHasLines)
            ReadLines(fEventLines);
    }
    fNoted.store(0);
    UpdateModemWatch(mask);
    // A pending wait returns with an empty mask, as on Win32.
    fMaskChanged.store(true);
    Kick();
    return true;
}

bool Port::GetMask(std::uint32_t& mask)
{
    std::lock_guard lock(fMutex);
    mask = fMask;
    return true;
}

// The helper thread runs while modem events are asked for and the driver
// counts them; drivers that cannot wait are polled instead (port_wait.cpp).
void Port::UpdateModemWatch(std::uint32_t mask)
{
    constexpr std::uint32_t kModemEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
    std::lock_guard lock(fWatchMutex);
    const bool wanted = (mask & kModemEvents) && fHasCounters && !fClosed.load();
    if (!wanted) {
        if (fWatch)
            fWatch->Stop();
        fWatch.reset();
        return;
    }
    if (fWatch && !fWatch->Ended())
        return;
    if (fWatch && fWatch->Unsupported())
        return;
    const int fd = fFd;
    fWatch = std::make_unique<ModemWatch>(
        [fd] {
            const int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG;
            return ioctl(fd, TIOCMIWAIT, lines) == 0 ? 0 : errno;
        },
        [this] { Kick(); });
    fWatch->Start();
}

void Port::StopModemWatch()
{
    std::lock_guard lock(fWatchMutex);
    if (fWatch)
        fWatch->Stop();
    fWatch.reset();
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
    ApplyRs485(dcb);
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
    // In toggle mode RTS rests low: the driver raises it around each
    // transmission, or the caller does where the driver cannot.
    if (rts == 0 || (rts == dcb_flags::fRtsControlToggle && !fTogglesRts))
        clear |= TIOCM_RTS;
    else if (rts == dcb_flags::fRtsControlEnable)
        set |= TIOCM_RTS;
    ioctl(fFd, TIOCMBIS, &set);
    ioctl(fFd, TIOCMBIC, &clear);
}

// RTS toggling through the driver's RS-485 mode, where it has one.
void Port::ApplyRs485(const Dcb& dcb)
{
    const bool toggle = (dcb.Flags & dcb_flags::fRtsControlMask) == dcb_flags::fRtsControlToggle;
    bool was = false;
    {
        std::lock_guard lock(fMutex);
        was = fRs485On;
    }
    if (!fTogglesRts || toggle == was)
        return;
    serial_rs485 conf{};
    if (ioctl(fFd, TIOCGRS485, &conf) != 0)
        return;
    conf.flags &= ~(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND | SER_RS485_RTS_AFTER_SEND);
    if (toggle)
        conf.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    if (ioctl(fFd, TIOCSRS485, &conf) != 0)
        return;
    std::lock_guard lock(fMutex);
    fRs485On = toggle;
}

bool Port::TogglesRts()
{
    return Usable() && fTogglesRts;
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
    case SETXOFF:
    case SETXON: {
        rc = tcflow(fFd, function == SETXOFF ? TCOOFF : TCOON);
        std::lock_guard lock(fMutex);
        fXoffByEscape = function == SETXOFF;
        break;
    }
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
    std::lock_guard lock(fMutex);
    props = rules::SerialProperties(fInQueue, fOutQueue);
    return true;
}

} // namespace platform::posix
