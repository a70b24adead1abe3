// WaitCommEvent: one edge-triggered epoll per port, so each arrival of
// bytes is reported once and an idle port sleeps in the kernel.
#include "platform/posix/port.h"

#include "platform/posix/error_map.h"

#include <cerrno>
#include <utility>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::posix {
namespace {

constexpr std::uint32_t kModemEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr std::uint32_t kLineEvents = kModemEvents | EV_BREAK | EV_ERR;
// Output draining has no wake-up of its own, nor have modem lines of drivers
// without a change wait; they are looked at this often, and only while
// someone waits for them.
constexpr int kTxCheckMs = 5;
constexpr int kLineCheckMs = 20;

void Drain(int eventFd)
{
    std::uint64_t value = 0;
    (void)::read(eventFd, &value, sizeof value);
}

class WaitingFlag {
public:
    explicit WaitingFlag(std::atomic<bool>& flag) : fFlag(flag), fOwned(!flag.exchange(true)) {}
    ~WaitingFlag()
    {
        if (fOwned)
            fFlag.store(false);
    }
    bool Owned() const { return fOwned; }

private:
    std::atomic<bool>& fFlag;
    bool fOwned;
};

} // namespace

void Port::Kick()
{
    std::uint64_t one = 1;
    (void)::write(fKickFd, &one, sizeof one);
}

// A registration per wait would cost two epoll_ctl calls for every event; the
// event stays in the set instead until another (or none) is given. An event
// destroyed meanwhile took its registration with it when its descriptor
// closed, which is why it is known by its id and not by its descriptor.
void Port::WatchCancel(Event* cancel)
{
    const std::uint64_t id = cancel ? cancel->Id() : 0;
    if (id == fCancelWatched)
        return;
    if (fCancelFd >= 0)
        epoll_ctl(fEpoll, EPOLL_CTL_DEL, fCancelFd, nullptr);  // may be gone already
    fCancelWatched = 0;
    fCancelFd = -1;
    if (!cancel)
        return;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u32 = kTagCancel;
    if (epoll_ctl(fEpoll, EPOLL_CTL_ADD, cancel->NativeHandle(), &ev) == 0) {
        fCancelWatched = id;
        fCancelFd = cancel->NativeHandle();
    }
}

void Port::NoteWrite()
{
    fWritesDone.fetch_add(1);
    {
        std::lock_guard lock(fMutex);
        if (!(fMask & EV_TXEMPTY))
            return;
        fTxPending = true;
    }
    Kick();
}

// Events that have no descriptor readiness: output drained, line changes,
// events a reader noted.
std::uint32_t Port::PendingEvents(std::uint32_t wanted)
{
    std::uint32_t events = fNoted.exchange(0);
    {
        std::lock_guard lock(fMutex);
        if (fTxPending) {
            int queued = 0;
            bool known = ioctl(fFd, TIOCOUTQ, &queued) == 0;
            if (!known || queued == 0) {
                fTxPending = false;
                if ((wanted & EV_TXEMPTY) && fPendingOutput.empty())
                    events |= EV_TXEMPTY;
            }
        }
    }
    events |= fHasCounters ? CounterEvents(wanted) : LineStatusEvents(wanted);
    return events & wanted;
}

std::uint32_t Port::CounterEvents(std::uint32_t wanted)
{
    Counters now;
    if (!(wanted & kLineEvents) || !ReadCounters(now))
        return 0;
    std::lock_guard lock(fMutex);
    const Counters& was = fEventBase;
    std::uint32_t events = 0;
    if (now.cts != was.cts) events |= EV_CTS;
    if (now.dsr != was.dsr) events |= EV_DSR;
    if (now.dcd != was.dcd) events |= EV_RLSD;
    if (now.rng != was.rng) events |= EV_RING;
    if (now.brk != was.brk) events |= EV_BREAK;
    if (now.frame != was.frame || now.overrun != was.overrun || now.parity != was.parity)
        events |= EV_ERR;
    fEventBase = now;
    return events;
}

