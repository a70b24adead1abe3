#include "runtime/synchronize.h"

#include "runtime/post.h"
#include "runtime/thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>

namespace runtime {
namespace {

std::mutex gMutex;
std::condition_variable gGuiWake;   // GUI thread waiting in WaitOnGuiThread
std::condition_variable gDoneWake;  // workers waiting in Synchronize
std::deque<std::function<void()>> gQueue;
std::uint64_t gWakeCount = 0;
// A drain event is on its way: later hand-overs ride on it instead of
// posting one each.
std::atomic<bool> gDrainPosted{false};

// Asks the GUI thread's event loop to run the queued hand-overs, once for
// all hand-overs queued until it does. The request is a queued call on the
// application object, which lives on the GUI thread: nothing is created or
// parented from the worker.
void requestDrain()
{
    if (gDrainPosted.exchange(true))
        return;
    PostCall(QCoreApplication::instance(), [] {
        // Cleared before draining, so a hand-over queued after the drain has
        // looked at the queue posts again.
        gDrainPosted.store(false);
        CheckSynchronize();
        JoinFinishedThreads();
    });
}

void Enqueue(std::function<void()> fn)
{
    {
        std::lock_guard lock(gMutex);
        gQueue.push_back(std::move(fn));
        ++gWakeCount;
    }
    gGuiWake.notify_all();
    requestDrain();
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

void QueueForGuiThread(std::function<void()> fn)
{
    if (!HasApplication() || IsGuiThread()) {
        fn();
        return;
    }
    Enqueue(std::move(fn));
}

void Synchronize(const std::function<void()>& fn)
{
    if (!HasApplication() || IsGuiThread()) {
        fn();
        return;
    }
    std::exception_ptr error;
    bool done = false;
    Enqueue([&] {
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(gMutex);
            done = true;
        }
        // The waiter may be gone as soon as the lock is released: only globals from here.
        gDoneWake.notify_all();
    });
    std::unique_lock lock(gMutex);
    gDoneWake.wait(lock, [&] { return done; });
    lock.unlock();
    if (error)
        std::rethrow_exception(error);
}

bool CheckSynchronize()
{
    bool ranAny = false;
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(gMutex);
            if (gQueue.empty())
                return ranAny;
            next = std::move(gQueue.front());
            gQueue.pop_front();
        }
        next();
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
        gGuiWake.wait(lock, [&] { return gWakeCount != seen; });
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
