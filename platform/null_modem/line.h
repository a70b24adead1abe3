#pragma once
// The shared state of a null-modem pair and the rules of the wire: every
// member is used under `mutex`. Time advances lazily: each caller first
// delivers what the wire has carried until now (Advance), then changes what
// it changes and settles the consequences (Settle). Waiters wake on
// `changed` (and the near waiter's event) and at the next character's arrival.

#include "platform/null_modem.h"
#include "platform/serial.h"
#include "platform/serial_rules.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace platform::null_modem {

using rules::Clock;

struct Cell {
    std::uint8_t byte;
    std::uint32_t errors;  // line errors the byte arrives with
    bool ahead;            // a priority character (TransmitCommChar)
};

// One direction of the wire: characters waiting, the head one on the wire.
struct Transmitter {
    std::deque<Cell> queue;
    std::optional<Clock::time_point> headStart;
    Clock::duration headTime{};

    std::optional<Clock::time_point> Due() const;
    void Clear();
};

struct NearEnd {
    bool open = false;
    std::uint64_t session = 0;  // counts opens, so a closed handle never reaches the next one
    Event* wake = nullptr;      // the open handle's event waiter
    Dcb dcb = rules::DefaultDcb();
    CommTimeouts timeouts;
    std::uint32_t mask = 0;
    std::uint32_t history = 0;  // masked events not yet reported
    std::uint32_t errors = 0;   // CE_* since the last ClearCommError
    bool waiting = false;
    bool maskChanged = false;
    std::deque<std::uint8_t> input;
    std::uint32_t inCapacity = 4096;
    std::uint32_t outCapacity = 4096;
    bool dtr = false, rts = false, brk = false;
    bool xoffByEscape = false, xoffReceived = false;
    bool txWritten = false;  // output since the last EV_TXEMPTY
    std::uint32_t readAborts = 0, writeAborts = 0;
    // The inputs as last seen, so each change is one event.
    bool cts = false, dsr = false, rlsd = false, ring = false, brkIn = false;
};

struct FarEnd {
    bool dtr = false, rts = false, brk = false, ring = false;
    std::deque<std::uint8_t> input;
    std::vector<FarTrace> trace;
    std::uint64_t changes = 0;
    bool cts = false, dsr = false, dcd = false, brkIn = false;  // as last traced
};

class Line {
public:
    explicit Line(NullModemOptions options) : options(options) {}

    std::mutex mutex;
    std::condition_variable changed;
    const NullModemOptions options;
    bool lost = false;
    NearEnd nearEnd;
    FarEnd farEnd;
    Transmitter toFar, toNear;

    // Delivers every character whose arrival time has come, in time order.
    void Advance(Clock::time_point now);
    // After a change at `now`: starts characters that may go now, records
    // line changes at both ends and wakes every waiter.
    void Settle(Clock::time_point now);
    // The next arrival on the wire; empty when nothing is on its way.
    std::optional<Clock::time_point> NextDue() const;
    // Waits (lock held on entry and return) until notified, deadline or the next arrival.
    void WaitUntil(std::unique_lock<std::mutex>& lock, rules::Deadline deadline);

    void OpenNear(Event* wake, Clock::time_point now);
    void CloseNear(Clock::time_point now);
    void Record(std::uint32_t event);
    bool NearOutputHeld() const;
    bool NearRts() const;
    std::uint8_t DataMask() const;
    void PutToNear(std::string_view bytes, std::uint32_t errors);
    void NoteErrors(std::uint32_t errors);

private:
    bool Sendable(const Transmitter& t) const;
    void Start(Transmitter& t, Clock::time_point at);
    void DeliverToFar(const Cell& cell, Clock::time_point at);
    void DeliverToNear(const Cell& cell, Clock::time_point at);
    bool TakeFlowChar(std::uint8_t byte);
    void NearInputsChanged();
    void FarInputsChanged(Clock::time_point at);
    void Trace(Clock::time_point at, FarTrace::Kind kind, std::uint8_t value);
};

} // namespace platform::null_modem
