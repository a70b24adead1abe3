#include "runtime/synchronize.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
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

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the GUI thread; a posted event makes the event loop drain the queue.
class Drainer : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != kDrainEvent)
            return QObject::event(e);
        // Cleared before draining, so a hand-over queued after the drain has
        // looked at the queue posts again.
        gDrainPosted.store(false);
        CheckSynchronize();
        return true;
    }
};

// One drainer per application object; it dies with the application.
Drainer* drainer()
{
    static std::mutex creation;
    static QPointer<Drainer> instance;
    std::lock_guard lock(creation);
    if (!instance) {
        auto* app = QCoreApplication::instance();
        instance = new Drainer;
        instance->moveToThread(app->thread());
        instance->setParent(app);
    }
    return instance;
}

void Enqueue(std::function<void()> fn)
{
    {
        std::lock_guard lock(gMutex);
        gQueue.push_back(std::move(fn));
        ++gWakeCount;
    }
    gGuiWake.notify_all();
    if (!gDrainPosted.exchange(true))
        QCoreApplication::postEvent(drainer(), new QEvent(kDrainEvent));
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

void WaitOnGuiThread(const std::function<bool()>& pred)
{
    for (;;) {
        // The counter is read before the queue is drained: a hand-over queued
        // after the drain then changes it, and the wait below returns at once.
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
