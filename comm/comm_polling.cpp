// The polling side of the port: reading what the driver has queued and
// waiting a bounded time for bytes.
#include "comm/custom_comm.h"

#include "comm/tick_deadline.h"
#include "runtime/pump.h"
#include "runtime/synchronize.h"
#include "runtime/tick.h"

#include <algorithm>

namespace comm {

using namespace platform;

std::uint32_t TcmCustomComm::Read(void* buffer, std::uint32_t len)
{
    std::uint32_t got = 0;
    // No open check: on a closed port the platform's read fails, quietly.
    ReadWait(fHandle.load(), buffer, len, &got);
    return got;
}

std::uint32_t TcmCustomComm::ReadAll(void* buffer)
{
    return Read(buffer, InQueueCount());
}

std::uint32_t TcmCustomComm::ReadMax(void* buffer, std::int32_t maxLen)
{
    const auto n = std::min<std::uint32_t>(static_cast<std::uint32_t>(std::max(maxLen, 0)), InQueueCount());
    return n == 0 ? 0 : Read(buffer, n);
}

std::string TcmCustomComm::ReadString()
{
    std::string text(InQueueCount(), '\0');
    if (text.empty())
        return text;
    // A text never holds bytes that were not read.
    text.resize(Read(text.data(), static_cast<std::uint32_t>(text.size())));
    return text;
}

std::uint32_t TcmCustomComm::InQueueCount() const
{
    ComStat stat;
    std::uint32_t errors = 0;
    return WithHandle([&](Handle h) { return ClearCommError(h, &errors, &stat); }) ? stat.cbInQue : 0;
}

std::uint32_t TcmCustomComm::OutQueueCount() const
{
    ComStat stat;
    std::uint32_t errors = 0;
    return WithHandle([&](Handle h) { return ClearCommError(h, &errors, &stat); }) ? stat.cbOutQue : 0;
}

void TcmCustomComm::PauseAndPump()
{
    runtime::Sleep(5);
    if (runtime::HasApplication() && runtime::IsGuiThread())
        runtime::ProcessMessages();
}

bool TcmCustomComm::WaitForBytes(std::uint32_t count, std::uint32_t ms)
{
    if (!IsOpen())
        return false;
    // The automatic reading must not take the bytes away meanwhile.
    const TTraceStates saved = TraceStates();
    SetTraceStates(static_cast<TTraceStates>(saved & ~TraceSet(tsRxChar)));
    const TickDeadline deadline(ms);
    bool enough = false;
    while (!deadline.Passed() && IsOpen()) {
        if (InQueueCount() >= count) {
            enough = true;
            break;
        }
        PauseAndPump();
    }
    SetTraceStates(saved);
    return enough;
}

bool TcmCustomComm::WaitForSignal(TModemSignal signal, std::uint32_t ms)
{
    if (!IsOpen())
        return false;
    const TickDeadline deadline(ms);
    do {
        // Looked at before the deadline, so 0 ms still finds a signal that is on.
        if (Contains(ModemSignals(), signal))
            return true;
        PauseAndPump();
        if (deadline.Passed())
            return false;
    } while (IsOpen());
    return false;
}

} // namespace comm
