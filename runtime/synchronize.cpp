#include "runtime/synchronize.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
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

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the GUI thread; a posted event makes the event loop drain the queue.
class Drainer : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != kDrainEvent)
            return QObject::event(e);
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
    QCoreApplication::postEvent(drainer(), new QEvent(kDrainEvent));

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

void WaitOnGuiThread(const std::function<bool()>& pred)
{
    for (;;) {
        CheckSynchronize();
        std::unique_lock lock(gMutex);
        const std::uint64_t seen = gWakeCount;
        lock.unlock();
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
