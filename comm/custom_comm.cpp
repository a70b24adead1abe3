#include "comm/custom_comm.h"

#include "comm/comm_threads.h"
#include "comm/data_processor.h"
#include "comm/line_flags.h"
#include "runtime/synchronize.h"
#include "runtime/tick.h"

#include <QPointer>

#include <algorithm>
#include <exception>

namespace comm {
namespace {

using namespace platform;

constexpr std::uint32_t kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr std::uint32_t kAllLineErrors = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;

struct EventTrace {
    std::uint32_t event;
    TTraceState state;
};

// Line events and the trace states that watch and report them.
constexpr EventTrace kEventTraces[] = {
    {EV_RXFLAG, tsRxFlag}, {EV_CTS, tsCTS},     {EV_DSR, tsDSR},           {EV_RLSD, tsRLSD},
    {EV_BREAK, tsBreak},   {EV_ERR, tsErr},     {EV_RING, tsRing},         {EV_RX80FULL, tsRx80Full},
    {EV_EVENT1, tsEvent1}, {EV_EVENT2, tsEvent2},
};

} // namespace

TcmCustomComm::TcmCustomComm(QObject* owner) : TcmBaseIO(owner)
{
    SetUseMainThread(true);
    CommCfg.dwSize = 52;
    CommCfg.dcb.DCBlength = 28;
}

TcmCustomComm::~TcmCustomComm()
{
    Shutdown();
}

// --- line settings ----------------------------------------------------------

void TcmCustomComm::SetBaudRate(std::uint32_t value)
{
    CommCfg.dcb.BaudRate = value;
    ApplyPortConfig();
}

void TcmCustomComm::SetParity(TParity value)
{
    CommCfg.dcb.Parity = value;
    if (value == pNone)
        CommCfg.dcb.Flags &= ~dcb_flags::fParity;
    else
        CommCfg.dcb.Flags |= dcb_flags::fParity;
    ApplyPortConfig();
}

void TcmCustomComm::SetStopBits(TStopBits value)
{
    CommCfg.dcb.StopBits = value;
    ApplyPortConfig();
}

void TcmCustomComm::SetByteSize(std::uint8_t value)
{
    CommCfg.dcb.ByteSize = value >= 4 && value <= 8 ? value : 8;
    ApplyPortConfig();
}

char TcmCustomComm::EventChar() const
{
    return CommCfg.dcb.EvtChar;
}

void TcmCustomComm::SetEventChar(char value)
{
    CommCfg.dcb.EvtChar = value;
    ApplyPortConfig();
}

void TcmCustomComm::SetStreamProtocol(TStreamProtocol value)
{
    fProtocol = value;
    ApplyPortConfig();
}

void TcmCustomComm::SetRS485Mode(bool value)
{
    fRS485Mode.store(value);
    ApplyPortConfig();
    // Switching RTS itself needs EV_TXEMPTY to know when to lower it again.
    ApplyEventMask();
}

void TcmCustomComm::ApplyPortConfig()
{
    Dcb& dcb = CommCfg.dcb;
    dcb.DCBlength = 28;
    dcb.Flags = line_flags::WithFlowControl(dcb.Flags, fProtocol, fRS485Mode.load());
    dcb.XonLim = 80;
    dcb.XoffLim = 200;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    WithHandle([&](Handle h) { return SetCommState(h, dcb); });
}

std::uint32_t TcmCustomComm::EventMask() const
{
    const TTraceStates states = fTraceStates.load();
    std::uint32_t mask = EV_RXCHAR;
    for (const auto& trace : kEventTraces)
        if (Contains(states, trace.state))
            mask |= trace.event;
    if (Contains(states, tsTxEmpty) || Rs485Emulated())
        mask |= EV_TXEMPTY;
    return mask;
}

void TcmCustomComm::SetTraceStates(TTraceStates value)
{
    fTraceStates.store(value);
    ApplyEventMask();
}

void TcmCustomComm::ApplyEventMask()
{
    const std::uint32_t mask = EventMask();
    WithHandle([&](Handle h) { return SetCommMask(h, mask); });
}

void TcmCustomComm::SetBufferInSize(std::uint16_t value)
{
    fBufferInSize = value;
    WithHandle([&](Handle h) { return SetupComm(h, fBufferInSize, fBufferOutSize); });
}

void TcmCustomComm::SetBufferOutSize(std::uint16_t value)
{
    fBufferOutSize = value;
    WithHandle([&](Handle h) { return SetupComm(h, fBufferInSize, fBufferOutSize); });
}

void TcmCustomComm::SetTimeoutRead(std::uint32_t value)
{
    fCommTimeouts.ReadIntervalTimeout = value;
    ApplyTimeouts();
}

void TcmCustomComm::SetTimeoutWrite(std::uint32_t value)
{
    fCommTimeouts.WriteTotalTimeoutConstant = value;
    ApplyTimeouts();
}

void TcmCustomComm::ApplyTimeouts()
{
    WithHandle([&](Handle h) { return SetCommTimeouts(h, fCommTimeouts); });
}

// --- open and close ---------------------------------------------------------

void TcmCustomComm::OpenPort()
{
    ClosePort();
    // Threads left over from a lost connection must be gone before a new
    // handle is installed.
    StopThreads();
    fTotalReceived.store(0);
    fTotalSent.store(0);
    TcmBaseIO::OpenPort();
    if (!IsOpen()) {
        const std::string name = GetPortDisplayName();
        const ErrorCode error = GetLastError();
        fLastErrorString = FormatText("Device \"%s\" Open Error !!!\r%s", {name, SystemErrorText(error)});
        RaiseFatalError(1, 0, fLastErrorString, false);
        return;
    }
    fSession.fetch_add(1);
    AllocReceiveBuffer();
    WriteLogFmt(dlSimple, "The port %s is opened succesfully", {GetPortDisplayName()});
    SetupDevice();
    ApplyEventMask();
    StartThreads();
    NotifyCall(ncPortOpened);
}

void TcmCustomComm::AllocReceiveBuffer()
{
    const std::size_t size = std::max<std::size_t>(fBufferInSize, 8192);
    if (glBuffer.size() != size)
        glBuffer = std::vector<std::uint8_t>(size);
    else
        std::fill(glBuffer.begin(), glBuffer.end(), 0);
}

void TcmCustomComm::SetupDevice()
{
    // RS-485: a driver that toggles RTS itself spares the component the switching.
    if (!SystemTogglesRts())
        fIsNotSupportRS485 = !WithHandle([](Handle h) { return DriverTogglesRts(h); });
    WithHandle([&](Handle h) {
        std::uint32_t errors = 0;
        ComStat stat;
        ClearCommError(h, &errors, &stat);
        SetupComm(h, fBufferInSize, fBufferOutSize);
        return true;
    });
    ApplyTimeouts();
    ApplyPortConfig();
}

void TcmCustomComm::ClosePort()
{
    if (IsOpen()) {
        try {
            DropConnection(true);
            StopThreads();
            // The buffer goes only when no receive step can still be running
            // (a close from inside a handed-over receive event keeps it).
            if (fRetired.empty() && fHandOverDepth.load() == 0)
                glBuffer = {};
            WriteLog(dlSimple, "The port is closed succesfully");
        } catch (...) {
            ReleaseHandle();
        }
    }
    ReportLineState(this, TraceSet(tsTxEmpty));
}

void TcmCustomComm::DropConnection(bool byRequest)
{
    // Only one caller gets the handle: a close request and a loss noticed on
    // the event thread never both release it.
    const Handle h = fHandle.exchange(kInvalidHandle);
    if (h == kInvalidHandle)
        return;
    if (byRequest) {
        std::uint32_t errors = 0;
        ComStat stat;
        if (ClearCommError(h, &errors, &stat) && stat.cbOutQue > 0)
            PurgeComm(h, kPurgeAll);
    }
    CloseDeviceHandle(h);
    RaiseOnClose();
    NotifyCall(ncPortClosed);
    if (KeepConnection() && !byRequest)
        StartKeepConnection();
}

void TcmCustomComm::Shutdown()
{
    if (DataProcessor())
        SetDataProcessor(nullptr);
    if (IsOpen()) {
        try {
            DropConnection(true);
            WriteLog(dlSimple, "The port is closed succesfully");
        } catch (...) {
            ReleaseHandle();
        }
    }
    StopThreads();
    // A retired thread that has not ended is waiting for the caller (the
    // component is destroyed inside its own hand-over, or on that thread):
    // it ends once the caller returns, and is joined then.
    for (auto& thread : fRetired) {
        if (thread->Finished())
            thread->WaitFor();
        else
            runtime::JoinWhenFinished(std::move(thread));
    }
    fRetired.clear();
    OnTraceState = nullptr;
    glBuffer = {};
}

// --- threads ----------------------------------------------------------------

void TcmCustomComm::StartThreads()
{
    StopThreads();
    if (!MsgThread) {
        MsgThread = std::make_unique<TMsgThread>(this);
        MsgThread->Start();
    }
    if (!CommThread) {
        CommThread = std::make_unique<TCommThread>(this, fHandle.load(), MsgThread.get());
        CommThread->Start();
    }
    runtime::Sleep(25);
}

void TcmCustomComm::StopThreads()
{
    if (CommThread) {
        CommThread->RequestEnd();
        if (CommThread->IsCurrent()) {
            RetireThread(std::move(CommThread));
        } else {
            CommThread->WaitFor();
            CommThread.reset();
        }
    }
    if (MsgThread) {
        MsgThread->RequestEnd();
        // From inside its own hand-over the message thread is waiting for us:
        // it ends as soon as the hand-over returns, so it is joined later.
        const bool waitsForUs = fHandOverDepth.load() > 0 && runtime::IsGuiThread();
        if (MsgThread->IsCurrent() || waitsForUs) {
            RetireThread(std::move(MsgThread));
        } else {
            MsgThread->WaitFor();
            MsgThread.reset();
        }
    }
    JoinRetired();
}

void TcmCustomComm::RetireThread(std::unique_ptr<runtime::Thread> thread)
{
    fRetired.push_back(std::move(thread));
}

void TcmCustomComm::JoinRetired()
{
    std::erase_if(fRetired, [](const std::unique_ptr<runtime::Thread>& t) {
        if (!t->Finished() || t->IsCurrent())
            return false;
        t->WaitFor();
        return true;
    });
}

void TcmCustomComm::KeepConnectionTick()
{
    WriteLog(dlDetail, "Try to keep connection ...");
    StopKeepConnection();
}

// --- receiving --------------------------------------------------------------

void TcmCustomComm::ProcessCommEvent(const runtime::ThreadMessage& message)
{
    if (message.message != cmCommMsgComEvent)
        return;
    const auto mask = static_cast<std::uint32_t>(message.wParam);
    const std::uint32_t session = fSession.load();
    try {
        std::uint32_t errors = 0;
        if (!WithHandle([&](Handle h) { return ClearCommError(h, &errors, &Stat); }))
            return;
        if (errors == kAllLineErrors) {
            DropConnection(false);
            return;
        }
        if (errors != 0) {
            DoCommError(errors, 0, Stat.Flags);
            return;
        }
        // Handlers may destroy the component: once it is gone, nothing here
        // touches it again.
        const QPointer<TcmCustomComm> alive(this);
        if ((mask & EV_RXCHAR) && Stat.cbInQue > 0)
            ReceiveQueued(session, alive);
        if (!alive)
            return;
        if (mask & EV_TXEMPTY)
            HandleTxEmpty();
        if (!alive)
            return;
        TTraceStates states = 0;
        for (const auto& trace : kEventTraces)
            if (mask & trace.event)
                states |= TraceSet(trace.state);
        if (states != 0)
            ReportLineState(this, states);
    } catch (const std::exception& e) {
        RaiseFatalError(1, GetLastError(), e.what(), true);
    } catch (...) {
        RaiseFatalError(1, GetLastError(), "Unknown error", true);
    }
}

void TcmCustomComm::ReceiveQueued(std::uint32_t session, const QPointer<TcmCustomComm>& alive)
{
    const bool read = Contains(fTraceStates.load(), tsRxChar) || HasReceivers();
    fTotalReceived.fetch_add(Stat.cbInQue);
    if (!read)
        return;
    do {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(Stat.cbInQue, glBuffer.size()));
        std::uint32_t got = 0;
        if (n == 0 || !WithHandle([&](Handle h) { return ReadWait(h, glBuffer.data(), n, &got); }) || got == 0)
            return;
        DoDataReceived(glBuffer.data(), got);
        // A handler may have closed (and even reopened) the port meanwhile, or destroyed it.
        if (!alive || fSession.load() != session)
            return;
        std::uint32_t errors = 0;
        if (!WithHandle([&](Handle h) { return ClearCommError(h, &errors, &Stat); }))
            return;
    } while (Stat.cbInQue > 0);
}

