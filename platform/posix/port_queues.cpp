// The driver's queues: counts, error and hold flags, purging, the priority
// character, and the read-ahead queue that lets the port see the event
// character (and DSR) as bytes arrive.
#include "platform/posix/port.h"

#include "platform/posix/error_map.h"

#include <algorithm>
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform::posix {
namespace {

// How much the port takes in ahead of its reader; beyond it bytes wait in the driver.
constexpr std::size_t kReadAheadLimit = 65536;

} // namespace

bool Port::IntakeMode() const
{
    std::lock_guard lock(fMutex);
    return (fMask & EV_RXFLAG) || (fRecorded.Flags & dcb_flags::fDsrSensitivity);
}

// Moves what the driver holds into the read-ahead queue. Returns like ::read:
// 0 when the line was hung up, -1 with errno on failure, 1 otherwise.
// fInputMutex must be held.
ssize_t Port::IntakeLocked()
{
    char eventChar = 0;
    bool dsrSensitive = false;
    {
        std::lock_guard lock(fMutex);
        eventChar = fRecorded.EvtChar;
        dsrSensitive = (fRecorded.Flags & dcb_flags::fDsrSensitivity) != 0;
    }
    int lines = 0;
    // The driver ignores what comes while DSR is off when the DCB asks so.
    const bool dropping = dsrSensitive && fHasLines && ReadLines(lines) && !(lines & TIOCM_DSR);
    bool flagSeen = false;
    char buffer[4096];
    while (fReadAhead.size() < kReadAheadLimit) {
        const std::size_t room = std::min(sizeof buffer, kReadAheadLimit - fReadAhead.size());
        ssize_t n = ::read(fFd, buffer, room);
        if (n > 0) {
            if (dropping)
                continue;
            flagSeen = flagSeen || std::find(buffer, buffer + n, eventChar) != buffer + n;
            fReadAhead.insert(fReadAhead.end(), buffer, buffer + n);
            continue;
        }
        if (n == 0) {
            MarkLost();
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return -1;
        break;
    }
    NoteReadAhead();
    if (flagSeen) {
        fNoted.fetch_or(EV_RXFLAG);
        Kick();
    }
    return 1;
}

void Port::NoteReadAhead()
{
    std::uint64_t value = 1;
    if (fReadAhead.empty())
        (void)::read(fInputFd, &value, sizeof value);
    else
        (void)::write(fInputFd, &value, sizeof value);
}

// One attempt to read: the read-ahead queue first, then the driver. Returns
// like ::read (-1 with EAGAIN when nothing is there).
ssize_t Port::ReadSome(char* out, std::size_t n)
{
    std::unique_lock input(fInputMutex);
    const bool intake = IntakeMode();
    if (intake) {
        ssize_t r = IntakeLocked();
        if (r <= 0 && fReadAhead.empty())
            return r;
    }
    if (!fReadAhead.empty()) {
        const std::size_t took = std::min(n, fReadAhead.size());
        std::copy_n(fReadAhead.begin(), took, out);
        fReadAhead.erase(fReadAhead.begin(), fReadAhead.begin() + static_cast<std::ptrdiff_t>(took));
        NoteReadAhead();
        return static_cast<ssize_t>(took);
    }
    if (intake) {
        errno = EAGAIN;
        return -1;
    }
    input.unlock();
    return ::read(fFd, out, n);
}

// What a reader would get now: the read-ahead queue and the driver's queue.
bool Port::QueuedInput(std::uint32_t& queued)
{
    std::lock_guard input(fInputMutex);
    if (IntakeMode() && IntakeLocked() < 0)
        return FailIo(errno);
    int inDriver = 0;
    if (ioctl(fFd, FIONREAD, &inDriver) != 0)
        return FailIo(errno);
    queued = static_cast<std::uint32_t>(std::max(inDriver, 0) + fReadAhead.size());
    return true;
}

bool Port::HeldForDsr() const
{
    {
        std::lock_guard lock(fMutex);
        if (!(fRecorded.Flags & dcb_flags::fOutxDsrFlow))
            return false;
    }
    int lines = 0;
    return fHasLines && ReadLines(lines) && !(lines & TIOCM_DSR);
}

bool Port::ClearError(std::uint32_t* errors, ComStat* stat)
{
    if (!Usable())
        return false;
    std::uint32_t inQueue = 0;
    int outQueue = 0;
    if (!QueuedInput(inQueue))
        return false;
    // Only our writes fill the output queue: once it was seen empty it stays
    // empty until the next one, so the look-up is saved on the receive path.
    const std::uint64_t writes = fWritesDone.load();
    if (writes != fOutputEmptyAt.load()) {
        if (ioctl(fFd, TIOCOUTQ, &outQueue) != 0 && !IsUnsupported(errno))
            return FailIo(errno);
        if (outQueue == 0)
            fOutputEmptyAt.store(writes);
    }
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
    if (!stat)
        return true;
    *stat = ComStat{};
    stat->cbInQue = inQueue;
    stat->cbOutQue = static_cast<std::uint32_t>(std::max(outQueue, 0));
    bool hardwareFlow = false;
    {
        std::lock_guard lock(fMutex);
        stat->cbOutQue += static_cast<std::uint32_t>(fPendingOutput.size());
        hardwareFlow = fHardwareFlow;
        if (fXoffByEscape)
            stat->Flags |= comstat_flags::fXoffHold;
    }
    int lines = 0;
    if (hardwareFlow && ReadLines(lines) && !(lines & TIOCM_CTS))
        stat->Flags |= comstat_flags::fCtsHold;
    if (HeldForDsr())
        stat->Flags |= comstat_flags::fDsrHold;
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
    std::unique_lock input(fInputMutex, std::defer_lock);
    if (in) {
        input.lock();
        fReadAhead.clear();
        NoteReadAhead();
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

} // namespace platform::posix
