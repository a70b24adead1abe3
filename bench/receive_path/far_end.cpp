#include "far_end.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace bench {

FarEnd::FarEnd()
{
    fMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fMaster < 0 || grantpt(fMaster) != 0 || unlockpt(fMaster) != 0)
        throw std::runtime_error("no pseudo-terminal");
    fSlave = ptsname(fMaster);
    termios t{};
    tcgetattr(fMaster, &t);
    cfmakeraw(&t);
    tcsetattr(fMaster, TCSANOW, &t);
}

FarEnd::~FarEnd()
{
    close(fMaster);
}

void FarEnd::Write(const void* data, std::size_t n)
{
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t w = write(fMaster, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
}

bool FarEnd::ReadExactly(std::size_t n, int timeoutMs)
{
    char buf[4096];
    while (n > 0) {
        pollfd p{fMaster, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        const ssize_t r = read(fMaster, buf, std::min(n, sizeof buf));
        if (r <= 0)
            return false;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

void FarEnd::Drain()
{
    char buf[4096];
    pollfd p{fMaster, POLLIN, 0};
    while (poll(&p, 1, 20) > 0 && read(fMaster, buf, sizeof buf) > 0) {
    }
}

} // namespace bench
