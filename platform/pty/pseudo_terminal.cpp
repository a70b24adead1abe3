#include "platform/pty/pseudo_terminal.h"

#include "platform/posix/baud_rate.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <system_error>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void MakeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "openpty");
    MakeRaw(slave);
    ::close(slave);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fMaster = master;
    fSlavePath = name;
    fStop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fStop < 0) {
        int err = errno;
        ::close(fMaster);
        throw std::system_error(err, std::generic_category(), "eventfd");
    }
}

PseudoTerminal::~PseudoTerminal()
{
    CloseMaster();
    ::close(fStop);
}

void PseudoTerminal::CloseMaster()
{
    std::uint64_t one = 1;
    (void)::write(fStop, &one, sizeof one);
    std::unique_lock lock(fMutex);
    if (fMaster >= 0) {
        ::close(fMaster);
        fMaster = -1;
    }
}

bool PseudoTerminal::IsMasterOpen() const
{
    std::shared_lock lock(fMutex);
    return fMaster >= 0;
}

// Waits for the master to become ready. While nobody holds the slave the
// master reports POLLHUP at once, so that case waits in short steps.
PseudoTerminal::WaitResult PseudoTerminal::WaitFor(short events, int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p[2] = {{fMaster, events, 0}, {fStop, POLLIN, 0}};
        int n = ::poll(p, 2, MsLeft(deadline));
        if (n < 0 && errno != EINTR)
            return WaitResult::Closed;
        if (p[1].revents)
            return WaitResult::Closed;
        if (p[0].revents & events)
            return WaitResult::Ready;
        if (p[0].revents & (POLLHUP | POLLERR)) {
            int step = std::min(10, MsLeft(deadline));
            pollfd stop{fStop, POLLIN, 0};
            ::poll(&stop, 1, step);
            if (stop.revents)
                return WaitResult::Closed;
        }
        if (MsLeft(deadline) == 0)
            return WaitResult::Timeout;
    }
}

bool PseudoTerminal::Write(std::string_view bytes)
{
    std::shared_lock lock(fMutex);
    if (fMaster < 0)
        return false;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!bytes.empty()) {
        ssize_t n = ::write(fMaster, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        if (WaitFor(POLLOUT, MsLeft(deadline)) != WaitResult::Ready)
            return false;
    }
    return true;
}

std::string PseudoTerminal::Read(std::uint32_t timeoutMs)
{
    std::shared_lock lock(fMutex);
    std::string out;
    if (fMaster < 0)
        return out;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        char buffer[4096];
        ssize_t n = ::read(fMaster, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN (nothing more) or EIO (no slave open): done once something came.
        if (!out.empty() || WaitFor(POLLIN, MsLeft(deadline)) != WaitResult::Ready)
            return out;
    }
}

std::string PseudoTerminal::ReadExactly(std::size_t n, std::uint32_t timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string out;
    while (out.size() < n) {
        int left = MsLeft(deadline);
        std::string chunk = Read(static_cast<std::uint32_t>(left));
        if (chunk.empty() && left == 0)
            break;
        if (chunk.empty() && !IsMasterOpen())
            break;
        out += chunk;
    }
    return out;
}

TerminalSettings PseudoTerminal::Settings() const
{
    std::shared_lock lock(fMutex);
    TerminalSettings s;
    termios t{};
    // On a master, the terminal calls act on the slave's settings.
    if (fMaster < 0 || tcgetattr(fMaster, &t) != 0)
        return s;
    s.baudRate = posix::ReadBaudRate(fMaster).value_or(0);
    switch (t.c_cflag & CSIZE) {
    case CS5: s.byteSize = 5; break;
    case CS6: s.byteSize = 6; break;
    case CS7: s.byteSize = 7; break;
    default: s.byteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        s.parity = 'N';
    else if (t.c_cflag & CMSPAR)
        s.parity = (t.c_cflag & PARODD) ? 'M' : 'S';
    else
        s.parity = (t.c_cflag & PARODD) ? 'O' : 'E';
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    s.rtsCts = (t.c_cflag & CRTSCTS) != 0;
    s.xonXoffOutput = (t.c_iflag & IXON) != 0;
    s.xonXoffInput = (t.c_iflag & IXOFF) != 0;
    s.xonChar = static_cast<char>(t.c_cc[VSTART]);
    s.xoffChar = static_cast<char>(t.c_cc[VSTOP]);
    s.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST);
    return s;
}

} // namespace platform