void TcmCustomComm::HandleTxEmpty()
{
    if (Rs485Emulated())
        SetRts(false);
    const bool ignore = SendCompleteIgnored();
    if (Contains(fTraceStates.load(), tsTxEmpty) && !ignore && OnAfterSend)
        OnAfterSend(this);
}

// --- sending ----------------------------------------------------------------

void TcmCustomComm::BeginSend()
{
    fSendsBegun.fetch_add(1);
    if (Rs485Emulated())
        SetRts(true);
}

void TcmCustomComm::SendString(const std::string& s)
{
    if (!IsOpen() || s.empty())
        return;
    WriteLogFmt(dlDebug, "Try to send string %s ...", {s});
    BeginSend();
    const std::string copy = s;
    const auto count = static_cast<std::uint32_t>(copy.size());
    std::uint32_t written = 0;
    if (WithHandle([&](Handle h) { return WriteWait(h, copy.data(), count, &written); }))
        fTotalSent.fetch_add(count);
    else
        SendFailed();
}

void TcmCustomComm::SendChar(char ch)
{
    if (!IsOpen())
        return;
    const auto byte = static_cast<std::uint8_t>(ch);
    WriteLogFmt(dlDebug, "Try to send char %2Xh ...", {byte});
    BeginSend();
    std::uint32_t written = 0;
    if (WithHandle([&](Handle h) { return WriteWait(h, &byte, 1, &written); }))
        fTotalSent.fetch_add(1);
    else
        SendFailed();
}

