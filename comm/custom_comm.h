#pragma once
// The serial port component without the port naming: line settings (kept in
// the driver settings record), opening and closing, sending with counters,
// the two receive threads and the processing of one comm event.

#include "comm/base_io.h"
#include "runtime/message_queue.h"
#include "runtime/thread.h"

#include <QPointer>

#include <memory>
#include <vector>

namespace comm {

class TCommThread;
class TMsgThread;

// Thread messages between the event thread and the message thread.
inline constexpr std::uint32_t cmCommMsgComEvent = 0xC001;
inline constexpr std::uint32_t cmCommMsgQuitComEvent = 0xC002;

class TcmCustomComm : public TcmBaseIO {
    Q_OBJECT
public:
    explicit TcmCustomComm(QObject* owner = nullptr);
    ~TcmCustomComm() override;

    std::uint32_t BaudRate() const { return CommCfg.dcb.BaudRate; }
    void SetBaudRate(std::uint32_t value);
    TParity Parity() const { return static_cast<TParity>(CommCfg.dcb.Parity); }
    void SetParity(TParity value);
    TStopBits StopBits() const { return static_cast<TStopBits>(CommCfg.dcb.StopBits); }
    void SetStopBits(TStopBits value);
    std::uint8_t ByteSize() const { return CommCfg.dcb.ByteSize; }
    void SetByteSize(std::uint8_t value);
    char EventChar() const;
    void SetEventChar(char value);
    TStreamProtocol StreamProtocol() const { return fProtocol; }
    void SetStreamProtocol(TStreamProtocol value);
    bool RS485Mode() const { return fRS485Mode; }
    void SetRS485Mode(bool value);
    TTraceStates TraceStates() const { return fTraceStates.load(); }
    void SetTraceStates(TTraceStates value);
    std::uint16_t BufferInSize() const { return fBufferInSize; }
    void SetBufferInSize(std::uint16_t value);
    std::uint16_t BufferOutSize() const { return fBufferOutSize; }
    void SetBufferOutSize(std::uint16_t value);
    std::uint32_t TimeoutRead() const { return fCommTimeouts.ReadIntervalTimeout; }
    void SetTimeoutRead(std::uint32_t value);
    std::uint32_t TimeoutWrite() const { return fCommTimeouts.WriteTotalTimeoutConstant; }
    void SetTimeoutWrite(std::uint32_t value);

    QWidget* MonitorCTS() const { return fMonitorCTS.load(); }
    void SetMonitorCTS(QWidget* value) { SetMonitor(fMonitorCTS, value); }
    QWidget* MonitorDSR() const { return fMonitorDSR.load(); }
    void SetMonitorDSR(QWidget* value) { SetMonitor(fMonitorDSR, value); }
    QWidget* MonitorRLSD() const { return fMonitorRLSD.load(); }
    void SetMonitorRLSD(QWidget* value) { SetMonitor(fMonitorRLSD, value); }
    QWidget* MonitorRing() const { return fMonitorRing.load(); }
    void SetMonitorRing(QWidget* value) { SetMonitor(fMonitorRing, value); }

    std::uint32_t BytesReceived() const { return fTotalReceived.load(); }
    std::uint32_t BytesSent() const { return fTotalSent.load(); }
    std::string LastErrorString() const { return fLastErrorString; }

    // The driver settings as the component keeps them.
    const platform::CommConfig& Config() const { return CommCfg; }
    // The event mask TraceStates stands for (EV_RXCHAR always included).
    std::uint32_t EventMask() const;
    // Size of the receive buffer of the open port (0 while closed).
    std::size_t ReceiveBufferSize() const { return glBuffer.size(); }

    void SendChar(char ch) override;
    void SendString(const std::string& s) override;
    void SendData(const void* buff, std::uint32_t n) override;
    void ClearDeviceInput() override;
    void ClearDeviceOutput() override;
    void ClearDeviceBuffers() override;

    TOnSent OnAfterSend;
    TOnTraceEvent OnTraceState;
    TOnCommErrorEvent OnCommError;

protected:
    friend class TCommThread;
    friend class TMsgThread;

    void OpenPort() override;
    void ClosePort() override;
    void StartThreads() override;
    void StopThreads() override;
    void KeepConnectionTick() override;
    void Notification(QObject* component, runtime::Operation operation) override;

    virtual std::string GetPortDisplayName() const { return "Unknown"; }
    virtual void SetupDevice();
    virtual void DoCommError(std::uint32_t commCode, std::uint32_t sysError, TComStateFlags state);
    virtual void ReportLineState(QObject* sender, TTraceStates states);

    // Drops the connection: by request (closing) or because it was lost.
    void DropConnection(bool byRequest);
    void ProcessCommEvent(const runtime::ThreadMessage& message);
    void ApplyPortConfig();
    void ApplyTimeouts();
    void ApplyEventMask();
    // Stops the threads and releases what the port held; destructors of the
    // classes with behaviour call it so no thread runs during their teardown.
    void Shutdown();

    // Runs call with the current handle; false (and the last error
    // kErrorInvalidHandle) while closed. A handle closed meanwhile by another
    // thread makes the call fail the same way: the platform never reuses one.
    template <class F>
    bool WithHandle(F&& call) const
    {
        const platform::Handle h = fHandle.load();
        if (h == platform::kInvalidHandle) {
            platform::SetLastError(platform::kErrorInvalidHandle);
            return false;
        }
        return call(h);
    }

    platform::CommConfig CommCfg;
    platform::ComStat Stat;
    platform::CommTimeouts fCommTimeouts;
    std::string fLastErrorString;
    bool fIsNotSupportRS485 = false;

private:
    void SetMonitor(std::atomic<QWidget*>& link, QWidget* value);
    void ReceiveQueued(std::uint32_t session, const QPointer<TcmCustomComm>& alive);
    void HandleTxEmpty();
    bool Rs485Emulated() const { return fIsNotSupportRS485 && fRS485Mode; }
    void SetRts(bool on);
    void AllocReceiveBuffer();
    void PostCommEvent(TCommThread& from, std::uint32_t mask);
    void RetireThread(std::unique_ptr<runtime::Thread> thread);
    void JoinRetired();

    std::unique_ptr<TMsgThread> MsgThread;
    std::unique_ptr<TCommThread> CommThread;
    std::vector<std::unique_ptr<runtime::Thread>> fRetired;  // threads stopped from within themselves
    std::atomic<std::uint32_t> fSession{0};
    std::atomic<int> fHandOverDepth{0};

    std::atomic<std::uint32_t> fTotalSent{0};
    std::atomic<std::uint32_t> fTotalReceived{0};
    std::atomic<TTraceStates> fTraceStates{0};
    std::uint16_t fBufferOutSize = 8192;
    std::uint16_t fBufferInSize = 8192;
    std::vector<std::uint8_t> glBuffer;
    bool fRS485Mode = false;
    TStreamProtocol fProtocol = spNone;
    std::atomic<QWidget*> fMonitorRLSD{nullptr};
    std::atomic<QWidget*> fMonitorRing{nullptr};
    std::atomic<QWidget*> fMonitorCTS{nullptr};
    std::atomic<QWidget*> fMonitorDSR{nullptr};
};

} // namespace comm
