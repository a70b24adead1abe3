#pragma once
// A helper thread that blocks in the driver's "wait for a modem line change"
// (TIOCMIWAIT) and reports each change, so nobody polls the lines while the
// driver can wake us. Such a wait ends only with a change or a signal: Stop()
// interrupts it with a signal of its own that only this thread receives.
// When the driver has no such wait the thread ends at once and Unsupported()
// tells the port to poll instead.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace platform::posix {

class ModemWatch {
public:
    // Blocks until a line changes: 0, or the errno value of the failure.
    using WaitCall = std::function<int()>;

    ModemWatch(WaitCall wait, std::function<void()> changed);
    ~ModemWatch();
    ModemWatch(const ModemWatch&) = delete;
    ModemWatch& operator=(const ModemWatch&) = delete;

    void Start();
    // Ends a blocked wait and joins the thread; does nothing when not started.
    void Stop();
    bool Unsupported() const { return fUnsupported.load(); }
    bool Ended() const;

private:
    void Run();

    WaitCall fWait;
    std::function<void()> fChanged;
    std::thread fThread;
    pthread_t fNative{};
    std::atomic<bool> fStop{false};
    std::atomic<bool> fUnsupported{false};
    mutable std::mutex fMutex;
    std::condition_variable fEndedCv;
    bool fEnded = false;
};

} // namespace platform::posix
