// Reading and writing under the port's COMMTIMEOUTS.
#include "platform/posix/port.h"

#include "platform/posix/error_map.h"
#include "platform/serial_rules.h"

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

using rules::Clock;
// While DTR/DSR flow control holds the output, DSR is looked at this often.
constexpr int kDsrCheckMs = 5;

} // namespace

// Waits until the device is ready, the timeout passes, the port is closed
// or a purge aborts the calls started before it.
Port::IoWait Port::WaitForIo(short events, int timeoutMs, const std::atomic<std::uint32_t>* aborts,
                             std::uint32_t seen)
{
    for (;;) {
        // A reader also wakes when the event waiter took bytes in ahead of it.
        const int taken = (events & POLLIN) ? fInputFd : -1;
        pollfd p[4] = {{fFd, events, 0}, {fClosedFd, POLLIN, 0}, {fAbortFd, POLLIN, 0}, {taken, POLLIN, 0}};
        int n = ::poll(p, 4, timeoutMs);
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
            if (!p[0].revents && !p[3].revents)
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
    const rules::ReadPlan plan = rules::PlanRead(timeouts, count, Clock::now());
    const std::uint32_t aborts = fReadAborts.load();
    auto* out = static_cast<char*>(data);
    std::uint32_t got = 0;
    std::optional<Clock::time_point> lastByte;
    while (got < count) {
        ssize_t n = ReadSome(out + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            if (plan.returnAfterFirst)
                break;
            lastByte = Clock::now();
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
        const int waitMs = rules::MsUntil(rules::ReadDeadline(plan, lastByte), Clock::now());
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
    rules::Deadline deadline;
    {
        std::lock_guard lock(fMutex);
        deadline = rules::WriteDeadline(fTimeouts, count, Clock::now());
    }
    const auto* in = static_cast<const char*>(data);
    const std::uint32_t aborts = fWriteAborts.load();
    std::uint32_t done = 0;
    while (done < count) {
        const bool held = HeldForDsr();
        ssize_t n = held ? -1 : ::write(fFd, in + done, count - done);
        if (held)
            errno = EAGAIN;
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return FailIo(errno);
        int waitMs = rules::MsUntil(deadline, Clock::now());
        if (waitMs == 0)
            break;  // a write timeout completes with what went out
        if (held)
            waitMs = waitMs < 0 ? kDsrCheckMs : std::min(waitMs, kDsrCheckMs);
        IoWait w = WaitForIo(held ? 0 : POLLOUT, waitMs, &fWriteAborts, aborts);
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
    const bool held = HeldForDsr();
    std::unique_lock lock(fMutex);
    // Bytes already waiting go first; only an empty backlog lets new bytes straight through.
    if (fPendingOutput.empty() && !held) {
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
        }
        if (HeldForDsr()) {
            WaitForIo(0, kDsrCheckMs);
            continue;
        }
        {
            std::lock_guard lock(fMutex);
            if (fPendingOutput.empty())
                continue;
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
