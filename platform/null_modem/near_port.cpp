#include "platform/null_modem/near_port.h"

#include "platform/last_error.h"

#include <algorithm>

namespace platform::null_modem {
namespace {

using namespace dcb_flags;

constexpr std::uint32_t kDtrHandshake = 0x0020;
constexpr std::uint32_t kRtsEnable = 0x1000;
constexpr std::uint32_t kRtsHandshake = 0x2000;
constexpr std::uint32_t kRtsToggle = 0x3000;

bool SwitchLine(bool& line, bool on, bool drivenByDriver)
{
    if (drivenByDriver)
        return FailWith(kErrorInvalidParameter);
    line = on;
    return true;
}

} // namespace

std::shared_ptr<NearPort> NearPort::Open(std::shared_ptr<Line> line)
{
    std::lock_guard lock(line->mutex);
    if (line->lost) {
        FailWith(kErrorFileNotFound);
        return nullptr;
    }
    if (line->nearEnd.open) {
        FailWith(kErrorSharingViolation);
        return nullptr;
    }
    auto port = std::make_shared<NearPort>(line);
    const auto now = Clock::now();
    line->Advance(now);
    line->OpenNear(&port->fWake, now);
    port->fSession = line->nearEnd.session;
    return port;
}

NearPort::~NearPort()
{
    Close();
}

void NearPort::Close()
{
    Lock lock = Enter();
    if (fClosed)
        return;
    fClosed = true;
    if (fLine->nearEnd.open && fLine->nearEnd.session == fSession)
        fLine->CloseNear(Clock::now());
    fLine->changed.notify_all();
    fWake.Set();
}

NearPort::Lock NearPort::Enter()
{
    Lock lock(fLine->mutex);
    fLine->Advance(Clock::now());
    return lock;
}

bool NearPort::Usable() const
{
    if (fClosed || !fLine->nearEnd.open || fLine->nearEnd.session != fSession)
        return FailWith(kErrorInvalidHandle);
    if (fLine->lost)
        return FailWith(kErrorDeviceNotConnected);
    return true;
}

bool NearPort::StoppedByError() const
{
    return (fLine->nearEnd.dcb.Flags & fAbortOnError) && fLine->nearEnd.errors != 0;
}

// --- reading and writing ------------------------------------------------------

NearPort::Step NearPort::WaitForLine(Lock& lock, rules::Deadline deadline, const std::uint32_t& aborts,
                                     std::uint32_t seen)
{
    if (deadline && *deadline <= Clock::now())
        return Step::TimedOut;
    fLine->WaitUntil(lock, deadline);
    fLine->Advance(Clock::now());
    if (!Usable())
        return Step::Failed;
    if (aborts != seen) {
        FailWith(kErrorOperationAborted);
        return Step::Failed;
    }
    return Step::Go;
}

bool NearPort::Read(void* data, std::uint32_t count, std::uint32_t* read)
{
    Lock lock = Enter();
    if (!Usable())
        return false;
    NearEnd& n = fLine->nearEnd;
    const rules::ReadPlan plan = rules::PlanRead(n.timeouts, count, Clock::now());
    const std::uint32_t aborts = n.readAborts;
    auto* out = static_cast<std::uint8_t*>(data);
    std::uint32_t got = 0;
    std::optional<Clock::time_point> lastByte;
    for (;;) {
        if (StoppedByError())
            return FailWith(kErrorOperationAborted);
        const auto take = static_cast<std::uint32_t>(std::min<std::size_t>(count - got, n.input.size()));
        if (take > 0) {
            std::copy_n(n.input.begin(), take, out + got);
            n.input.erase(n.input.begin(), n.input.begin() + take);
            got += take;
            lastByte = Clock::now();
            Settle();  // room for what waits on the wire
        }
        if (got == count || plan.returnAtOnce || (plan.returnAfterFirst && got > 0))
            break;
        const Step step = WaitForLine(lock, rules::ReadDeadline(plan, lastByte), n.readAborts, aborts);
        if (step == Step::TimedOut)
            break;
        if (step == Step::Failed) {
            if (read)
                *read = got;
            return false;
        }
    }
    if (read)
        *read = got;
    return true;
}

bool NearPort::Write(const void* data, std::uint32_t count, std::uint32_t* written)
{
    Lock lock = Enter();
    if (!Usable())
        return false;
    if (StoppedByError())
        return FailWith(kErrorOperationAborted);
    NearEnd& n = fLine->nearEnd;
    const rules::Deadline deadline = rules::WriteDeadline(n.timeouts, count, Clock::now());
    const std::uint32_t aborts = n.writeAborts;
    const auto* in = static_cast<const std::uint8_t*>(data);
    std::uint32_t done = 0;
    for (;;) {
        const std::size_t queued = fLine->toFar.queue.size();
        const std::size_t room = n.outCapacity > queued ? n.outCapacity - queued : 0;
        const auto put = static_cast<std::uint32_t>(std::min<std::size_t>(room, count - done));
        for (std::uint32_t i = 0; i < put; ++i)
            fLine->toFar.queue.push_back(Cell{in[done + i], 0, false});
        if (put > 0) {
            done += put;
            n.txWritten = true;
            Settle();
        }
        if (done == count)
            break;
        const Step step = WaitForLine(lock, deadline, n.writeAborts, aborts);
        if (step == Step::TimedOut)
            break;  // a write timeout completes with what went out
        if (step == Step::Failed) {
            if (written)
                *written = done;
            return false;
        }
    }
    if (written)
        *written = done;
    return true;
}

bool NearPort::WriteNoWait(const void* data, std::uint32_t count)
{
    return Apply([&](NearEnd& n) {
        if (StoppedByError())
            return FailWith(kErrorOperationAborted);
        const auto* in = static_cast<const std::uint8_t*>(data);
        for (std::uint32_t i = 0; i < count; ++i)
            fLine->toFar.queue.push_back(Cell{in[i], 0, false});
        n.txWritten = n.txWritten || count > 0;
        return true;
    });
}

bool NearPort::Flush()
{
    Lock lock = Enter();
    for (;;) {
        if (!Usable())
            return false;
        if (fLine->toFar.queue.empty())
            return true;
        fLine->WaitUntil(lock, std::nullopt);
        fLine->Advance(Clock::now());
    }
}

bool NearPort::TransmitChar(char c)
{
    return Apply([&](NearEnd& n) {
        // Ahead of everything that waits, behind the character already on the wire.
        auto& queue = fLine->toFar.queue;
        const auto at = fLine->toFar.headStart ? std::next(queue.begin()) : queue.begin();
        queue.insert(at, Cell{static_cast<std::uint8_t>(c), 0, true});
        n.txWritten = true;
        return true;
    });
}

// --- events -------------------------------------------------------------------

bool NearPort::WaitEvent(std::uint32_t& mask, Event* cancel)
{
    mask = 0;
    Lock lock = Enter();
    if (!Usable())
        return false;
    NearEnd& n = fLine->nearEnd;
    if (n.waiting)
        return FailWith(kErrorInvalidParameter);
    n.waiting = true;
    n.maskChanged = false;
    // The flag belongs to this open; a later open has its own.
    struct Leave {
        NearEnd& n;
        std::uint64_t session;
        ~Leave()
        {
            if (n.session == session)
                n.waiting = false;
        }
    } leave{n, fSession};
    for (;;) {
        if (!Usable())
            return false;
        if (n.maskChanged)
            return true;  // mask 0: the event mask was changed during the wait
        if (const std::uint32_t events = n.history & n.mask) {
            n.history &= ~events;
            mask = events;
            return true;
        }
        const int ms = rules::MsUntil(fLine->NextDue(), Clock::now());
        lock.unlock();
        const int woken = WaitForEvents({&fWake, cancel}, ms < 0 ? kInfinite : static_cast<std::uint32_t>(ms));
        lock.lock();
        fLine->Advance(Clock::now());
        if (woken == 1 && !fClosed)
            return FailWith(kErrorOperationAborted);
    }
}

bool NearPort::SetMask(std::uint32_t mask)
{
    return Apply([&](NearEnd& n) {
        n.mask = mask;
        n.history = 0;
        n.maskChanged = n.waiting;
        return true;
    });
}

bool NearPort::GetMask(std::uint32_t& mask)
{
    return Query([&](const NearEnd& n) { mask = n.mask; });
}

// --- state ----------------------------------------------------------------------

bool NearPort::ClearError(std::uint32_t* errors, ComStat* stat)
{
    // Clearing the errors lets a call stopped by fAbortOnError go on.
    return Apply([&](NearEnd& n) {
        if (errors)
            *errors = n.errors;
        n.errors = 0;
        if (stat)
            *stat = Status(n);
        return true;
    });
}

ComStat NearPort::Status(const NearEnd& n) const
{
    const std::uint32_t f = n.dcb.Flags;
    ComStat stat;
    if ((f & fOutxCtsFlow) && !fLine->farEnd.rts)
        stat.Flags |= comstat_flags::fCtsHold;
    if ((f & fOutxDsrFlow) && !fLine->farEnd.dtr)
        stat.Flags |= comstat_flags::fDsrHold;
    if (n.xoffByEscape || ((f & fOutX) && n.xoffReceived))
        stat.Flags |= comstat_flags::fXoffHold;
    const auto& out = fLine->toFar.queue;
    if (std::any_of(out.begin(), out.end(), [](const Cell& c) { return c.ahead; }))
        stat.Flags |= comstat_flags::fTxim;
    stat.cbInQue = static_cast<std::uint32_t>(n.input.size());
    stat.cbOutQue = static_cast<std::uint32_t>(out.size());
    return stat;
}

bool NearPort::Setup(std::uint32_t inQueue, std::uint32_t outQueue)
{
    return Apply([&](NearEnd& n) {
        n.inCapacity = std::max<std::uint32_t>(inQueue, 1);
        n.outCapacity = std::max<std::uint32_t>(outQueue, 1);
        return true;
    });
}

bool NearPort::GetState(Dcb& dcb)
{
    return Query([&](const NearEnd& n) { dcb = n.dcb; });
}

bool NearPort::SetState(const Dcb& dcb)
{
    return Apply([&](NearEnd& n) {
        if (!rules::DcbIsValid(dcb))
            return FailWith(kErrorInvalidParameter);
        n.dcb = dcb;
        n.dcb.DCBlength = sizeof(Dcb);
        n.dtr = (dcb.Flags & fDtrControlMask) != 0;
        // Disabled, or toggling: at rest RTS is low.
        const std::uint32_t rts = dcb.Flags & fRtsControlMask;
        n.rts = rts == kRtsEnable || rts == kRtsHandshake;
        return true;
    });
}

bool NearPort::GetTimeouts(CommTimeouts& timeouts)
{
    return Query([&](const NearEnd& n) { timeouts = n.timeouts; });
}

bool NearPort::SetTimeouts(const CommTimeouts& timeouts)
{
    return Apply([&](NearEnd& n) {
        n.timeouts = timeouts;
        return true;
    });
}

bool NearPort::Escape(std::uint32_t function)
{
    return Apply([&](NearEnd& n) {
        const std::uint32_t rtsMode = n.dcb.Flags & fRtsControlMask;
        // Lines the driver drives itself cannot be switched by hand.
        const bool rtsByDriver = rtsMode == kRtsHandshake || (rtsMode == kRtsToggle && fLine->options.togglesRts);
        const bool dtrByDriver = (n.dcb.Flags & fDtrControlMask) == kDtrHandshake;
        switch (function) {
        case SETXOFF: n.xoffByEscape = true; return true;
        case SETXON: n.xoffByEscape = false; return true;
        case SETRTS:
        case CLRRTS: return SwitchLine(n.rts, function == SETRTS, rtsByDriver);
        case SETDTR:
        case CLRDTR: return SwitchLine(n.dtr, function == SETDTR, dtrByDriver);
        case SETBREAK: n.brk = true; return true;
        case CLRBREAK: n.brk = false; return true;
        default: return FailWith(kErrorInvalidParameter);
        }
    });
}

bool NearPort::ModemStatus(std::uint32_t& status)
{
    status = 0;
    return Query([&](const NearEnd&) {
        const FarEnd& f = fLine->farEnd;
        status = (f.rts ? MS_CTS_ON : 0) | (f.dtr ? MS_DSR_ON | MS_RLSD_ON : 0) | (f.ring ? MS_RING_ON : 0);
    });
}

bool NearPort::Purge(std::uint32_t flags)
{
    return Apply([&](NearEnd& n) {
        if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
            return FailWith(kErrorInvalidParameter);
        if (flags & PURGE_RXCLEAR)
            n.input.clear();
        if (flags & PURGE_TXCLEAR) {
            fLine->toFar.Clear();
            n.txWritten = false;
        }
        n.readAborts += (flags & PURGE_RXABORT) ? 1 : 0;
        n.writeAborts += (flags & PURGE_TXABORT) ? 1 : 0;
        return true;
    });
}

bool NearPort::Properties(CommProp& props)
{
    return Query([&](const NearEnd& n) { props = rules::SerialProperties(n.inCapacity, n.outCapacity); });
}

bool NearPort::TogglesRts()
{
    return Query([](const NearEnd&) {}) && fLine->options.togglesRts;
}

} // namespace platform::null_modem
