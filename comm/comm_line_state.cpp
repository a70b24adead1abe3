// Direct control of the line: the priority character, DTR, RTS, XON/XOFF and
// break, the modem lines and the monitor controls that show them, purging
// and flushing the driver's queues, the driver's properties.
#include "comm/custom_comm.h"

#include "comm/monitor_control.h"
#include "runtime/post.h"

#include <QMetaObject>
#include <QThread>

namespace comm {

using namespace platform;

namespace {

constexpr std::uint32_t kPurgeInput = PURGE_RXABORT | PURGE_RXCLEAR;
constexpr std::uint32_t kPurgeOutput = PURGE_TXABORT | PURGE_TXCLEAR;

struct SignalBit {
    std::uint32_t status;
    TModemSignal signal;
};
constexpr SignalBit kSignalBits[] = {
    {MS_CTS_ON, msCTS}, {MS_DSR_ON, msDSR}, {MS_RING_ON, msRing}, {MS_RLSD_ON, msRLSD}};

} // namespace

void TcmCustomComm::SendAheadChar(char ch)
{
    if (!IsOpen())
        return;
    BeginSend();
    if (WithHandle([&](Handle h) { return TransmitCommChar(h, ch); }))
        fTotalSent.fetch_add(1);
    else
        SendFailed();
}

void TcmCustomComm::SetStateDTR(bool state)
{
    if (!IsOpen())
        return;
    WithHandle([&](Handle h) { return EscapeCommFunction(h, state ? SETDTR : CLRDTR); });
    ReportLineState(this, TraceSet(tsDSR));
}

void TcmCustomComm::SetStateRTS(bool state)
{
    if (!IsOpen())
        return;
    WithHandle([&](Handle h) { return EscapeCommFunction(h, state ? SETRTS : CLRRTS); });
    ReportLineState(this, TraceSet(tsCTS));
}

void TcmCustomComm::SetStateX(bool state)
{
    WithHandle([&](Handle h) { return EscapeCommFunction(h, state ? SETXON : SETXOFF); });
}

void TcmCustomComm::SetStateBreak(bool state)
{
    WithHandle([&](Handle h) { return EscapeCommFunction(h, state ? SETBREAK : CLRBREAK); });
}

TModemSignals TcmCustomComm::ModemSignals() const
{
    std::uint32_t status = 0;
    if (!WithHandle([&](Handle h) { return GetCommModemStatus(h, status); }))
        return 0;
    TModemSignals lines = 0;
    for (const auto& bit : kSignalBits)
        if (status & bit.status)
            lines |= SignalSet(bit.signal);
    return lines;
}

void TcmCustomComm::ClearDeviceInput()
{
    WithHandle([](Handle h) { return PurgeComm(h, kPurgeInput); });
}

void TcmCustomComm::ClearDeviceOutput()
{
    if (!IsOpen())
        return;
    WithHandle([](Handle h) { return PurgeComm(h, kPurgeOutput); });
    if (Rs485Emulated())
        SetRts(false);
}

void TcmCustomComm::ClearDeviceBuffers()
{
    if (!IsOpen())
        return;
    WithHandle([](Handle h) {
        PurgeComm(h, kPurgeInput | kPurgeOutput);
        return CancelIo(h);
    });
    if (Rs485Emulated())
        SetRts(false);
}

void TcmCustomComm::FlushOutputBuffer()
{
    WithHandle([](Handle h) { return FlushFileBuffers(h); });
}

const CommProp& TcmCustomComm::PortProperties()
{
    WithHandle([&](Handle h) { return GetCommProperties(h, ComProp); });
    return ComProp;
}

void TcmCustomComm::SetRts(bool on)
{
    WithHandle([&](Handle h) { return EscapeCommFunction(h, on ? SETRTS : CLRRTS); });
}

// --- the line state on the monitor controls ------------------------------------

void TcmCustomComm::ReportLineState(QObject* sender, TTraceStates states)
{
    const TModemSignals lines = ModemSignals();
    if (QThread::currentThread() == thread()) {
        UpdateMonitors(lines, states);
    } else {
        // The controls belong to the component's thread: a report from a
        // port thread reaches them there (and not at all once the component is gone).
        runtime::PostCall(this, [this, lines, states] { UpdateMonitors(lines, states); });
    }
    if (OnTraceState) {
        auto* com = qobject_cast<TcmBaseIO*>(sender);
        OnTraceState(com ? com : this, states);
    }
}

void TcmCustomComm::UpdateMonitors(TModemSignals lines, TTraceStates states)
{
    if (fMonitorCTS)
        SetMonitorChecked(fMonitorCTS, Contains(lines, msCTS));
    if (fMonitorDSR)
        SetMonitorChecked(fMonitorDSR, Contains(lines, msDSR));
    if (fMonitorRLSD)
        SetMonitorChecked(fMonitorRLSD, Contains(lines, msRLSD));
    // Nothing ever clears the ring monitor: a ring is shown until someone looks.
    if (Contains(states, tsRing) && fMonitorRing)
        SetMonitorChecked(fMonitorRing, true);
}

} // namespace comm
