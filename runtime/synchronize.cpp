#include "runtime/synchronize.h"

#include "runtime/thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>

namespace runtime {
namespace {

struct Pending {
    const std::function<void()>* fn = nullptr;
    std::exception_ptr error;
    bool done = false;
};

std::mutex gMutex;
std::condition_variable gGuiWake;   // GUI thread waiting in WaitOnGuiThread
std::condition_variable gDoneWake;  // workers waiting for their call
std::deque<Pending*> gQueue;
std::uint64_t gWakeCount = 0;

// Asks the GUI thread's event loop to run the queued hand-overs. The request
// is a queued call on the application object, which lives on the GUI thread:
// nothing is created or parented from the worker.
void requestDrain()
{
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] {
            CheckSynchronize();
            JoinFinishedThreads();
        }, Qt::QueuedConnection);
}

} // namespace

bool HasApplication()
{
    return QCoreApplication::instance() != nullptr;
}

bool IsGuiThread()
{
    auto* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void Synchronize(const std::function<void()>& fn)
{
    if (!HasApplication() || IsGuiThread()) {
        fn();
        return;
    }
    Pending pending;
    pending.fn = &fn;
    {
        std::lock_guard lock(gMutex);
        gQueue.push_back(&pending);
        ++gWakeCount;
    }
    gGuiWake.notify_all();
    requestDrain();

    std::unique_lock lock(gMutex);
    gDoneWake.wait(lock, [&] { return pending.done; });
    if (pending.error)
        std::rethrow_exception(pending.error);
}

bool CheckSynchronize()
{
    bool ranAny = false;
    for (;;) {
        Pending* next = nullptr;
        {
            std::lock_guard lock(gMutex);
            if (gQueue.empty())
                return ranAny;
            next = gQueue.front();
            gQueue.pop_front();
        }
        try {
            (*next->fn)();
        } catch (...) {
            next->error = std::current_exception();
        }
        {
            std::lock_guard lock(gMutex);
            next->done = true;
        }
        gDoneWake.notify_all();
        ranAny = true;
    }
}

// The wake count is read before the queue is drained: a hand-over queued
// after the drain has raised the count past what was read, so the sleep
// below ends at once instead of both threads waiting for each other.
void WaitOnGuiThread(const std::function<bool()>& pred)
{
    for (;;) {
        std::unique_lock lock(gMutex);
        const std::uint64_t seen = gWakeCount;
        lock.unlock();
        CheckSynchronize();
        if (pred())
            return;
        lock.lock();
        gGuiWake.wait(lock, [&] { return gWakeCount != seen || !gQueue.empty(); });
    }
}

void WakeMainThread()
{
    {
        std::lock_guard lock(gMutex);
        ++gWakeCount;
    }
    gGuiWake.notify_all();
}

} // namespace runtime
