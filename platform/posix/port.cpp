#include "platform/posix/port.h"

#include "platform/port_names.h"
#include "platform/posix/baud_rate.h"
#include "platform/posix/error_map.h"
#include "platform/posix/line_settings.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <linux/serial.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform::posix {
namespace {

// Optional ioctls: drivers without them (pseudo-terminals among them) say
// so with ENOTTY or EINVAL, which is no failure of the port.
bool Unsupported(int err)
{
    return err == ENOTTY || err == EINVAL;
}

bool AddToEpoll(int epoll, int fd, std::uint32_t events, std::uint32_t tag)
{
    epoll_event ev{};
    ev.events = events;
    ev.data.u32 = tag;
    return epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev) == 0;
}

// Names the group the user has to join, when the device tells it.
std::string AccessDeniedText(const std::filesystem::path& device)
{
    struct stat info {};
    group entry{};
    group* owner = nullptr;
    char buffer[4096];
    if (::stat(device.c_str(), &info) == 0 && info.st_gid != 0)
        getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &owner);
    if (!owner || !owner->gr_name)
        return MapErrno(EACCES, ErrnoContext::Open).text;
    return std::string("Access is denied. The user must be a member of the group \"") + owner->gr_name +
           "\" that owns " + device.string() + ".";
}

int OpenDevice(const std::string& name)
{
    std::optional<std::filesystem::path> path = ResolvePortName(name);
    if (!path) {
        Fail(kErrorFileNotFound);
        return -1;
    }
    int fd = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        if (err == EACCES || err == EPERM)
            SetError(kErrorAccessDenied, AccessDeniedText(*path));
        else
            SetErrnoError(err, ErrnoContext::Open);
        return -1;
    }
    if (!isatty(fd)) {
        ::close(fd);
        SetError(kErrorFileNotFound, "The system cannot find the file specified. (Not a serial device.)");
        return -1;
    }
    // flock keeps out other programs even where TIOCEXCL does not (root ignores it).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        SetErrnoError(err == EWOULDBLOCK ? EBUSY : err, ErrnoContext::Open);
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    return fd;
}

} // namespace

Port::Port(int fd) : fFd(fd), fRecorded(DefaultDcb()) {}

std::shared_ptr<Port> Port::Open(const std::string& name)
{
    int fd = OpenDevice(name);
    if (fd < 0)
        return nullptr;
    std::shared_ptr<Port> port(new Port(fd));
    if (!port->InitWaiting())
        return nullptr;
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        SetErrnoError(errno, ErrnoContext::Open);
        return nullptr;
    }
    // A fresh port is binary from the start; the line settings stay as the driver has them.
    speed_t speed = cfgetospeed(&t);
    cfmakeraw(&t);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        SetErrnoError(errno, ErrnoContext::Open);
        return nullptr;
    }
    serial_icounter_struct counts{};
    port->fHasCounters = ioctl(fd, TIOCGICOUNT, &counts) == 0;
    port->ReadCounters(port->fEventBase);
    port->fErrorBase = port->fEventBase;
    return port;
}

bool Port::InitWaiting()
{
    fClosedFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fKickFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fAbortFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fEpoll = epoll_create1(EPOLL_CLOEXEC);
    bool ok = fClosedFd >= 0 && fKickFd >= 0 && fAbortFd >= 0 && fEpoll >= 0;
    // Edge-triggered: each arrival of bytes is one event, however long they stay unread.
    ok = ok && AddToEpoll(fEpoll, fFd, EPOLLIN | EPOLLRDHUP | EPOLLET, kTagDevice);
    ok = ok && AddToEpoll(fEpoll, fClosedFd, EPOLLIN, kTagClosed);
    ok = ok && AddToEpoll(fEpoll, fKickFd, EPOLLIN, kTagKick);
    if (!ok)
        SetErrnoError(errno, ErrnoContext::Open);
    return ok;
}

Port::~Port()
{
    // Never wait for stuck output on the way out: drop it, and lift flow
    // control so a driver that waits for its FIFO to empty on close need not.
    tcflush(fFd, TCOFLUSH);
    termios t{};
    if (tcgetattr(fFd, &t) == 0 && ((t.c_cflag & CRTSCTS) || (t.c_iflag & IXON))) {
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~IXON;
        tcsetattr(fFd, TCSANOW, &t);
    }
    tcflow(fFd, TCOON);
    ::close(fFd);
    for (int fd : {fEpoll, fKickFd, fAbortFd, fClosedFd})
        if (fd >= 0)
            ::close(fd);
}

void Port::Close()
{
    if (fClosed.exchange(true))
        return;
    std::uint64_t one = 1;
    (void)::write(fClosedFd, &one, sizeof one);
    tcflush(fFd, TCOFLUSH);
    // The descriptor may live on a moment in a waking thread; the port is free now.
    ioctl(fFd, TIOCNXCL);
    flock(fFd, LOCK_UN);
}