void TcmCustomComm::SendData(const void* buff, std::uint32_t n)
{
    if (!IsOpen())
        return;
    WriteLogFmt(dlDebug, "Try to send the data with %d length ...", {n});
    BeginSend();
    // The platform copies the bytes, so the caller's buffer is free at once.
    if (WithHandle([&](Handle h) { return WriteNoWait(h, buff, n); })) {
        fTotalSent.fetch_add(n);
        WriteLog(dlDebug, "... the data transmittion is OK!");
    } else {
        SendFailed();
    }
}

void TcmCustomComm::SendFailed()
{
    const std::uint32_t error = GetLastError();
    // The handle is gone only when the port was closed: the write found the
    // port closed, as if it had come a moment later, and there is no error.
    if (error == platform::kErrorInvalidHandle)
        return;
    DoCommError(0, error, 0);
}

void TcmCustomComm::DoCommError(std::uint32_t commCode, std::uint32_t sysError, TComStateFlags state)
{
    if (Rs485Emulated())
        SetRts(false);
    bool flFlashBuffers = false;
    WriteLogFmt(dlDetail, "Communication Error %d:%d %X", {commCode, sysError, state});
    if (OnCommError)
        OnCommError(this, commCode, sysError, state, flFlashBuffers);
    if (flFlashBuffers)
        ClearDeviceBuffers();
}

} // namespace comm
