#pragma once
// Enumerations and event types shared by the comm library's components.

#include "discovery/enum/enum_ports.h"

#include <cstdint>
#include <functional>
#include <string>

class QObject;

namespace comm {

class TcmBaseIO;

enum TParity : std::uint8_t { pNone, pOdd, pEven, pMark, pSpace };
enum TStopBits : std::uint8_t { sbOne, sbOneAndHalf, sbTwo };
enum TComPort : std::uint8_t { cpCOM1, cpCOM2, cpCOM3, cpCOM4, cpCOM5, cpCOM6, cpCOM7, cpCOM8, cpCOMxx };

enum TTraceState : std::uint8_t {
    tsRxChar, tsRxFlag, tsTxEmpty, tsCTS, tsDSR, tsRLSD, tsBreak, tsErr, tsRing, tsRx80Full, tsEvent1, tsEvent2
};
// A set of TTraceState: bit n stands for ordinal n.
using TTraceStates = std::uint16_t;
constexpr TTraceStates TraceSet(TTraceState s) { return static_cast<TTraceStates>(1u << s); }
template <class... S>
constexpr TTraceStates TraceSet(TTraceState first, S... rest)
{
    return static_cast<TTraceStates>(TraceSet(first) | TraceSet(rest...));
}
constexpr bool Contains(TTraceStates set, TTraceState s) { return (set & TraceSet(s)) != 0; }

enum TModemSignal : std::uint8_t { msCTS, msDSR, msRing, msRLSD };
// A set of TModemSignal: bit n stands for ordinal n.
using TModemSignals = std::uint8_t;
constexpr TModemSignals SignalSet(TModemSignal s) { return static_cast<TModemSignals>(1u << s); }
constexpr bool Contains(TModemSignals set, TModemSignal s) { return (set & SignalSet(s)) != 0; }

enum TStreamProtocol : std::uint8_t { spNone, spXonXoff, spHardware };
using discovery::TcmEnumPorts;
using discovery::epQuickAll;
using discovery::epFullInfo;
using discovery::epFullPresent;
enum TTerminalUsage : std::uint8_t { tuNone, tuSend, tuReceive, tuBoth };
enum TDetailLevel : std::uint8_t { dlSimple, dlDetail, dlDebug };

// COMSTAT hold flags (platform::comstat_flags bits).
using TComStateFlags = std::uint32_t;

// What the port skips for the chunk a data processor has just seen.
enum TIgnoreType : std::uint8_t { itTerminal, itEventList, itAfterReceive, itTraceState };
using TIgnoreTypes = std::uint8_t;
constexpr bool Contains(TIgnoreTypes set, TIgnoreType t) { return (set & (1u << t)) != 0; }

using TNotifyEvent = std::function<void(QObject* sender)>;
using TOnReceived = std::function<void(TcmBaseIO* com, const std::uint8_t* buffer, std::uint32_t received)>;
using TOnSent = std::function<void(TcmBaseIO* com)>;
using TOnTraceEvent = std::function<void(TcmBaseIO* com, TTraceStates event)>;
using TOnCommErrorEvent = std::function<void(TcmBaseIO* com, std::uint32_t commCode, std::uint32_t sysError,
                                             TComStateFlags state, bool& flFlashBuffers)>;
using TOnFatalErrorEvent = std::function<void(QObject* sender, std::uint32_t errorCode, std::uint32_t detail,
                                              const std::string& errorMsg, bool& raiseException)>;

} // namespace comm
