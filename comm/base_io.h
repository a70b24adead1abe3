#pragma once
// The base of the comm library's I/O components: the device handle and its
// stored activity, the notify list, the data processor and log links, the
// terminal link, the receive dispatch, fatal errors, keep-connection and a
// generic worker thread (TcmThreadIO) a subclass may run instead of its own.

#include "comm/comm_types.h"
#include "comm/format_text.h"
#include "comm/notify_list.h"
#include "comm/terminal_binding.h"
#include "discovery/enum/device_change_message.h"
#include "discovery/enum/device_list.h"
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

    // The device handle; kInvalidHandle while closed.
    platform::Handle DeviceHandle() const { return fHandle.load(); }

    TcmCustomDataProcessor* DataProcessor() const { return fDataProcessor.load(); }
    void SetDataProcessor(TcmCustomDataProcessor* value);
    TcmCustomLogFile* Log() const { return fLog.load(); }
    void SetLog(TcmCustomLogFile* value);

    bool UseMainThread() const { return fUseMainThread.load(); }
    void SetUseMainThread(bool value) { fUseMainThread.store(value); }
    bool KeepConnection() const { return fKeepConnection.load(); }
    void SetKeepConnection(bool value) { fKeepConnection.store(value); }

    // The terminal binding (terminal_binding.h): an edit control that types
    // into the port and shows what it receives.
    QWidget* Terminal() const { return fTerminal.load(); }
    void SetTerminal(QWidget* value);
    TTerminalUsage TerminalUsage() const { return fTerminalBinding.Usage(); }
    void SetTerminalUsage(TTerminalUsage value);
    bool TerminalEcho() const { return fTerminalBinding.Echo(); }
    void SetTerminalEcho(bool value) { fTerminalBinding.SetEcho(value); }

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

    // The device list: one device per port, ascending and unique by Data.
    discovery::TcmDevice* Device(int index) const { return slDevices.Get(index); }
    int DeviceCount() const { return slDevices.Count(); }
    int IndexOfDevice(const discovery::TcmDevice* device) const { return slDevices.IndexOfDevice(device); }
    int IndexOfDeviceData(int data) const { return slDevices.IndexOfDeviceData(data); }
    // DeviceIndex: recomputed from the port number on every read.
    int DeviceIndex() const { return GetDeviceIndex(); }
    // Without a device list of its own a component has no index.
    virtual int GetDeviceIndex() const { return -1; }
    virtual void SetDeviceIndex(int index);
    virtual int DeviceAdd(std::unique_ptr<discovery::TcmDevice> device);
    // Position, or -1 when the port number is taken (the device is then freed).
    virtual int DeviceInsert(std::unique_ptr<discovery::TcmDevice> device);
    virtual void DeviceListClear();
    // Loads the list when it is empty; then copies it into target when given.
    virtual void GetDeviceList(discovery::TcmDeviceEntries* target);
    // Adds the machine's devices to the list; abstract here.
    virtual void DeviceListLoad();
    // A forwarded device-change message: reloads on port arrival or removal.
    virtual bool WMDeviceChange(discovery::TWMDeviceChange& message);

    TOnReceived OnAfterReceive;
    TNotifyEvent OnClose;
    TNotifyEvent OnOpen;
    TOnFatalErrorEvent OnFatalError;

protected:
    friend class TcmThreadIO;

    std::string DevicePortName(int index) const;

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
    // The device list; its ClearWithFree() is the list's flClearDeviceListWithFree.
    discovery::TcmDeviceList slDevices{this};

private:
    bool HandOverToGui(const std::uint8_t* buffer, std::uint32_t len);

    TcmNotifyList cmNotifyList;
    std::atomic<TcmCustomLogFile*> fLog{nullptr};
    std::atomic<TcmCustomDataProcessor*> fDataProcessor{nullptr};
    std::atomic<QWidget*> fTerminal{nullptr};
    TcmTerminalBinding fTerminalBinding{this, [this](char c) { SendChar(c); }};
    std::atomic<bool> fUseMainThread{false};
    std::atomic<bool> fKeepConnection{false};
    std::unique_ptr<TcmThreadIO> fThreadIO;
    std::unique_ptr<TcmTimer> timerKeepConnection;
    const std::uint8_t* threadData = nullptr;
    std::uint32_t threadDataSize = 0;
};

} // namespace comm
