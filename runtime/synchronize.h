#pragma once
// Synchronous hand-over of a call from a worker thread to the GUI thread.
//
// Synchronize() queues the call and blocks the worker until the GUI thread has
// run it. The GUI thread runs queued calls only at its pump points: whenever it
// processes its events (the idle loop included) and while it waits for a
// thread (Thread::WaitFor). An exception thrown by the call is rethrown in the
// worker. Hand-overs run in the order they were queued, one at a time.

#include <functional>

namespace runtime {

// True when a Qt application object exists.
bool HasApplication();

// True on the thread that owns the application object.
bool IsGuiThread();

// Runs fn on the GUI thread and waits for it. Called on the GUI thread itself,
// runs fn at once.
void Synchronize(const std::function<void()>& fn);

// Queues fn for the GUI thread like Synchronize, but returns at once: fn
// itself tells the caller that it ran. fn must not throw. Called on the GUI
// thread itself, runs fn at once.
void QueueForGuiThread(std::function<void()> fn);

// Runs every queued hand-over. GUI thread only; returns true when any ran.
bool CheckSynchronize();

// Blocks the GUI thread until pred() holds, running hand-overs as they arrive.
// pred is re-checked whenever WakeMainThread() is called.
void WaitOnGuiThread(const std::function<bool()>& pred);

// Wakes a GUI thread blocked in WaitOnGuiThread so it re-checks its predicate.
void WakeMainThread();

} // namespace runtime
