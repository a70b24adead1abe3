#pragma once
// The base of the data processors: a component that plugs into an I/O
// component (the port's DataProcessor), sees every received chunk before the
// port's own receive event, passes it on to the next processor of a chain,
// learns when the port opens and closes, may take over sending, and owns a
// one-shot timer its subclasses use for pauses and send completion.
//
// A processor lives on the thread that created it (the GUI thread): its timer
// fires there, and notices the port sends from its event thread are handed
// over to it. The port must call DoProcessing on that thread too (the port's
// UseMainThread).

#include "comm/base_io.h"
#include "comm/comm_types.h"
#include "comm/data_processor.h"
#include "comm/format_text.h"
#include "comm/log_file.h"
#include "comm/notify_list.h"

#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace comm {
class TcmTimer;
}

namespace dataproc {

using comm::TDetailLevel;
using comm::TIgnoreTypes;

// A handler that may take over sending: flHandled = true keeps the port unwritten.
using TDataSendEvent = std::function<void(QObject* sender, const std::uint8_t* ptrBuffer, std::uint32_t len,
                                          bool flSynchro, bool& flHandled)>;

inline constexpr std::int32_t kNotifyPortClosed = 1;
inline constexpr std::int32_t kNotifyPortOpened = 2;

class TcmCustomDataProcessor : public comm::TcmCustomDataProcessor {
    Q_OBJECT
public:
    explicit TcmCustomDataProcessor(QObject* owner = nullptr);
    ~TcmCustomDataProcessor() override;

    bool Active() const { return fActive.load(); }
    virtual void SetActive(bool value);

    // The port this processor is attached to, or nothing.
    comm::TcmBaseIO* Device() const { return fDevice.data(); }
    // Attaches to io (nothing detaches) and takes the rest of the chain along.
    void SetDevice(comm::TcmBaseIO* io) override;

    // The next processor of the chain. Naming this processor, or one whose
    // chain leads back here, is refused: the chain stays as it was.
    TcmCustomDataProcessor* DataProcessor() const { return fDataProcessor.data(); }
    virtual void SetDataProcessor(TcmCustomDataProcessor* value);

    comm::TcmCustomLogFile* Log() const { return fLog.data(); }
    void SetLog(comm::TcmCustomLogFile* value);

    // Passes the chunk on to the next processor.
    void DoProcessing(const std::uint8_t* data, std::uint32_t len, TIgnoreTypes& r) override;
    void DoAfterSendComplete(bool& flIgnore) override;
    // Feeds a chunk as if the port had received it.
    void DataReceive(const std::uint8_t* ptrBuffer, std::uint32_t len);

    // Sends through OnDataSend or, when it does not take the bytes, through
    // the port (written and flushed). Never raises.
    virtual void DoDataSend(const void* buffer, std::uint32_t length);
    // Sends text through OnDataSend (flSynchro = true) or the port's SendString. Never raises.
    virtual void DoDataSend(const std::string& text);

    comm::TOnFatalErrorEvent OnFatalError;
    TDataSendEvent OnDataSend;

protected:
    // The port's notify list calls this: 1 = closed, 2 = opened.
    virtual void DeviceNotify(QObject* sender, std::int32_t code);
    virtual void DoMediumClosed();
    virtual void DoMediumOpened();
    // The timer fired: it stops itself, then reports the send as complete.
    virtual void DoAsyncTimeout(QObject* sender);
    // Stops the timer; a value other than 0 becomes its interval and starts it.
    virtual void StartAsyncTimer(std::uint32_t milliseconds);
    // Offers the failure to OnFatalError, logs it, then raises runtime::Error
    // carrying msg unless the handler cancelled.
    virtual void DoFatalErrors(std::uint32_t code, std::uint32_t detail, const std::string& msg);

    void Notification(QObject* component, runtime::Operation operation) override;

    void WriteLog(TDetailLevel level, const std::string& text);
    void WriteLogFmt(TDetailLevel level, const std::string& format, const comm::FormatArgs& args);

    // Stop and start again with the current interval.
    void RestartAsyncTimer();
    bool AsyncTimerRunning() const;
    std::uint32_t AsyncTimerInterval() const;

    std::string sLogPrefix;

private:
    bool OnOwnThread() const;
    bool ChainLeadsTo(const TcmCustomDataProcessor* target) const;
    void Detach();
    void RunTimerCommand(std::uint32_t milliseconds, bool restart);

    QPointer<comm::TcmBaseIO> fDevice;
    QPointer<TcmCustomDataProcessor> fDataProcessor;
    QPointer<comm::TcmCustomLogFile> fLog;
    std::atomic<bool> fActive{false};
    std::unique_ptr<comm::TcmTimer> fTimerAsync;
    // Whether the timer may be running, so stopping an idle timer costs nothing.
    std::atomic<bool> fTimerArmed{false};
    // This processor's own entry in a port's notify list (matched per object,
    // so the processors of a chain each get the port's notices).
    comm::TcmNotifyEvent fNotifyEntry;
};

} // namespace dataproc
