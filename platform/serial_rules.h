#pragma once
// Rules of the serial API that hold for every kind of port: which DCBs are
// valid, how COMMTIMEOUTS bound a read or a write, how long a character takes
// on the wire, what GetCommProperties reports. Backends share them so every
// port behaves alike.

#include "platform/serial_types.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace platform::rules {

using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;  // empty: no limit

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

bool DcbIsValid(const Dcb& dcb);

// How long a read may wait, from the COMMTIMEOUTS rules.
struct ReadPlan {
    bool returnAtOnce = false;      // MAXDWORD interval, zero totals
    bool returnAfterFirst = false;  // MAXDWORD interval and multiplier: first bytes end the read
    Deadline total;
    std::uint32_t intervalMs = 0;   // 0: no interval timeout
};
ReadPlan PlanRead(const CommTimeouts& t, std::uint32_t count, Clock::time_point now);

// When a read that last received bytes at lastByte (if ever) stops waiting.
Deadline ReadDeadline(const ReadPlan& plan, std::optional<Clock::time_point> lastByte);

// When a write of count bytes that starts now times out.
Deadline WriteDeadline(const CommTimeouts& t, std::uint32_t count, Clock::time_point now);

// Milliseconds from now until deadline, rounded up; -1 without a deadline.
int MsUntil(Deadline deadline, Clock::time_point now);

// One character on the wire: start bit, data bits, parity bit, stop bits.
Clock::duration CharTime(const Dcb& dcb);

// What every port reports; the caller fills in its current queue sizes.
CommProp SerialProperties(std::uint32_t inQueue, std::uint32_t outQueue);

// The settings of a port nobody has configured: 9600 8N1, binary, DTR and RTS on.
Dcb DefaultDcb();

} // namespace platform::rules
