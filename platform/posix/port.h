#pragma once
// One open terminal port: the descriptor and what the Win32-like calls keep
// per handle. Close() marks it closed and wakes all waiters; the descriptor
// is closed when the last call in progress lets go of the port.

#include "platform/port_device.h"
#include "platform/posix/modem_watch.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::posix {

class Port final : public PortDevice, public std::enable_shared_from_this<Port> {
public:
    // Opens, locks and configures the device; nullptr with the last error set on failure.
    static std::shared_ptr<Port> Open(const std::string& name);
    ~Port() override;
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    void Close() override;

    bool Write(const void* data, std::uint32_t count, std::uint32_t* written) override;
    bool WriteNoWait(const void* data, std::uint32_t count) override;
    bool Flush() override;
    bool Read(void* data, std::uint32_t count, std::uint32_t* read) override;
    bool WaitEvent(std::uint32_t& mask, Event* cancel) override;
    bool CancelIo() override { return true; }  // every call completes before it returns

    bool SetMask(std::uint32_t mask) override;
    bool GetMask(std::uint32_t& mask) override;
    bool ClearError(std::uint32_t* errors, ComStat* stat) override;
    bool Setup(std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool GetState(Dcb& dcb) override;
    bool SetState(const Dcb& dcb) override;
    bool GetTimeouts(CommTimeouts& timeouts) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    bool Escape(std::uint32_t function) override;
    bool ModemStatus(std::uint32_t& status) override;
    bool Purge(std::uint32_t flags) override;
    bool TransmitChar(char c) override;
    bool Properties(CommProp& props) override;
    bool TogglesRts() override;

    // A Linux tty holds this many received bytes (N_TTY_BUF_SIZE - 1).
    static constexpr std::uint32_t kDriverInputQueue = 4095;

private:
    struct Counters {  // the driver's line counters (TIOCGICOUNT)
        int cts = 0, dsr = 0, rng = 0, dcd = 0;
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };
    enum Tag : std::uint32_t { kTagDevice = 1, kTagClosed, kTagKick, kTagCancel };

    explicit Port(int fd);
    bool InitWaiting();
    void ProbeDriver();

    // Entry check of every call: closed -> invalid handle, lost -> the loss error.
    bool Usable();
    // Records an errno of an I/O call; a lost device stays lost.
    bool FailIo(int err);
    bool FailLost();
    void MarkLost();
    void Kick();
    void NoteWrite();
    // Keeps the waiter's cancel event in the epoll set between waits.
    void WatchCancel(Event* cancel);

    bool ReadCounters(Counters& c) const;
    bool ReadLines(int& lines) const;
    std::uint32_t PendingEvents(std::uint32_t wanted);
    std::uint32_t CounterEvents(std::uint32_t wanted);
    std::uint32_t LineStatusEvents(std::uint32_t wanted);
    int EventCheckInterval(std::uint32_t wanted) const;
    bool ArrivalEvents(std::uint32_t wanted, std::uint32_t& mask);
    void UpdateModemWatch(std::uint32_t mask);
    void StopModemWatch();
    enum class IoWait { Ready, Timeout, Closed, Aborted };
    // Waits for the device, the timeout, a close, or a purge abort after `seen`.
    IoWait WaitForIo(short events, int timeoutMs, const std::atomic<std::uint32_t>* aborts = nullptr,
                     std::uint32_t seen = 0);
    void ApplyModemLines(const Dcb& dcb);
    void ApplyRs485(const Dcb& dcb);
    bool FlushPendingOutput();
    // DTR/DSR flow control: true while the DCB asks for DSR and it is off.
    bool HeldForDsr() const;

    // Input taken ahead of the reader (event character, DSR sensitivity).
    bool IntakeMode() const;
    ssize_t IntakeLocked();
    ssize_t ReadSome(char* out, std::size_t n);
    bool QueuedInput(std::uint32_t& queued);

    const int fFd;
    int fClosedFd = -1;  // eventfd, set once by Close(); never consumed
    int fKickFd = -1;    // eventfd, wakes the event waiter (mask change, output queued, line change)
    int fEpoll = -1;     // the device (edge-triggered), fClosedFd, fKickFd
    int fAbortFd = -1;   // eventfd, set by PurgeComm's abort flags; drained by the next waiter
    int fInputFd = -1;   // eventfd, set while the read-ahead queue holds bytes

    std::atomic<bool> fClosed{false};
    std::atomic<bool> fLost{false};
    std::atomic<bool> fWaiting{false};
    std::atomic<bool> fMaskChanged{false};
    // Output queue look-ups are skipped while nothing was written since one found it empty.
    std::atomic<std::uint64_t> fWritesDone{0};  // counted after each write reached the driver
    std::atomic<std::uint64_t> fOutputEmptyAt{~std::uint64_t{0}};  // fWritesDone when TIOCOUTQ last read 0
    std::atomic<std::uint32_t> fReadAborts{0};
    std::atomic<std::uint32_t> fWriteAborts{0};
    std::atomic<std::uint32_t> fNoted{0};  // events found outside the waiter (EV_RXFLAG by a reader)
    bool fHasCounters = false;     // set once at open
    bool fHasLines = false;        // TIOCMGET works; set once at open
    bool fTogglesRts = false;      // TIOCSRS485 works; set once at open
    bool fArrivalPending = false;  // only the thread owning fWaiting touches it
    std::uint64_t fCancelWatched = 0;  // Event::Id() of the cancel event in fEpoll; as above
    int fCancelFd = -1;

    std::mutex fInputMutex;        // guards fReadAhead and the level of fInputFd; taken before fMutex
    std::deque<char> fReadAhead;
    void NoteReadAhead();          // sets fInputFd to whether fReadAhead holds bytes

    mutable std::mutex fWatchMutex;  // guards fWatch
    std::unique_ptr<ModemWatch> fWatch;

    mutable std::mutex fMutex;  // guards everything below
    std::uint32_t fMask = 0;
    CommTimeouts fTimeouts;
    Dcb fRecorded;
    std::uint32_t fInQueue = 4096;
    std::uint32_t fOutQueue = 4096;
    bool fHardwareFlow = false;  // CRTSCTS as last set
    bool fFramingKept = true;  // false where the driver forces its own byte size and parity (ptys)
    bool fXoffByEscape = false;  // SETXOFF holds the output until SETXON
    bool fRs485On = false;
    bool fTxPending = false;
    Counters fEventBase;  // counters at the last reported event
    Counters fErrorBase;  // counters at the last ClearCommError
    int fEventLines = 0;  // modem lines at the last reported event (drivers without counters)
    std::vector<char> fPendingOutput;  // WriteNoWait bytes the driver has not taken yet
    bool fDraining = false;
};

} // namespace platform::posix
