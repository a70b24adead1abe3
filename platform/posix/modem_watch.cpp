#include "platform/posix/modem_watch.h"

#include "platform/posix/error_map.h"

#include <cerrno>
#include <chrono>
#include <csignal>

namespace platform::posix {
namespace {

void Interrupted(int) {}

// A real-time signal without SA_RESTART: a blocked ioctl returns EINTR.
int WakeSignal()
{
    static const int signal = [] {
        const int number = SIGRTMIN + 4;
        struct sigaction action {};
        action.sa_handler = Interrupted;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
        return number;
    }();
    return signal;
}

} // namespace

ModemWatch::ModemWatch(WaitCall wait, std::function<void()> changed)
    : fWait(std::move(wait)), fChanged(std::move(changed))
{
}

ModemWatch::~ModemWatch()
{
    Stop();
}

void ModemWatch::Start()
{
    if (fThread.joinable())
        return;
    WakeSignal();
    fThread = std::thread([this] { Run(); });
    fNative = fThread.native_handle();
}

bool ModemWatch::Ended() const
{
    std::lock_guard lock(fMutex);
    return fEnded;
}

void ModemWatch::Run()
{
    while (!fStop.load()) {
        const int err = fWait();
        if (fStop.load())
            break;
        if (err == EINTR)
            continue;
        if (err != 0 && IsUnsupported(err))
            fUnsupported.store(true);
        // A change, or the end of watching (the port then polls or sees the loss).
        fChanged();
        if (err != 0)
            break;
    }
    std::lock_guard lock(fMutex);
    fEnded = true;
    fEndedCv.notify_all();
}

void ModemWatch::Stop()
{
    if (!fThread.joinable())
        return;
    fStop.store(true);
    // The signal may come just before the thread blocks again: repeat until it has left.
    std::unique_lock lock(fMutex);
    while (!fEnded) {
        pthread_kill(fNative, WakeSignal());
        fEndedCv.wait_for(lock, std::chrono::milliseconds(5));
    }
    lock.unlock();
    fThread.join();
}

} // namespace platform::posix
