#include "runtime/thread.h"

#include "runtime/synchronize.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <vector>

namespace runtime {
namespace {

struct Deferred {
    std::mutex mutex;
    std::vector<std::unique_ptr<Thread>> threads;  // joined (by their destructor) when freed
};

Deferred& deferred()
{
    static Deferred d;
    return d;
}

} // namespace

Thread::~Thread()
{
    StopAndWait();
}

void Thread::Start()
{
    if (fThread.joinable())
        return;
    fThread = std::thread([this] {
        fId.store(std::this_thread::get_id());
        try {
            Execute();
        } catch (...) {
            // A worker's own errors end the worker, never the process.
        }
        fFinished.store(true);
        WakeMainThread();
    });
}

void Thread::WaitFor()
{
    if (!fThread.joinable() || IsCurrent())
        return;
    if (IsGuiThread())
        WaitOnGuiThread([this] { return fFinished.load(); });
    fThread.join();
}

void Thread::StopAndWait()
{
    Terminate();
    WaitFor();
}

void JoinWhenFinished(std::unique_ptr<Thread> thread)
{
    if (!thread)
        return;
    std::lock_guard lock(deferred().mutex);
    deferred().threads.push_back(std::move(thread));
}

void JoinFinishedThreads()
{
    std::vector<std::unique_ptr<Thread>> ended;
    {
        Deferred& d = deferred();
        std::lock_guard lock(d.mutex);
        const auto running = std::stable_partition(d.threads.begin(), d.threads.end(),
                                                   [](const std::unique_ptr<Thread>& t) { return !t->Finished(); });
        std::move(running, d.threads.end(), std::back_inserter(ended));
        d.threads.erase(running, d.threads.end());
    }
    // Freed outside the lock: joining an ended thread returns at once.
}

} // namespace runtime
