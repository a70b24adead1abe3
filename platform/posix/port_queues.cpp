// The driver's queues: counts and error flags, purging, the priority character.
#include "platform/posix/port.h"

#include "platform/posix/error_map.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform::posix {

bool Port::ClearError(std::uint32_t* errors, ComStat* stat)
{
    if (!Usable())
        return false;
    int inQueue = 0;
    int outQueue = 0;
    if (ioctl(fFd, FIONREAD, &inQueue) != 0)
        return FailIo(errno);
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

} // namespace platform::posix
