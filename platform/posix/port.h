#pragma once
// One open serial port: the descriptor and what the Win32-like calls keep
// per handle. Shared between the handle table and every call in progress,
// so a handle closed by one thread never frees the port under another:
// Close() marks it closed and wakes all waiters; the descriptor is closed
// when the last user lets go.

#include "platform/serial.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::posix {

class Port : public std::enable_shared_from_this<Port> {
public:
    // Opens, locks and configures the device; nullptr with the last error set on failure.
    static std::shared_ptr<Port> Open(const std::string& name);
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    // Marks the port closed, wakes every waiter and gives up exclusive access at once.
    void Close();

    bool Write(const void* data, std::uint32_t count, std::uint32_t* written);
    bool WriteNoWait(const void* data, std::uint32_t count);
    bool Flush();
    bool Read(void* data, std::uint32_t count, std::uint32_t* read);
    bool WaitEvent(std::uint32_t& mask, Event* cancel);

    bool SetMask(std::uint32_t mask);
    std::uint32_t Mask() const;
    bool ClearError(std::uint32_t* errors, ComStat* stat);
    bool Setup(std::uint32_t inQueue, std::uint32_t outQueue);
    bool GetState(Dcb& dcb);
    bool SetState(const Dcb& dcb);
    bool GetTimeouts(CommTimeouts& timeouts);
    bool SetTimeouts(const CommTimeouts& timeouts);
    bool Escape(std::uint32_t function);
    bool ModemStatus(std::uint32_t& status);
    bool Purge(std::uint32_t flags);
    bool TransmitChar(char c);
    bool Properties(CommProp& props);

private:
    struct Counters {  // the driver's line counters (TIOCGICOUNT)
        int cts = 0, dsr = 0, rng = 0, dcd = 0;
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };
    enum Tag : std::uint32_t { kTagDevice = 1, kTagClosed, kTagKick, kTagCancel };

    explicit Port(int fd);
    bool InitWaiting();

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
    std::uint32_t PendingEvents(std::uint32_t wanted);
    int EventCheckInterval(std::uint32_t wanted) const;
    std::uint32_t InputAlmostFull(int queued) const;  // EV_RX80FULL or 0
    enum class IoWait { Ready, Timeout, Closed, Aborted };
    // Waits for the device, the timeout, a close, or a purge abort after `seen`.
    IoWait WaitForIo(short events, int timeoutMs, const std::atomic<std::uint32_t>* aborts = nullptr,
                     std::uint32_t seen = 0);
    void ApplyModemLines(const Dcb& dcb);
    bool FlushPendingOutput();

    const int fFd;
    int fClosedFd = -1;  // eventfd, set once by Close(); never consumed
    int fKickFd = -1;    // eventfd, wakes the event waiter (mask change, output queued)
    int fEpoll = -1;     // the device (edge-triggered), fClosedFd, fKickFd
    int fAbortFd = -1;   // eventfd, set by PurgeComm's abort flags; drained by the next waiter

    std::atomic<bool> fClosed{false};
    std::atomic<bool> fLost{false};
    std::atomic<bool> fWaiting{false};
    std::atomic<bool> fMaskChanged{false};
    // Output queue look-ups are skipped while nothing was written since one found it empty.
    std::atomic<std::uint64_t> fWritesDone{0};  // counted after each write reached the driver
    std::atomic<std::uint64_t> fOutputEmptyAt{~std::uint64_t{0}};  // fWritesDone when TIOCOUTQ last read 0
    std::atomic<std::uint32_t> fReadAborts{0};
    std::atomic<std::uint32_t> fWriteAborts{0};
    bool fHasCounters = false;  // set once at open
    bool fArrivalPending = false;  // only the thread owning fWaiting touches it
    std::uint64_t fCancelWatched = 0;  // Event::Id() of the cancel event in fEpoll; as above
    int fCancelFd = -1;

    mutable std::mutex fMutex;  // guards everything below
    std::uint32_t fMask = 0;
    CommTimeouts fTimeouts;
    Dcb fRecorded;
    std::uint32_t fInQueue = 4096;
    std::uint32_t fOutQueue = 4096;
    bool fHardwareFlow = false;  // CRTSCTS as last set
    bool fFramingKept = true;  // false where the driver forces its own byte size and parity (ptys)
    bool fTxPending = false;
    Counters fEventBase;  // counters at the last reported event
    Counters fErrorBase;  // counters at the last ClearCommError
    std::vector<char> fPendingOutput;  // WriteNoWait bytes the driver has not taken yet
    bool fDraining = false;
};

} // namespace platform::posix
