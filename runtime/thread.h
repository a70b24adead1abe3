#pragma once
// A worker thread object: created suspended, asked to end through a flag, and
// waited for. Waiting on the GUI thread keeps running pending hand-overs
// (Synchronize), so a worker that hands a call over while the GUI thread waits
// for it cannot deadlock.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace runtime {

class Thread {
public:
    Thread() = default;
    virtual ~Thread();  // asks the thread to end and waits for it

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Start();                  // runs Execute() on a new thread; once
    void Terminate() { fTerminated.store(true); }
    bool Terminated() const { return fTerminated.load(); }
    bool Finished() const { return fFinished.load(); }
    void WaitFor();                // joins; on the GUI thread drains hand-overs meanwhile
    // Set by the thread itself first thing, so it holds even before Start() returns.
    bool IsCurrent() const { return std::this_thread::get_id() == fId.load(); }

protected:
    virtual void Execute() = 0;
    // Subclasses call this from their destructor so Execute() is never running
    // against a half-destroyed object.
    void StopAndWait();

private:
    std::thread fThread;
    std::atomic<std::thread::id> fId{};
    std::atomic<bool> fTerminated{false};
    std::atomic<bool> fFinished{false};
};

// Takes a thread that cannot be waited for now, typically one that is
// waiting for the caller (a hand-over the GUI thread is still running), and
// joins and frees it once it has ended: at a later pump point of the GUI
// thread (JoinFinishedThreads) or at exit.
void JoinWhenFinished(std::unique_ptr<Thread> thread);
// Joins and frees the threads given to JoinWhenFinished that have ended.
void JoinFinishedThreads();

} // namespace runtime
