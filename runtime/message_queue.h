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
        {
            std::lock_guard lock(fMutex);
            if (fClosed)
                return false;
            fQueue.push_back(msg);
        }
        fWake.notify_one();
        return true;
    }

    // Blocks until a message arrives; returns false once closed and empty.
    bool Get(ThreadMessage& out)
    {
        std::unique_lock lock(fMutex);
        fWake.wait(lock, [this] { return !fQueue.empty() || fClosed; });
        if (fQueue.empty())
            return false;
        out = fQueue.front();
        fQueue.pop_front();
        return true;
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
};

} // namespace runtime
