// Opening and closing a port, and the checks every call starts with.
#include "platform/posix/port.h"

#include "platform/port_names.h"
#include "platform/posix/error_map.h"
#include "platform/posix/line_settings.h"
#include "platform/posix/tty_node.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace platform::posix {
namespace {

bool AddToEpoll(int epoll, int fd, std::uint32_t events, std::uint32_t tag)
{
    epoll_event ev{};
    ev.events = events;
    ev.data.u32 = tag;
    return epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev) == 0;
}

// Replies are short; ask UART drivers to hand over received bytes at once.
void RequestLowLatency(int fd)
{
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0 || (info.flags & ASYNC_LOW_LATENCY))
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &info);
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

void SetOpenError(int err, const std::filesystem::path& device)
{
    if (err == EACCES || err == EPERM)
        SetError(kErrorAccessDenied, AccessDeniedText(device));
    else
        SetErrnoError(err, ErrnoContext::Open);
}

constexpr const char* kNotSerialText = "The system cannot find the file specified. (Not a serial device.)";

int OpenDevice(const std::string& name)
{
    std::optional<std::filesystem::path> path = ResolvePortName(name);
    if (!path) {
        Fail(kErrorFileNotFound);
        return -1;
    }
    // Decided before opening: an open alone can block (FIFO) or act (some devices).
    struct stat before {};
    if (::stat(path->c_str(), &before) != 0) {
        SetOpenError(errno, *path);
        return -1;
    }
    const TtyNodeCheck nodes;
    if (!nodes.Accepts(before)) {
        SetError(kErrorFileNotFound, kNotSerialText);
        return -1;
    }
    int fd = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetOpenError(errno, *path);
        return -1;
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0 || after.st_rdev != before.st_rdev || after.st_ino != before.st_ino
        || !isatty(fd)) {
        ::close(fd); // swapped since the check, or no terminal after all
        SetError(kErrorFileNotFound, kNotSerialText);
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
    RequestLowLatency(fd);
    port->ProbeDriver();
    return port;
}

// What the driver can do: count line events, report modem lines, toggle RTS.
void Port::ProbeDriver()
{
    serial_icounter_struct counts{};
    fHasCounters = ioctl(fFd, TIOCGICOUNT, &counts) == 0;
    ReadCounters(fEventBase);
    fErrorBase = fEventBase;
    fHasLines = ReadLines(fEventLines);
    // Writing back the current RS-485 settings changes nothing; only a driver
    // that can switch RTS itself accepts it.
    serial_rs485 rs485{};
    fTogglesRts = ioctl(fFd, TIOCGRS485, &rs485) == 0 && ioctl(fFd, TIOCSRS485, &rs485) == 0;
}

bool Port::InitWaiting()
{
    fClosedFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fKickFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fAbortFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fInputFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    fEpoll = epoll_create1(EPOLL_CLOEXEC);
    bool ok = fClosedFd >= 0 && fKickFd >= 0 && fAbortFd >= 0 && fInputFd >= 0 && fEpoll >= 0;
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
    StopModemWatch();
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
    for (int fd : {fEpoll, fKickFd, fAbortFd, fInputFd, fClosedFd})
        if (fd >= 0)
            ::close(fd);
}

void Port::Close()
{
    if (fClosed.exchange(true))
        return;
    std::uint64_t one = 1;
    (void)::write(fClosedFd, &one, sizeof one);
    StopModemWatch();
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

bool Port::ReadLines(int& lines) const
{
    return ioctl(fFd, TIOCMGET, &lines) == 0;
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

} // namespace platform::posix