// Drivers with modem lines but no counters: changes seen by looking at the lines.
std::uint32_t Port::LineStatusEvents(std::uint32_t wanted)
{
    int lines = 0;
    if (!fHasLines || !(wanted & kModemEvents) || !ReadLines(lines))
        return 0;
    std::lock_guard lock(fMutex);
    const int changed = lines ^ fEventLines;
    fEventLines = lines;
    std::uint32_t events = 0;
    if (changed & TIOCM_CTS) events |= EV_CTS;
    if (changed & TIOCM_DSR) events |= EV_DSR;
    if (changed & TIOCM_CD) events |= EV_RLSD;
    if (changed & TIOCM_RNG) events |= EV_RING;
    return events;
}

// How often to look for events nothing wakes us for; -1: never.
int Port::EventCheckInterval(std::uint32_t wanted) const
{
    {
        std::lock_guard lock(fMutex);
        if (fTxPending && (wanted & EV_TXEMPTY))
            return kTxCheckMs;
    }
    if (!(wanted & kModemEvents))
        return -1;
    if (fHasCounters) {
        std::lock_guard lock(fWatchMutex);
        const bool watched = fWatch && !fWatch->Ended();
        return watched ? -1 : kLineCheckMs;
    }
    return fHasLines ? kLineCheckMs : -1;
}

// New bytes: EV_RXCHAR (and EV_RX80FULL) when something is queued; the
// event character is noted as the bytes are taken in.
bool Port::ArrivalEvents(std::uint32_t wanted, std::uint32_t& mask)
{
    std::uint32_t queued = 0;
    if (!QueuedInput(queued))
        return false;
    // Bytes a reader took already are no news.
    if (queued > 0) {
        mask = EV_RXCHAR & wanted;
        if (std::uint64_t{queued} * 10 >= std::uint64_t{kDriverInputQueue} * 8)
            mask |= EV_RX80FULL & wanted;
    }
    mask |= PendingEvents(wanted);
    return true;
}

bool Port::WaitEvent(std::uint32_t& mask, Event* cancel)
{
    mask = 0;
    if (!Usable())
        return false;
    // No poll() probe for a hang-up here: every wait that sees the hang-up
    // marks the port lost, and one that came while nobody waited stays
    // ready for the next epoll_wait. (A probe cost a tty buffer flush per event.)
    WaitingFlag waiting(fWaiting);
    if (!waiting.Owned())
        return Fail(kErrorInvalidParameter);
    WatchCancel(cancel);
    fMaskChanged.store(false);
    for (;;) {
        std::uint32_t wanted = 0;
        GetMask(wanted);
        if (std::uint32_t events = PendingEvents(wanted)) {
            mask = events;
            return true;
        }
        // An arrival left over from a wait that ended otherwise: look without blocking.
        const int timeoutMs = fArrivalPending ? 0 : EventCheckInterval(wanted);
        epoll_event ready[4];
        int n = epoll_wait(fEpoll, ready, 4, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FailIo(errno);
        bool arrived = false, hungUp = false, kicked = false, cancelled = false;
        for (int i = 0; i < n; ++i) {
            switch (ready[i].data.u32) {
            case kTagDevice:
                arrived = arrived || (ready[i].events & EPOLLIN);
                hungUp = hungUp || (ready[i].events & (EPOLLHUP | EPOLLERR | EPOLLRDHUP));
                break;
            case kTagKick: kicked = true; break;
            case kTagCancel: cancelled = true; break;
            default: break;  // kTagClosed: seen through fClosed below
            }
        }
        if (fClosed.load())
            return Fail(kErrorInvalidHandle);
        // The edges are spent now: keep them for the next wait if this one ends otherwise.
        if (arrived)
            fArrivalPending = true;
        if (hungUp)
            MarkLost();
        if (cancelled) {
            cancel->Reset();
            return Fail(kErrorOperationAborted);
        }
        if (hungUp)
            return FailLost();
        if (kicked) {
            Drain(fKickFd);
            if (fMaskChanged.exchange(false))
                return true;  // mask 0: the event mask was changed during the wait
        }
        if (std::exchange(fArrivalPending, false) && (wanted & (EV_RXCHAR | EV_RX80FULL | EV_RXFLAG))) {
            if (!ArrivalEvents(wanted, mask))
                return false;
            if (fLost.load())
                return FailLost();
            if (mask)
                return true;
        }
    }
}

} // namespace platform::posix
