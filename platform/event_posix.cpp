#include "platform/serial.h"

#include <algorithm>
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

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(std::uint32_t timeoutMs, Clock::time_point deadline)
{
    if (timeoutMs == kInfinite)
        return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, 0x7FFFFFFF)) : 0;
}

} // namespace

bool Event::Wait(std::uint32_t timeoutMs)
{
    return WaitForEvents({this}, timeoutMs) == 0;
}

int WaitForEvents(std::initializer_list<Event*> events, std::uint32_t timeoutMs)
{
    constexpr std::size_t kMax = 8;
    pollfd p[kMax];
    std::size_t count = 0;
    for (Event* e : events) {
        if (count == kMax)
            break;
        p[count++] = {e ? e->NativeHandle() : -1, POLLIN, 0};  // poll skips negative descriptors
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs == kInfinite ? 0 : timeoutMs);
    for (;;) {
        int n = ::poll(p, count, MsLeft(timeoutMs, deadline));
        if (n < 0 && errno != EINTR)
            return -1;
        if (n == 0)
            return -1;
        for (std::size_t i = 0; n > 0 && i < count; ++i) {
            if (!p[i].revents)
                continue;
            std::uint64_t value = 0;
            // Another waiter may have taken it first: then keep waiting.
            if (::read(p[i].fd, &value, sizeof value) == sizeof value)
                return static_cast<int>(i);
        }
    }
}

} // namespace platform
