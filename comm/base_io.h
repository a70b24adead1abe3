#pragma once
// The base of the comm library's I/O components: the device handle and its
// stored activity, the notify list, the data processor and log links, the
// terminal link, the receive dispatch, fatal errors, keep-connection and a
// generic worker thread (TcmThreadIO) a subclass may run instead of its own.

#include "comm/comm_types.h"
#include "comm/format_text.h"
#include "comm/notify_list.h"
#include "platform/serial.h"
#include "runtime/component.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>

namespace comm {

class TcmCustomDataProcessor;
class TcmCustomLogFile;
class TcmThreadIO;
class TcmTimer;

class TcmBaseIO : public runtime::Component {
    Q_OBJECT
public:
    explicit TcmBaseIO(QObject* owner = nullptr);
    ~TcmBaseIO() override;

    bool Active() const;
    void SetActive(bool value);
    void Loaded() override;

    TcmCustomDataProcessor* DataProcessor() const { return fDataProcessor.load(); }
    void SetDataProcessor(TcmCustomDataProcessor* value);
    TcmCustomLogFile* Log() const { return fLog.load(); }
    void SetLog(TcmCustomLogFile* value);

    bool UseMainThread() const { return fUseMainThread.load(); }
    void SetUseMainThread(bool value) { fUseMainThread.store(value); }
    bool KeepConnection() const { return fKeepConnection.load(); }
    void SetKeepConnection(bool value) { fKeepConnection.store(value); }

    // The terminal binding itself comes later; the link is kept and cleared
    // when the control goes away.
    QWidget* Terminal() const { return fTerminal.load(); }
    void SetTerminal(QWidget* value);
    TTerminalUsage TerminalUsage() const { return fTerminalUsage; }
    void SetTerminalUsage(TTerminalUsage value) { fTerminalUsage = value; }
    bool TerminalEcho() const { return fTerminalEcho; }
    void SetTerminalEcho(bool value) { fTerminalEcho = value; }

    virtual void NotifyAdd(const TcmNotifyEvent& event);
    virtual void NotifyDelete(const TcmNotifyEvent& event);
    virtual void Update();

    // Abstract here: a class that does not override them raises AbstractError.
    virtual void SendChar(char ch);
    virtual void SendString(const std::string& s);
    virtual void SendData(const void* buff, std::uint32_t n);
    virtual void ClearDeviceInput();
    virtual void ClearDeviceOutput();
    virtual void ClearDeviceBuffers();

    // Device list hooks; without a device list the index is -1.
    virtual int GetDeviceIndex() const { return -1; }
    virtual void SetDeviceIndex(int index);
    virtual void DeviceAdd(const std::string& portName);
    virtual void DeviceInsert(int index, const std::string& portName);
    virtual void DeviceListLoad() {}
    virtual void DeviceListClear() {}
    virtual std::string DevicePortName(int index) const;
    virtual void WMDeviceChange(std::uintptr_t event, std::intptr_t data);

    TOnReceived OnAfterReceive;
    TNotifyEvent OnClose;
    TNotifyEvent OnOpen;
    TOnFatalErrorEvent OnFatalError;

protected:
    friend class TcmThreadIO;

    virtual bool IsOpen() const { return fHandle.load() != platform::kInvalidHandle; }
    virtual platform::Handle OpenDeviceHandle() { return platform::kInvalidHandle; }
    virtual void CloseDeviceHandle(platform::Handle h);
    virtual bool HasReceivers() const;
    virtual void OpenPort();
    virtual void ClosePort();
    virtual void StartThreads();
    virtual void StopThreads();
    virtual void ThreadBody(TcmThreadIO* thread);
    virtual void RaiseFatalError(std::uint32_t code, std::uint32_t detail, const std::string& msg, bool showOnly);
    virtual void NotifyCall(std::int32_t code);
    virtual void DoDataReceived(const std::uint8_t* buffer, std::uint32_t len);
    virtual bool SendCompleteIgnored();
    virtual void KeepConnectionTick();
    virtual void StartKeepConnection();
    virtual void StopKeepConnection();
    virtual void WriteToTerminal(const std::uint8_t* buffer, std::uint32_t len);

    void Notification(QObject* component, runtime::Operation operation) override;

    void WriteLog(TDetailLevel level, const std::string& text);
    void WriteLogFmt(TDetailLevel level, const std::string& format, const FormatArgs& args);

    // Takes the handle (only one caller gets it), closes it and raises OnClose.
    // Returns false when no handle was held.
    bool ReleaseHandle();
    void RaiseOnClose();
    bool KeepConnectionTimerRunning() const;

    std::atomic<platform::Handle> fHandle{platform::kInvalidHandle};
    std::string sLogPrefix;
    bool fActive = false;
    bool isThreaded = false;
    std::atomic<bool> IsThreadIOTerminated{true};
    int fPriority = 0;

private:
    bool HandOverToGui(const std::uint8_t* buffer, std::uint32_t len);

    TcmNotifyList cmNotifyList;
    std::atomic<TcmCustomLogFile*> fLog{nullptr};
    std::atomic<TcmCustomDataProcessor*> fDataProcessor{nullptr};
    std::atomic<QWidget*> fTerminal{nullptr};
    TTerminalUsage fTerminalUsage = tuNone;
    bool fTerminalEcho = false;
    std::atomic<bool> fUseMainThread{false};
    std::atomic<bool> fKeepConnection{false};
    std::unique_ptr<TcmThreadIO> fThreadIO;
    std::unique_ptr<TcmTimer> timerKeepConnection;
    const std::uint8_t* threadData = nullptr;
    std::uint32_t threadDataSize = 0;
};

} // namespace comm
