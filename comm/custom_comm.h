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
    bool RS485Mode() const { return fRS485Mode.load(); }
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

    // Monitor controls: any object with a "checked" property shows a line
    // state; the link is cleared when the object goes away.
    QObject* MonitorCTS() const { return fMonitorCTS; }
    void SetMonitorCTS(QObject* value) { fMonitorCTS = value; }
    QObject* MonitorDSR() const { return fMonitorDSR; }
    void SetMonitorDSR(QObject* value) { fMonitorDSR = value; }
    QObject* MonitorRLSD() const { return fMonitorRLSD; }
    void SetMonitorRLSD(QObject* value) { fMonitorRLSD = value; }
    QObject* MonitorRing() const { return fMonitorRing; }
    void SetMonitorRing(QObject* value) { fMonitorRing = value; }

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

    // --- polling reads and waits (comm_polling.cpp) ---
    // Meant for a port with tsRxChar not traced and no receiver: otherwise
    // every comm event reads the queued bytes away first. Each read returns
    // the number of bytes it really read (0 when it failed or the port is closed).
    std::uint32_t Read(void* buffer, std::uint32_t len);
    // Reads InQueueCount bytes: the buffer must hold that many.
    std::uint32_t ReadAll(void* buffer);
    std::uint32_t ReadMax(void* buffer, std::int32_t maxLen);
    std::string ReadString();
    std::uint32_t InQueueCount() const;
    std::uint32_t OutQueueCount() const;
    // Waits up to ms for count queued bytes, pumping the GUI every 5 ms.
    bool WaitForBytes(std::uint32_t count, std::uint32_t ms);
    // Waits up to ms for a modem signal, pumping the GUI every 5 ms.
    bool WaitForSignal(TModemSignal signal, std::uint32_t ms);

    // --- line states (comm_line_state.cpp) ---
    void SendAheadChar(char ch);
    void SetStateDTR(bool state);
    void SetStateRTS(bool state);
    void SetStateX(bool state);
    void SetStateBreak(bool state);
    TModemSignals ModemSignals() const;
    void ClearDeviceInput() override;
    void ClearDeviceOutput() override;
    void ClearDeviceBuffers() override;
    void FlushOutputBuffer();
    // The driver's properties (the last ones read while the port is closed).
    const platform::CommProp& PortProperties();

    // Lets the user edit the line settings in the port settings dialog; true
    // when confirmed. No such port behaves like a cancel.
    bool ConfigDialog();

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

    virtual std::string GetPortDisplayName() const { return "Unknown"; }
    virtual void SetupDevice();
    virtual void DoCommError(std::uint32_t commCode, std::uint32_t sysError, TComStateFlags state);
    // A failed write or send: reported through DoCommError, unless the port
    // was closed under it (a loss the event thread noticed meanwhile).
    void SendFailed();
    // Shows the line state on the monitor controls and raises OnTraceState.
    virtual void ReportLineState(QObject* sender, TTraceStates states);

    // Drops the connection: by request (closing) or because it was lost.
    void DropConnection(bool byRequest);
    void ProcessCommEvent(const runtime::ThreadMessage& message);
    void ApplyPortConfig();
    // When open, takes the driver's settings record and DCB; then derives
    // StreamProtocol and RS485Mode from the flags.
    void ReadPortConfig();
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
    platform::CommProp ComProp;
    platform::CommTimeouts fCommTimeouts;
    std::string fLastErrorString;
    // Whether the component switches RTS itself in RS-485 mode; asked of the
    // system at construction and of the port's driver at every open.
    bool fIsNotSupportRS485 = !platform::SystemTogglesRts();

    bool Rs485Emulated() const { return fIsNotSupportRS485 && fRS485Mode.load(); }
    void SetRts(bool on);

private:
    void ReceiveQueued(std::uint32_t session, const QPointer<TcmCustomComm>& alive);
    void HandleTxEmpty();
    void UpdateMonitors(TModemSignals lines, TTraceStates states);
    // One step of a polling wait: sleep 5 ms, then let the GUI process its messages.
    static void PauseAndPump();
    void AllocReceiveBuffer();
    // Counted before the bytes go out, so that the event thread knows an
    // arrival may be their reply; raises RTS under RS-485 emulation.
    void BeginSend();
    void PostCommEvent(TCommThread& from, std::uint32_t mask);
    void RetireThread(std::unique_ptr<runtime::Thread> thread);
    void JoinRetired();

    std::unique_ptr<TMsgThread> MsgThread;
    std::unique_ptr<TCommThread> CommThread;
    std::vector<std::unique_ptr<runtime::Thread>> fRetired;  // threads stopped from within themselves
    std::atomic<std::uint32_t> fSession{0};
    std::atomic<int> fHandOverDepth{0};

    std::atomic<std::uint32_t> fTotalSent{0};
    std::atomic<std::uint32_t> fSendsBegun{0};
    std::atomic<std::uint32_t> fTotalReceived{0};
    std::atomic<TTraceStates> fTraceStates{0};
    std::uint16_t fBufferOutSize = 8192;
    std::uint16_t fBufferInSize = 8192;
    std::vector<std::uint8_t> glBuffer;
    std::atomic<bool> fRS485Mode{false};
    TStreamProtocol fProtocol = spNone;
    // Read and written on the component's own thread only.
    QPointer<QObject> fMonitorRLSD;
    QPointer<QObject> fMonitorRing;
    QPointer<QObject> fMonitorCTS;
    QPointer<QObject> fMonitorDSR;
};

} // namespace comm
