#include "comm/base_io.h"

#include "comm/data_processor.h"
#include "comm/log_file.h"
#include "comm/thread_io.h"
#include "comm/timer.h"
#include "runtime/error.h"
#include "runtime/message_box.h"
#include "runtime/post.h"
#include "runtime/synchronize.h"

#include <QApplication>
#include <QCoreApplication>

namespace comm {

void TcmThreadIO::Execute()
{
    try {
        fcmComm->ThreadBody(this);
    } catch (...) {
        // The worker's errors end its body, never the process.
    }
}

TcmBaseIO::TcmBaseIO(QObject* owner) : runtime::Component(owner), sLogPrefix("TcmBaseIO") {}

TcmBaseIO::~TcmBaseIO()
{
    StopThreads();
    if (timerKeepConnection)
        timerKeepConnection->SetEnabled(false);
    timerKeepConnection.reset();
    DeviceListClear();
}

// --- activity -------------------------------------------------------------

bool TcmBaseIO::Active() const
{
    if (IsDesigning() || IsLoading())
        return fActive;
    return IsOpen();
}

void TcmBaseIO::SetActive(bool value)
{
    if (IsLoading()) {
        fActive = value;
        return;
    }
    if (value != Active() || IsDesigning()) {
        if (value)
            OpenPort();
        else
            ClosePort();
    }
    if (IsDesigning()) {
        fActive = IsOpen();
        if (fActive)
            ClosePort();
    }
}

void TcmBaseIO::Loaded()
{
    runtime::Component::Loaded();
    try {
        SetTerminal(Terminal());
        SetTerminalUsage(TerminalUsage());
        SetActive(fActive);
    } catch (...) {
        runtime::ShowMessageBox("error", "Error", runtime::BoxIcon::Error, QApplication::activeWindow());
    }
}

// --- links ----------------------------------------------------------------

void TcmBaseIO::SetDataProcessor(TcmCustomDataProcessor* value)
{
    TcmCustomDataProcessor* current = fDataProcessor.load();
    if (!value && current)
        current->SetDevice(nullptr);
    fDataProcessor.store(value);
    if (value) {
        value->SetDevice(this);
        FreeNotification(value);
    }
}

void TcmBaseIO::SetLog(TcmCustomLogFile* value)
{
    fLog.store(value);
    if (value)
        FreeNotification(value);
}

void TcmBaseIO::Notification(QObject* component, runtime::Operation operation)
{
    runtime::Component::Notification(component, operation);
    if (operation != runtime::Operation::opRemove)
        return;
    // The removed object has already run its own destructor (a processor
    // detaches itself there), so only the link is cleared here.
    if (component == static_cast<QObject*>(fDataProcessor.load()))
        fDataProcessor.store(nullptr);
    else if (component == static_cast<QObject*>(fTerminal.load()))
        fTerminal.store(nullptr);
    else if (component == static_cast<QObject*>(fLog.load()))
        fLog.store(nullptr);
}

// --- notify list ----------------------------------------------------------

void TcmBaseIO::NotifyAdd(const TcmNotifyEvent& event)
{
    if (cmNotifyList.IndexOf(event) < 0)
        cmNotifyList.Add(event);
}

void TcmBaseIO::NotifyDelete(const TcmNotifyEvent& event)
{
    const int index = cmNotifyList.IndexOf(event);
    if (index >= 0)
        cmNotifyList.Delete(index);
}

void TcmBaseIO::NotifyCall(std::int32_t code)
{
    cmNotifyList.Call(this, code);
}

void TcmBaseIO::Update()
{
    NotifyCall(ncPortChanged);
}

// --- abstract operations --------------------------------------------------

void TcmBaseIO::SendChar(char) { throw runtime::AbstractError(); }
void TcmBaseIO::SendString(const std::string&) { throw runtime::AbstractError(); }
void TcmBaseIO::SendData(const void*, std::uint32_t) { throw runtime::AbstractError(); }
void TcmBaseIO::ClearDeviceInput() { throw runtime::AbstractError(); }
void TcmBaseIO::ClearDeviceOutput() { throw runtime::AbstractError(); }
void TcmBaseIO::ClearDeviceBuffers() { throw runtime::AbstractError(); }

// --- device list hooks ----------------------------------------------------

void TcmBaseIO::SetDeviceIndex(int)
{
    NotifyCall(ncPortChanged);
}

int TcmBaseIO::DeviceAdd(std::unique_ptr<discovery::TcmDevice> device)
{
    return slDevices.Add(std::move(device));
}

int TcmBaseIO::DeviceInsert(std::unique_ptr<discovery::TcmDevice> device)
{
    return slDevices.Insert(std::move(device));
}

void TcmBaseIO::DeviceListClear()
{
    slDevices.Clear();
}

void TcmBaseIO::GetDeviceList(discovery::TcmDeviceEntries* target)
{
    if (slDevices.Count() == 0)
        DeviceListLoad();
    if (target)
        slDevices.CopyTo(*target);
}

void TcmBaseIO::DeviceListLoad()
{
    throw runtime::AbstractError();
}

std::string TcmBaseIO::DevicePortName(int index) const
{
    const discovery::TcmDevice* device = Device(index);
    return device ? device->PortName() : std::string();
}

bool TcmBaseIO::WMDeviceChange(discovery::TWMDeviceChange& message)
{
    if (!discovery::IsPortChange(message))
        return false;
    Update();
    return true;
}

// --- open and close -------------------------------------------------------

void TcmBaseIO::CloseDeviceHandle(platform::Handle h)
{
    platform::CloseHandle(h);
}

bool TcmBaseIO::HasReceivers() const
{
    return fTerminal.load() != nullptr || OnAfterReceive || fDataProcessor.load() != nullptr;
}

void TcmBaseIO::OpenPort()
{
    fHandle.store(OpenDeviceHandle());
    if (!IsOpen())
        return;
    if (OnOpen) {
        try {
            OnOpen(this);
        } catch (...) {
        }
    }
    if (isThreaded)
        StartThreads();
}

void TcmBaseIO::ClosePort()
{
    ReleaseHandle();
    if (isThreaded)
        StopThreads();
}

bool TcmBaseIO::ReleaseHandle()
{
    const platform::Handle h = fHandle.exchange(platform::kInvalidHandle);
    if (h == platform::kInvalidHandle)
        return false;
    CloseDeviceHandle(h);
    RaiseOnClose();
    return true;
}

void TcmBaseIO::RaiseOnClose()
{
    if (!OnClose)
        return;
    try {
        OnClose(this);
    } catch (...) {
    }
}

// --- worker thread ----------------------------------------------------------

void TcmBaseIO::StartThreads()
{
    IsThreadIOTerminated.store(false);
    fThreadIO = std::make_unique<TcmThreadIO>(this);
    fThreadIO->Start();
}

void TcmBaseIO::StopThreads()
{
    if (IsThreadIOTerminated.exchange(true))
        return;
    if (fThreadIO) {
        fThreadIO->Terminate();
        fThreadIO->WaitFor();
        fThreadIO.reset();
    }
}

void TcmBaseIO::ThreadBody(TcmThreadIO*) {}

// --- receive dispatch -----------------------------------------------------

bool TcmBaseIO::HandOverToGui(const std::uint8_t* buffer, std::uint32_t len)
{
    TcmThreadIO* worker = fThreadIO.get();
    if (!worker || !UseMainThread() || !worker->IsCurrent() || !runtime::HasApplication())
        return false;
    threadData = buffer;
    threadDataSize = len;
    runtime::Synchronize([this, worker] {
        // A hand-over that runs after its thread was asked to end does nothing.
        if (!worker->Terminated())
            DoDataReceived(threadData, threadDataSize);
    });
    return true;
}

void TcmBaseIO::DoDataReceived(const std::uint8_t* buffer, std::uint32_t len)
{
    if (HandOverToGui(buffer, len))
        return;
    if (fLog.load())  // no text is built per chunk without a log
        WriteLog(dlDebug, "Input data length: " + std::to_string(len));
    TIgnoreTypes ignore = 0;
    if (auto* processor = fDataProcessor.load())
        processor->DoProcessing(buffer, len, ignore);
    if (fTerminal.load() && !Contains(ignore, itTerminal))
        WriteToTerminal(buffer, len);
    if (OnAfterReceive)
        OnAfterReceive(this, buffer, len);
}

bool TcmBaseIO::SendCompleteIgnored()
{
    auto* processor = fDataProcessor.load();
    if (!processor)
        return false;
    bool flIgnore = false;
    processor->DoAfterSendComplete(flIgnore);
    return flIgnore;
}

// --- fatal errors and log -------------------------------------------------

void TcmBaseIO::RaiseFatalError(std::uint32_t code, std::uint32_t detail, const std::string& msg, bool showOnly)
{
    bool raiseException = true;
    if (OnFatalError)
        OnFatalError(this, code, detail, msg, raiseException);
    if (auto* log = fLog.load())
        log->AddLogFmt(dlSimple, "Fatal Error: %u, %u, %s", {code, detail, msg});
    if (!raiseException || IsLoading())
        return;
    if (!showOnly)
        throw runtime::Error(msg);
    if (runtime::IsGuiThread() || !runtime::HasApplication()) {
        runtime::ShowErrorReport(msg);
        return;
    }
    // A box belongs to the GUI thread; the reporting thread goes on meanwhile.
    runtime::PostCall(QCoreApplication::instance(), [msg] { runtime::ShowErrorReport(msg); });
}

void TcmBaseIO::WriteLog(TDetailLevel level, const std::string& text)
{
    auto* log = fLog.load();
    if (!log)
        return;
    if (text.empty())
        log->AddSysInfo();
    else
        log->AddLog(level, sLogPrefix + text);
}

void TcmBaseIO::WriteLogFmt(TDetailLevel level, const std::string& format, const FormatArgs& args)
{
    if (auto* log = fLog.load())
        log->AddLogFmt(level, sLogPrefix + format, args);
}

// --- keep-connection ------------------------------------------------------

void TcmBaseIO::StartKeepConnection()
{
    if (!runtime::IsGuiThread()) {
        // The timer fires through the GUI thread's event loop, so it is
        // created and started there even when a port thread noticed the loss.
        runtime::PostCall(this, [this] { StartKeepConnection(); });
        return;
    }
    if (!timerKeepConnection) {
        timerKeepConnection = std::make_unique<TcmTimer>();
        timerKeepConnection->SetInterval(2000);
        timerKeepConnection->SetOnTimer([this](TcmTimer*) { KeepConnectionTick(); });
    }
    timerKeepConnection->SetEnabled(true);
}

void TcmBaseIO::StopKeepConnection()
{
    if (timerKeepConnection)
        timerKeepConnection->SetEnabled(false);
}

void TcmBaseIO::KeepConnectionTick()
{
    StopKeepConnection();
    WriteLog(dlDetail, "Try to connect ...");
}

bool TcmBaseIO::KeepConnectionTimerRunning() const
{
    return timerKeepConnection && timerKeepConnection->IsRunning();
}

} // namespace comm
