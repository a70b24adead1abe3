// The serial Plug-and-Play identification: DTR and RTS are dropped and raised
// at 1200 baud, 7 data bits, and a device that knows the handshake answers
// with its ID bracketed by "(" and ")" (or by 0x08 and 0x09).
#include "comm/custom_serial_comm.h"

#include "runtime/tick.h"

namespace comm {
namespace {

constexpr std::uint32_t kPauseMs = 200;
constexpr std::uint32_t kByteWaitMs = 200;

// The end marker that belongs to a start marker; 0 for any other first byte.
char EndMarkerOf(char start)
{
    switch (start) {
    case '(': return ')';
    case '\x08': return '\x09';
    default: return 0;
    }
}

} // namespace

std::string TcmCustomSerialComm::GetPNPDeviceString()
{
    const bool wasActive = Active();
    SetActive(true);
    if (!IsOpen())
        return {};
    ClearDeviceBuffers();
    SetStateDTR(true);
    SetStateRTS(false);
    if (!WaitForSignal(msDSR, 200)) {
        RaiseFatalError(1, 0, "Device Connect Initialization Error", false);
        return {};
    }
    ApplyPortConfig();
    const platform::Dcb own = CommCfg.dcb;
    const TTraceStates ownStates = TraceStates();
    platform::Dcb handshake = own;
    handshake.BaudRate = 1200;
    handshake.ByteSize = 7;
    handshake.Parity = platform::NOPARITY;
    handshake.StopBits = platform::ONESTOPBIT;
    WithHandle([&](platform::Handle h) { return platform::SetCommState(h, handshake); });
    SetTraceStates(0);
    std::string id;
    try {
        id = ExchangePnpId();
    } catch (...) {
        RestoreAfterPnp(own, ownStates, wasActive);
        throw;
    }
    RestoreAfterPnp(own, ownStates, wasActive);
    return id;
}

// DTR off, RTS off, 200 ms, DTR on, 200 ms, RTS on: the device powers up and
// answers; a silent one gets the toggle a second time.
std::string TcmCustomSerialComm::ExchangePnpId()
{
    SetStateDTR(false);
    SetStateRTS(false);
    runtime::Sleep(kPauseMs);
    SetStateDTR(true);
    runtime::Sleep(kPauseMs);
    SetStateRTS(true);
    if (!WaitForBytes(1, kByteWaitMs)) {
        SetStateDTR(false);
        SetStateRTS(false);
        runtime::Sleep(kPauseMs);
        SetStateDTR(true);
        SetStateRTS(true);
        if (!WaitForBytes(1, kByteWaitMs))
            return {};
    }
    char c = 0;
    if (Read(&c, 1) != 1)
        return {};
    const char end = EndMarkerOf(c);
    if (end == 0)
        return {};
    std::string id(1, c);
    // As long as bytes keep coming within 200 ms of each other, up to the end marker.
    while (WaitForBytes(1, kByteWaitMs) && Read(&c, 1) == 1) {
        id += c;
        if (c == end)
            break;
    }
    return id;
}

// The port's own settings again, then closed and reopened as it was before.
void TcmCustomSerialComm::RestoreAfterPnp(const platform::Dcb& own, TTraceStates ownStates, bool wasActive)
{
    WithHandle([&](platform::Handle h) { return platform::SetCommState(h, own); });
    SetTraceStates(ownStates);
    SetActive(false);
    SetActive(wasActive);
}

} // namespace comm