bool Port::Usable()
{
    if (fClosed.load())
        return Fail(kErrorInvalidHandle);
    if (fLost.load())
        return FailLost();
    return true;
}

bool Port::FailLost()
{
    SetError(kErrorDeviceNotConnected, SystemErrorText(kErrorDeviceNotConnected));
    return false;
}

void Port::MarkLost()
{
    fLost.store(true);
}

bool Port::FailIo(int err)
{
    if (fClosed.load())
        return Fail(kErrorInvalidHandle);
    if (IsDeviceLoss(err))
        MarkLost();
    return FailErrno(err, ErrnoContext::Io);
}

bool Port::ReadCounters(Counters& c) const
{
    if (!fHasCounters)
        return false;
    serial_icounter_struct s{};
    if (ioctl(fFd, TIOCGICOUNT, &s) != 0)
        return false;
    c = {s.cts, s.dsr, s.rng, s.dcd, s.frame, s.overrun, s.parity, s.brk, s.buf_overrun};
    return true;
}

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

bool Port::ClearError(std::uint32_t* errors, ComStat* stat)
{
    if (!Usable())
        return false;
    int inQueue = 0;
    int outQueue = 0;
    if (ioctl(fFd, FIONREAD, &inQueue) != 0)
        return FailIo(errno);
    if (ioctl(fFd, TIOCOUTQ, &outQueue) != 0 && !Unsupported(errno))
        return FailIo(errno);
    std::uint32_t flags = 0;
    Counters now;
    if (ReadCounters(now)) {
        std::lock_guard lock(fMutex);
        if (now.bufOverrun != fErrorBase.bufOverrun) flags |= CE_RXOVER;
        if (now.overrun != fErrorBase.overrun) flags |= CE_OVERRUN;
        if (now.parity != fErrorBase.parity) flags |= CE_RXPARITY;
        if (now.frame != fErrorBase.frame) flags |= CE_FRAME;
        if (now.brk != fErrorBase.brk) flags |= CE_BREAK;
        fErrorBase = now;
    }
    if (errors)
        *errors = flags;
    if (stat) {
        stat->Flags = 0;
        stat->cbInQue = static_cast<std::uint32_t>(inQueue > 0 ? inQueue : 0);
        stat->cbOutQue = static_cast<std::uint32_t>(outQueue > 0 ? outQueue : 0);
        bool hardwareFlow = false;
        {
            std::lock_guard lock(fMutex);
            stat->cbOutQue += static_cast<std::uint32_t>(fPendingOutput.size());
            hardwareFlow = fHardwareFlow;
        }
        int lines = 0;
        if (hardwareFlow && ioctl(fFd, TIOCMGET, &lines) == 0 && !(lines & TIOCM_CTS))
            stat->Flags |= comstat_flags::fCtsHold;
    }
    return true;
}

bool Port::Setup(std::uint32_t inQueue, std::uint32_t outQueue)
{
    if (!Usable())
        return false;
    // The tty layer sizes its queues itself; the request is remembered for GetCommProperties.
    std::lock_guard lock(fMutex);
    fInQueue = inQueue;
    fOutQueue = outQueue;
    return true;
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
    if (rc != 0 && !Unsupported(errno))
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
        return Unsupported(errno) ? true : FailIo(errno);
    if (lines & TIOCM_CTS) status |= MS_CTS_ON;
    if (lines & TIOCM_DSR) status |= MS_DSR_ON;
    if (lines & TIOCM_RNG) status |= MS_RING_ON;
    if (lines & TIOCM_CAR) status |= MS_RLSD_ON;
    return true;
}

bool Port::Purge(std::uint32_t flags)
{
    if (!Usable())
        return false;
    if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        return Fail(kErrorInvalidParameter);
    bool in = flags & (PURGE_RXABORT | PURGE_RXCLEAR);
    bool out = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (out) {
        std::lock_guard lock(fMutex);
        fPendingOutput.clear();
    }
    if (flags & PURGE_RXABORT)
        fReadAborts.fetch_add(1);
    if (flags & PURGE_TXABORT)
        fWriteAborts.fetch_add(1);
    if (flags & (PURGE_RXABORT | PURGE_TXABORT)) {
        std::uint64_t one = 1;
        (void)::write(fAbortFd, &one, sizeof one);
    }
    int rc = 0;
    if (in || out)
        rc = tcflush(fFd, in && out ? TCIOFLUSH : in ? TCIFLUSH : TCOFLUSH);
    return rc == 0 ? true : FailIo(errno);
}

bool Port::TransmitChar(char c)
{
    if (!Usable())
        return false;
    ssize_t n = ::write(fFd, &c, 1);
    if (n == 1) {
        NoteWrite();
        return true;
    }
    return FailIo(n < 0 ? errno : EAGAIN);
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
