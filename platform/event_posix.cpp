#include "platform/serial.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {
std::atomic<std::uint64_t> gNextEventId{1};
} // namespace

Event::Event() : fFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), fId(gNextEventId.fetch_add(1))
{
    if (fFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

Event::~Event()
{
    ::close(fFd);
}

void Event::Set()
{
    std::uint64_t one = 1;
    // A full counter already means "set"; nothing to do on EAGAIN.
    while (::write(fFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Event::Reset()
{
    std::uint64_t value = 0;
    while (::read(fFd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool Event::Wait(std::uint32_t timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int waitMs = -1;
        if (timeoutMs != kInfinite) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMs = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd p{fFd, POLLIN, 0};
        int n = ::poll(&p, 1, waitMs);
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0) {
            std::uint64_t value = 0;
            // Another waiter may have taken it first: then keep waiting.
            if (::read(fFd, &value, sizeof value) == sizeof value)
                return true;
        } else if (n == 0) {
            return false;
        }
    }
}

} // namespace platform
