#include "runtime/thread.h"

#include "runtime/synchronize.h"

namespace runtime {

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

} // namespace runtime
