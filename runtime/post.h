#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>

#include <mutex>
#include <utility>

namespace runtime {

// Qt orders a queued call or a posted event before its delivery with locks
// inside its own libraries, which ThreadSanitizer does not see: to it, a
// worker thread writing the call's captures and the receiving thread reading
// them looks like a race. Posts from our threads go through these helpers,
// which order post and delivery with a lock it does see. The lock is held
// only while Qt queues the post and, briefly, at delivery.
std::mutex& PostOrder();

// Called on delivery, before the posted data is read: waits until the post
// that carried it has left Qt's queue call.
void AcceptPosted();

// Queues fn for context's thread; it is dropped if context is destroyed first.
template <class F>
void PostCall(QObject* context, F&& fn)
{
    std::lock_guard lock(PostOrder());
    QMetaObject::invokeMethod(
        context,
        [fn = std::forward<F>(fn)]() mutable {
            AcceptPosted();
            fn();
        },
        Qt::QueuedConnection);
}

// Posts an event to receiver; its handler calls AcceptPosted() before it
// reads the event's own data.
void PostEvent(QObject* receiver, QEvent* event);

} // namespace runtime
