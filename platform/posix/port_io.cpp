// Reading and writing under the port's COMMTIMEOUTS.
#include "platform/posix/port.h"

#include "platform/posix/error_map.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace platform::posix {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

std::optional<Clock::time_point> After(std::uint64_t ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

int MsUntil(std::optional<Clock::time_point> deadline)
{
    if (!deadline)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, 0x7FFFFFFF)) : 0;
}

// How long a read may wait, from the COMMTIMEOUTS rules.
struct ReadPlan {
    bool returnAtOnce = false;        // MAXDWORD interval, zero totals
    bool returnAfterFirst = false;    // MAXDWORD interval and multiplier: first bytes end the read
    std::optional<Clock::time_point> total;
    std::uint32_t intervalMs = 0;     // 0: no interval timeout
};

ReadPlan PlanRead(const CommTimeouts& t, std::uint32_t count)
{
    ReadPlan plan;
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0) {
        plan.returnAtOnce = true;
        return plan;
    }
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
        t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword) {
        plan.returnAfterFirst = true;
        plan.total = After(t.ReadTotalTimeoutConstant);
        return plan;
    }
    if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0)
        plan.total = After(std::uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant);
    if (t.ReadIntervalTimeout != kMaxDword)
        plan.intervalMs = t.ReadIntervalTimeout;
    return plan;
}

} // namespace

// Waits until the device is ready, the timeout passes, the port is closed
// or a purge aborts the calls started before it.
Port::IoWait Port::WaitForIo(short events, int timeoutMs, const std::atomic<std::uint32_t>* aborts,
                             std::uint32_t seen)
{
    for (;;) {
        pollfd p[3] = {{fFd, events, 0}, {fClosedFd, POLLIN, 0}, {fAbortFd, POLLIN, 0}};
        int n = ::poll(p, 3, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || p[1].revents || fClosed.load())
            return IoWait::Closed;
        if (aborts && aborts->load() != seen)
            return IoWait::Aborted;
        if (p[2].revents) {
            // An abort meant for calls older than this one: clear it and wait on.
            std::uint64_t value = 0;
            (void)::read(fAbortFd, &value, sizeof value);
            if (!p[0].revents)
                continue;
        }
        return n == 0 ? IoWait::Timeout : IoWait::Ready;
    }
}

bool Port::Read(void* data, std::uint32_t count, std::uint32_t* read)
{
    if (read)
        *read = 0;
    if (!Usable())
        return false;
    CommTimeouts timeouts;
    {
        std::lock_guard lock(fMutex);
        timeouts = fTimeouts;
    }
    const ReadPlan plan = PlanRead(timeouts, count);
    const std::uint32_t aborts = fReadAborts.load();
    auto* out = static_cast<char*>(data);
    std::uint32_t got = 0;
    std::optional<Clock::time_point> gapDeadline;
    while (got < count) {
        ssize_t n = ::read(fFd, out + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            if (plan.returnAfterFirst)
                break;
            if (plan.intervalMs)
                gapDeadline = After(plan.intervalMs);
            continue;
        }
        if (n == 0) {  // readable but nothing: the line was hung up
            MarkLost();
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return FailIo(errno);
        if (plan.returnAtOnce)
            break;
        int waitMs = MsUntil(plan.total);
        if (gapDeadline)
            waitMs = waitMs < 0 ? MsUntil(gapDeadline) : std::min(waitMs, MsUntil(gapDeadline));
        if (waitMs == 0)
            break;
        IoWait w = WaitForIo(POLLIN, waitMs, &fReadAborts, aborts);
        if (w == IoWait::Closed)
            return Fail(kErrorInvalidHandle);
        if (w == IoWait::Aborted) {
            if (read)
                *read = got;
            return Fail(kErrorOperationAborted);
        }
    }
    if (read)
        *read = got;
    if (got == 0 && fLost.load())
        return FailLost();
    return true;
}

bool Port::Write(const void* data, std::uint32_t count, std::uint32_t* written)
{
    if (written)
        *written = 0;
    if (!Usable())
        return false;
    std::optional<Clock::time_point> deadline;
    {
        std::lock_guard lock(fMutex);
        const CommTimeouts& t = fTimeouts;
        if (t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0)
            deadline = After(std::uint64_t{t.WriteTotalTimeoutMultiplier} * count + t.WriteTotalTimeoutConstant);
    }
    const auto* in = static_cast<const char*>(data);
    const std::uint32_t aborts = fWriteAborts.load();
    std::uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fFd, in + done, count - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return FailIo(errno);
        int waitMs = MsUntil(deadline);
        if (waitMs == 0)
            break;  // a write timeout completes with what went out
        IoWait w = WaitForIo(POLLOUT, waitMs, &fWriteAborts, aborts);
        if (w == IoWait::Closed)
            return Fail(kErrorInvalidHandle);
        if (w == IoWait::Aborted) {
            if (written)
                *written = done;
            return Fail(kErrorOperationAborted);
        }
    }
    if (written)
        *written = done;
    if (done > 0)
        NoteWrite();
    return true;
}

bool Port::WriteNoWait(const void* data, std::uint32_t count)
{
    if (!Usable())
        return false;
    const auto* in = static_cast<const char*>(data);
    std::uint32_t done = 0;
    std::unique_lock lock(fMutex);
    // Bytes already waiting go first; only an empty backlog lets new bytes straight through.
    if (fPendingOutput.empty()) {
        ssize_t n = ::write(fFd, in, count);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            lock.unlock();
            return FailIo(errno);
        }
        done = n > 0 ? static_cast<std::uint32_t>(n) : 0;
    }
    fPendingOutput.insert(fPendingOutput.end(), in + done, in + count);
    bool startDrain = !fPendingOutput.empty() && !fDraining;
    if (startDrain)
        fDraining = true;
    lock.unlock();
    if (done > 0)
        NoteWrite();
    if (startDrain)
        std::thread([self = shared_from_this()] { self->FlushPendingOutput(); }).detach();
    return true;
}

// Runs on its own short-lived thread until the backlog of WriteNoWait is written.
bool Port::FlushPendingOutput()
{
    for (;;) {
        {
            std::lock_guard lock(fMutex);
            if (fPendingOutput.empty() || fClosed.load() || fLost.load()) {
                fPendingOutput.clear();
                fDraining = false;
                return true;
            }
            ssize_t n = ::write(fFd, fPendingOutput.data(), fPendingOutput.size());
            if (n > 0) {
                fPendingOutput.erase(fPendingOutput.begin(), fPendingOutput.begin() + n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                if (IsDeviceLoss(errno))
                    MarkLost();
                fPendingOutput.clear();
                fDraining = false;
                return false;
            }
        }
        NoteWrite();
        WaitForIo(POLLOUT, 100);
    }
}

bool Port::Flush()
{
    constexpr int kStepMs = 5;
    for (;;) {
        if (!Usable())
            return false;
        int queued = 0;
        if (ioctl(fFd, TIOCOUTQ, &queued) != 0) {
            if (!IsUnsupported(errno))
                return FailIo(errno);
            queued = 0;
        }
        bool backlog = false;
        {
            std::lock_guard lock(fMutex);
            backlog = !fPendingOutput.empty();
        }
        if (queued == 0 && !backlog)
            return true;
        // The driver has no wake-up for "output sent"; look again shortly.
        pollfd closed{fClosedFd, POLLIN, 0};
        ::poll(&closed, 1, kStepMs);
    }
}

} // namespace platform::posix
