#pragma once
// The near end of a null-modem pair as a port behind a handle.

#include "platform/null_modem/line.h"
#include "platform/port_device.h"

#include <memory>

namespace platform::null_modem {

class NearPort final : public PortDevice {
public:
    // Opens the near end; nullptr with the last error set when it is open
    // already or the cable is unplugged.
    static std::shared_ptr<NearPort> Open(std::shared_ptr<Line> line);
    explicit NearPort(std::shared_ptr<Line> line) : fLine(std::move(line)) {}
    ~NearPort() override;

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

private:
    using Lock = std::unique_lock<std::mutex>;
    // Locks the line and delivers what arrived until now.
    Lock Enter();
    // The entry check, under the lock: closed -> invalid handle, unplugged -> lost.
    bool Usable() const;
    // fAbortOnError: calls fail while line errors wait for ClearCommError.
    bool StoppedByError() const;
    ComStat Status(const NearEnd& n) const;
    enum class Step { Go, TimedOut, Failed };
    // One wait of a blocked read or write for the line to move on: TimedOut
    // once the deadline has passed, Failed (last error set) when the handle
    // went or a purge aborted the calls begun before it (aborts != seen).
    Step WaitForLine(Lock& lock, rules::Deadline deadline, const std::uint32_t& aborts, std::uint32_t seen);
    void Settle() { fLine->Settle(Clock::now()); }

    // The entry idiom of every call: lock, deliver what arrived, check the
    // handle, then look (Query) or change and settle the consequences (Apply;
    // a change returning false has set the last error).
    template <class Look>
    bool Query(Look look)
    {
        Lock lock = Enter();
        if (!Usable())
            return false;
        look(fLine->nearEnd);
        return true;
    }
    template <class Change>
    bool Apply(Change change)
    {
        Lock lock = Enter();
        if (!Usable() || !change(fLine->nearEnd))
            return false;
        Settle();
        return true;
    }

    std::shared_ptr<Line> fLine;
    Event fWake;  // the event waiter's wake-up
    std::uint64_t fSession = 0;
    bool fClosed = false;
};

} // namespace platform::null_modem
