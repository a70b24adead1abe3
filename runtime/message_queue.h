#pragma once
// A blocking queue of thread messages, owned by the thread that reads it
// (the message thread of a serial port).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

namespace runtime {

struct ThreadMessage {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class MessageQueue {
public:
    // Always succeeds once constructed; returns false after Close().
    bool Post(const ThreadMessage& msg)
    {
        bool wake = false;
        {
            std::lock_guard lock(fMutex);
            if (fClosed)
                return false;
            fQueue.push_back(msg);
            wake = !fHeld;  // a held reader would only go back to sleep
        }
        if (wake)
            fWake.notify_one();
        return true;
    }

    // Blocks until a message arrives and the reader is not held; returns
    // false once closed and empty.
    bool Get(ThreadMessage& out)
    {
        std::unique_lock lock(fMutex);
        fWake.wait(lock, [this] { return !fHeld && (!fQueue.empty() || fClosed); });
        if (fQueue.empty())
            return false;
        out = fQueue.front();
        fQueue.pop_front();
        return true;
    }

    // Removes the messages at the front for which same(message) holds.
    template <class Pred>
    void DropFront(Pred same)
    {
        std::lock_guard lock(fMutex);
        while (!fQueue.empty() && same(fQueue.front()))
            fQueue.pop_front();
    }

    // The reader's next Get waits until Release(), whatever arrives meanwhile.
    // The reader holds itself while a call it handed on is still running, so
    // that one wait covers both "my call ran" and "the next message came".
    void Hold()
    {
        std::lock_guard lock(fMutex);
        fHeld = true;
    }

    // Called from another thread; the reader may end as soon as the lock is
    // released, so the wake-up happens under it. With nothing to read the
    // reader sleeps on until a post wakes it.
    void Release()
    {
        std::lock_guard lock(fMutex);
        fHeld = false;
        if (!fQueue.empty() || fClosed)
            fWake.notify_one();
    }

    void Close()
    {
        {
            std::lock_guard lock(fMutex);
            fClosed = true;
        }
        fWake.notify_all();
    }

private:
    std::mutex fMutex;
    std::condition_variable fWake;
    std::deque<ThreadMessage> fQueue;
    bool fClosed = false;
    bool fHeld = false;
};

} // namespace runtime
