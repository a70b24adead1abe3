#include "platform/null_modem/line.h"

namespace platform::null_modem {
namespace {

using namespace dcb_flags;

constexpr std::uint32_t kRtsToggle = 0x3000;
constexpr std::size_t kTraceLimit = 1 << 16;

} // namespace

std::optional<Clock::time_point> Transmitter::Due() const
{
    if (!headStart)
        return std::nullopt;
    return *headStart + headTime;
}

void Transmitter::Clear()
{
    queue.clear();
    headStart.reset();
}

std::uint8_t Line::DataMask() const
{
    return static_cast<std::uint8_t>((1u << nearEnd.dcb.ByteSize) - 1);
}

bool Line::NearOutputHeld() const
{
    const std::uint32_t f = nearEnd.dcb.Flags;
    if ((f & fOutxCtsFlow) && !farEnd.rts)
        return true;
    if ((f & fOutxDsrFlow) && !farEnd.dtr)
        return true;
    if (nearEnd.xoffByEscape || ((f & fOutX) && nearEnd.xoffReceived))
        return true;
    return nearEnd.brk;
}

// RTS as the wire carries it: in toggle mode a driver that toggles keeps it
// up exactly while it has characters to send.
bool Line::NearRts() const
{
    if (!nearEnd.open)
        return false;
    if ((nearEnd.dcb.Flags & fRtsControlMask) == kRtsToggle && options.togglesRts)
        return !toFar.queue.empty();
    return nearEnd.rts;
}

bool Line::Sendable(const Transmitter& t) const
{
    if (t.queue.empty())
        return false;
    if (&t == &toFar)
        return !NearOutputHeld();
    return nearEnd.input.size() < nearEnd.inCapacity;
}

void Line::Start(Transmitter& t, Clock::time_point at)
{
    t.headStart = at;
    t.headTime = rules::CharTime(nearEnd.dcb);
}

std::optional<Clock::time_point> Line::NextDue() const
{
    auto a = toFar.Due();
    auto b = toNear.Due();
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

void Line::Advance(Clock::time_point now)
{
    for (;;) {
        auto farDue = toFar.Due();
        auto nearDue = toNear.Due();
        const bool farReady = farDue && *farDue <= now;
        const bool nearReady = nearDue && *nearDue <= now;
        if (!farReady && !nearReady)
            return;
        const bool toFarFirst = farReady && (!nearReady || *farDue <= *nearDue);
        Transmitter& t = toFarFirst ? toFar : toNear;
        const Clock::time_point at = *t.Due();
        const Cell cell = t.queue.front();
        t.queue.pop_front();
        t.headStart.reset();
        if (toFarFirst)
            DeliverToFar(cell, at);
        else
            DeliverToNear(cell, at);
        // What the arrival changed (space, flow control, RTS) happened at its time.
        for (Transmitter* each : {&toFar, &toNear})
            if (!each->headStart && Sendable(*each))
                Start(*each, at);
        FarInputsChanged(at);
    }
}

void Line::Settle(Clock::time_point now)
{
    for (Transmitter* each : {&toFar, &toNear})
        if (!each->headStart && Sendable(*each))
            Start(*each, now);
    NearInputsChanged();
    FarInputsChanged(now);
    changed.notify_all();
    if (nearEnd.wake)
        nearEnd.wake->Set();
}

void Line::WaitUntil(std::unique_lock<std::mutex>& lock, rules::Deadline deadline)
{
    std::optional<Clock::time_point> until = NextDue();
    if (deadline && (!until || *deadline < *until))
        until = deadline;
    if (until)
        changed.wait_until(lock, *until);
    else
        changed.wait(lock);
}

void Line::Record(std::uint32_t event)
{
    nearEnd.history |= event & nearEnd.mask;
}

void Line::DeliverToFar(const Cell& cell, Clock::time_point at)
{
    const std::uint8_t byte = cell.byte & DataMask();
    farEnd.input.push_back(byte);
    Trace(at, FarTrace::Byte, byte);
    if (toFar.queue.empty() && nearEnd.txWritten) {
        nearEnd.txWritten = false;
        Record(EV_TXEMPTY);
    }
    changed.notify_all();
    if (nearEnd.wake)
        nearEnd.wake->Set();
}

// XON/XOFF from the far end steer the near output and never reach the queue.
bool Line::TakeFlowChar(std::uint8_t byte)
{
    const Dcb& dcb = nearEnd.dcb;
    if (!(dcb.Flags & fOutX))
        return false;
    if (byte == static_cast<std::uint8_t>(dcb.XoffChar)) {
        nearEnd.xoffReceived = true;
        return true;
    }
    if (byte == static_cast<std::uint8_t>(dcb.XonChar)) {
        nearEnd.xoffReceived = false;
        return true;
    }
    return false;
}

void Line::DeliverToNear(const Cell& cell, Clock::time_point)
{
    if (!nearEnd.open)
        return;  // nobody holds the port: the driver drops what comes
    const Dcb& dcb = nearEnd.dcb;
    std::uint8_t byte = cell.byte & DataMask();
    NoteErrors(cell.errors);
    if (TakeFlowChar(byte))
        return;
    if ((dcb.Flags & fDsrSensitivity) && !farEnd.dtr)
        return;
    if ((cell.errors & CE_RXPARITY) && (dcb.Flags & fErrorChar) && (dcb.Flags & fParity))
        byte = static_cast<std::uint8_t>(dcb.ErrorChar);
    if ((dcb.Flags & fNull) && byte == 0)
        return;
    nearEnd.input.push_back(byte);
    Record(EV_RXCHAR);
    if (byte == static_cast<std::uint8_t>(dcb.EvtChar))
        Record(EV_RXFLAG);
    if (std::uint64_t{nearEnd.input.size()} * 10 >= std::uint64_t{nearEnd.inCapacity} * 8)
        Record(EV_RX80FULL);
    changed.notify_all();
    if (nearEnd.wake)
        nearEnd.wake->Set();
}

void Line::NoteErrors(std::uint32_t errors)
{
    if (!errors || !nearEnd.open)
        return;
    nearEnd.errors |= errors;
    if (errors & (CE_FRAME | CE_OVERRUN | CE_RXPARITY))
        Record(EV_ERR);
    if (errors & CE_BREAK)
        Record(EV_BREAK);
}

// Errors without bytes arrive at once.
void Line::PutToNear(std::string_view bytes, std::uint32_t errors)
{
    if (bytes.empty()) {
        NoteErrors(errors);
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i)
        toNear.queue.push_back(Cell{static_cast<std::uint8_t>(bytes[i]), i == 0 ? errors : 0u, false});
}

void Line::NearInputsChanged()
{
    NearEnd& n = nearEnd;
    if (!n.open)
        return;
    const bool cts = farEnd.rts, dsr = farEnd.dtr, rlsd = farEnd.dtr, ring = farEnd.ring, brk = farEnd.brk;
    if (cts != n.cts)
        Record(EV_CTS);
    if (dsr != n.dsr)
        Record(EV_DSR);
    if (rlsd != n.rlsd)
        Record(EV_RLSD);
    if (ring != n.ring)
        Record(EV_RING);
    if (brk && !n.brkIn) {
        n.errors |= CE_BREAK;
        Record(EV_BREAK);
    }
    n.cts = cts;
    n.dsr = dsr;
    n.rlsd = rlsd;
    n.ring = ring;
    n.brkIn = brk;
}

void Line::FarInputsChanged(Clock::time_point at)
{
    const bool open = nearEnd.open;
    const bool cts = NearRts();
    const bool dsr = open && nearEnd.dtr;
    const bool brk = open && nearEnd.brk;
    if (cts != farEnd.cts)
        Trace(at, FarTrace::Cts, cts);
    if (dsr != farEnd.dsr) {
        Trace(at, FarTrace::Dsr, dsr);
        Trace(at, FarTrace::Dcd, dsr);
    }
    if (brk != farEnd.brkIn)
        Trace(at, FarTrace::Break, brk);
    farEnd.cts = cts;
    farEnd.dsr = farEnd.dcd = dsr;
    farEnd.brkIn = brk;
}

void Line::Trace(Clock::time_point at, FarTrace::Kind kind, std::uint8_t value)
{
    if (farEnd.trace.size() >= kTraceLimit)
        farEnd.trace.erase(farEnd.trace.begin(), farEnd.trace.begin() + kTraceLimit / 2);
    farEnd.trace.push_back({at, kind, value});
    ++farEnd.changes;
}

void Line::OpenNear(Event* wake, Clock::time_point now)
{
    NearEnd fresh;
    fresh.open = true;
    fresh.session = nearEnd.session + 1;
    fresh.wake = wake;
    // Opening raises DTR and RTS, as the default settings ask.
    fresh.dtr = fresh.rts = true;
    // Lines that are already up are no events of this open.
    fresh.cts = farEnd.rts;
    fresh.dsr = fresh.rlsd = farEnd.dtr;
    fresh.ring = farEnd.ring;
    fresh.brkIn = farEnd.brk;
    nearEnd = fresh;
    toFar.Clear();
    toNear.headStart.reset();
    Settle(now);
}

void Line::CloseNear(Clock::time_point now)
{
    nearEnd.open = false;
    nearEnd.wake = nullptr;
    nearEnd.dtr = nearEnd.rts = nearEnd.brk = false;
    nearEnd.input.clear();
    toFar.Clear();
    Settle(now);
}

} // namespace platform::null_modem
