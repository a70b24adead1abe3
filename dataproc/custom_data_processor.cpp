#include "dataproc/custom_data_processor.h"

#include "comm/timer.h"
#include "platform/serial.h"
#include "runtime/error.h"
#include "runtime/message_box.h"
#include "runtime/post.h"

#include <QThread>

namespace dataproc {

TcmCustomDataProcessor::TcmCustomDataProcessor(QObject* owner)
    : comm::TcmCustomDataProcessor(owner), fTimerAsync(std::make_unique<comm::TcmTimer>())
{
    fNotifyEntry = comm::MakeNotifyEvent(this, &TcmCustomDataProcessor::DeviceNotify);
    const auto self = reinterpret_cast<std::uintptr_t>(this);
    fNotifyEntry.routine.append(reinterpret_cast<const char*>(&self), sizeof self);

    fTimerAsync->SetEnabled(false);
    fTimerAsync->SetOnTimer([this](comm::TcmTimer* timer) {
        try {
            DoAsyncTimeout(timer);
        } catch (const std::exception& e) {
            // Nobody up the stack could take it: the timer runs from the event loop.
            runtime::ShowErrorReport(e.what());
        }
    });
}

TcmCustomDataProcessor::~TcmCustomDataProcessor()
{
    // Only this processor leaves the port: the rest of its chain may be attached on its own.
    Detach();
    fTimerAsync.reset();
}

void TcmCustomDataProcessor::SetActive(bool value)
{
    fActive.store(value);
}

// --- attaching and chaining -------------------------------------------------

void TcmCustomDataProcessor::SetDevice(comm::TcmBaseIO* io)
{
    if (!io || io != fDevice.data())
        Detach();
    fDevice = io;
    if (io) {
        FreeNotification(io);
        io->NotifyAdd(fNotifyEntry);
    }
    // The chain follows its head, so a chain built before the head was
    // attached still hears the port open.
    if (auto* next = DataProcessor())
        next->SetDevice(io);
}

void TcmCustomDataProcessor::Detach()
{
    if (comm::TcmBaseIO* old = fDevice.data()) {
        old->NotifyDelete(fNotifyEntry);
        RemoveFreeNotification(old);
    }
    fDevice = nullptr;
}

bool TcmCustomDataProcessor::ChainLeadsTo(const TcmCustomDataProcessor* target) const
{
    // Chains never loop (every link is checked here), so this walk ends.
    for (const TcmCustomDataProcessor* p = this; p; p = p->DataProcessor())
        if (p == target)
            return true;
    return false;
}

void TcmCustomDataProcessor::SetDataProcessor(TcmCustomDataProcessor* value)
{
    if (value && value->ChainLeadsTo(this))
        return;
    if (auto* old = DataProcessor(); old && old != value)
        RemoveFreeNotification(old);
    fDataProcessor = value;
    if (value) {
        FreeNotification(value);
        value->SetDevice(Device());
    }
}

void TcmCustomDataProcessor::SetLog(comm::TcmCustomLogFile* value)
{
    fLog = value;
    if (value)
        FreeNotification(value);
}

void TcmCustomDataProcessor::Notification(QObject* component, runtime::Operation operation)
{
    comm::TcmCustomDataProcessor::Notification(component, operation);
    if (operation != runtime::Operation::opRemove)
        return;
    // The object is gone already: only the links are dropped (a port's
    // notify list went with it).
    if (component == static_cast<QObject*>(fDataProcessor.data()))
        fDataProcessor = nullptr;
    if (component == static_cast<QObject*>(fDevice.data()))
        fDevice = nullptr;
    if (component == static_cast<QObject*>(fLog.data()))
        fLog = nullptr;
}

// --- notices from the port --------------------------------------------------

bool TcmCustomDataProcessor::OnOwnThread() const
{
    return QThread::currentThread() == thread();
}

void TcmCustomDataProcessor::DeviceNotify(QObject* sender, std::int32_t code)
{
    if (code != kNotifyPortClosed && code != kNotifyPortOpened)
        return;
    if (!OnOwnThread()) {
        // A lost connection is noticed on the port's event thread; the
        // processor's state and timer belong to its own thread.
        QPointer<QObject> from(sender);
        runtime::PostCall(this, [this, from, code] { DeviceNotify(from.data(), code); });
        return;
    }
    if (code == kNotifyPortClosed)
        DoMediumClosed();
    else
        DoMediumOpened();
}

void TcmCustomDataProcessor::DoMediumClosed()
{
    WriteLog(comm::dlDebug, "Medium Closed");
}

void TcmCustomDataProcessor::DoMediumOpened()
{
    WriteLog(comm::dlDebug, "Medium Opened");
}

// --- received data ----------------------------------------------------------

void TcmCustomDataProcessor::DoProcessing(const std::uint8_t* data, std::uint32_t len, TIgnoreTypes& r)
{
    if (auto* next = DataProcessor())
        next->DoProcessing(data, len, r);
}

void TcmCustomDataProcessor::DataReceive(const std::uint8_t* ptrBuffer, std::uint32_t len)
{
    TIgnoreTypes r = 0;
    DoProcessing(ptrBuffer, len, r);
}

void TcmCustomDataProcessor::DoAfterSendComplete(bool&) {}

// --- sending ------------------------------------------------------------------

void TcmCustomDataProcessor::DoDataSend(const void* buffer, std::uint32_t length)
{
    if (!buffer || length == 0)
        return;
    try {
        bool flHandled = false;
        if (OnDataSend)
            OnDataSend(this, static_cast<const std::uint8_t*>(buffer), length, false, flHandled);
        if (flHandled) {
            RestartAsyncTimer();
        } else {
            comm::TcmBaseIO* io = Device();
            if (!io)
                return;  // nowhere to send: nothing happened, nothing to log
            io->SendData(buffer, length);
            platform::FlushFileBuffers(io->DeviceHandle());
        }
        WriteLogFmt(comm::dlDebug, "DoDataSend: %u bytes", {length});
    } catch (...) {
        // Sending through a processor never fails its caller.
    }
}

void TcmCustomDataProcessor::DoDataSend(const std::string& text)
{
    if (text.empty())
        return;
    try {
        bool flHandled = false;
        if (OnDataSend)
            OnDataSend(this, reinterpret_cast<const std::uint8_t*>(text.data()),
                       static_cast<std::uint32_t>(text.size()), true, flHandled);
        if (!flHandled)
            if (comm::TcmBaseIO* io = Device())
                io->SendString(text);
    } catch (...) {
        // As above.
    }
}

// --- the timer ------------------------------------------------------------------

void TcmCustomDataProcessor::DoAsyncTimeout(QObject*)
{
    StartAsyncTimer(0);
    bool flIgnore = false;
    DoAfterSendComplete(flIgnore);
}

void TcmCustomDataProcessor::StartAsyncTimer(std::uint32_t milliseconds)
{
    // Stopping an idle timer is the common case (once per packet): keep it free.
    if (milliseconds == 0 && !fTimerArmed.load())
        return;
    RunTimerCommand(milliseconds, false);
}

void TcmCustomDataProcessor::RestartAsyncTimer()
{
    RunTimerCommand(0, true);
}

void TcmCustomDataProcessor::RunTimerCommand(std::uint32_t milliseconds, bool restart)
{
    if (!OnOwnThread()) {
        runtime::PostCall(this, [this, milliseconds, restart] { RunTimerCommand(milliseconds, restart); });
        return;
    }
    fTimerAsync->SetEnabled(false);
    if (!restart && milliseconds != 0)
        fTimerAsync->SetInterval(milliseconds);
    const bool start = restart || milliseconds != 0;
    fTimerArmed.store(start);
    if (start)
        fTimerAsync->SetEnabled(true);
}

bool TcmCustomDataProcessor::AsyncTimerRunning() const
{
    return fTimerAsync->IsRunning();
}

std::uint32_t TcmCustomDataProcessor::AsyncTimerInterval() const
{
    return fTimerAsync->Interval();
}

// --- failures and the log ----------------------------------------------------

void TcmCustomDataProcessor::DoFatalErrors(std::uint32_t code, std::uint32_t detail, const std::string& msg)
{
    bool raiseException = true;
    if (OnFatalError)
        OnFatalError(this, code, detail, msg, raiseException);
    if (comm::TcmCustomLogFile* log = Log())
        log->AddLogFmt(comm::dlSimple, "Fatal Error: %u, %u, %s", {code, detail, msg});
    if (raiseException)
        throw runtime::Error(msg);
}

void TcmCustomDataProcessor::WriteLog(TDetailLevel level, const std::string& text)
{
    if (comm::TcmCustomLogFile* log = Log())
        log->AddLog(level, sLogPrefix + text);
}

void TcmCustomDataProcessor::WriteLogFmt(TDetailLevel level, const std::string& format, const comm::FormatArgs& args)
{
    if (comm::TcmCustomLogFile* log = Log())
        log->AddLogFmt(level, sLogPrefix + format, args);
}

} // namespace dataproc
