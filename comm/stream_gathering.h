#pragma once
// Whether an event the driver reports waits a moment before the event thread
// posts it, so that one hand-over carries what arrives meanwhile. Every post
// costs a wake-up of the event thread, the message thread and (with
// UseMainThread) the GUI thread.
//
// While a stream runs - the last post was moments ago, and neither it nor
// this arrival followed a send, so no reply is awaited - an arrival waits
// kWait first. A reply to what was sent is posted at once (so is a second
// report of bytes not yet read, which comes just after a reply's own), and so
// is a fast stream's arrival.

#include <chrono>
#include <cstdint>

namespace comm {

class StreamGathering {
public:
    using Clock = std::chrono::steady_clock;
    // Short against any pause a protocol times and against a reply's latency,
    // long against a USB packet's 64 bytes at 1 MB/s.
    static constexpr std::chrono::milliseconds kWait{1};
    // A stream of this many bytes per millisecond fills its hand-overs by
    // itself (no serial line is that fast); waiting could only let the
    // driver's input queue run full.
    static constexpr std::uint32_t kFastBytesPerMs = 2048;

    // An event reported at `now` (an arrival or another line event), with
    // the port's count of sends begun and bytes received then: whether it
    // waits kWait before it is posted.
    bool ShouldWait(bool arrival, std::uint32_t sendsBegun, std::uint32_t bytesReceived, Clock::time_point now);
    // The event was posted at `at`.
    void Posted(Clock::time_point at) { fLastPost = at; }

private:
    void NoteRate(std::uint32_t bytesReceived, Clock::time_point now);

    Clock::time_point fLastPost{};
    std::uint32_t fSendsAtLastPost = 0;
    bool fLastPostQuiet = false;  // nothing was sent between it and the post before
    Clock::time_point fRateSince{};
    std::uint32_t fReceivedAtRateSince = 0;
    bool fFastStream = false;
};

} // namespace comm
