#include "comm/stream_gathering.h"

namespace comm {

bool StreamGathering::ShouldWait(bool arrival, std::uint32_t sendsBegun, std::uint32_t bytesReceived,
                                 Clock::time_point now)
{
    const bool quiet = sendsBegun == fSendsAtLastPost;
    NoteRate(bytesReceived, now);
    const bool streaming = arrival && quiet && fLastPostQuiet && !fFastStream && now - fLastPost < 2 * kWait;
    fSendsAtLastPost = sendsBegun;
    fLastPostQuiet = quiet;
    return streaming;
}

// The bytes received per millisecond, measured over at least one.
void StreamGathering::NoteRate(std::uint32_t bytesReceived, Clock::time_point now)
{
    using std::chrono::milliseconds;
    const auto elapsed = std::chrono::duration_cast<milliseconds>(now - fRateSince).count();
    if (elapsed < 1)
        return;
    fFastStream = bytesReceived - fReceivedAtRateSince >= std::uint64_t{kFastBytesPerMs} * std::uint64_t(elapsed);
    fRateSince = now;
    fReceivedAtRateSince = bytesReceived;
}

} // namespace comm
