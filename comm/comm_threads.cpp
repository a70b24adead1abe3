#include "comm/comm_threads.h"

#include "comm/custom_comm.h"
#include "runtime/synchronize.h"
#include "runtime/tick.h"

#include <QPointer>

namespace comm {

// --- message thread ---------------------------------------------------------

bool TMsgThread::Post(std::uint32_t message, std::uintptr_t wParam)
{
    return fQueue.Post({message, wParam, 0});
}

void TMsgThread::RequestEnd()
{
    Terminate();
    Post(cmCommMsgQuitComEvent, 0);
}

void TMsgThread::Execute()
{
    if (!Com)
        return;
    // Terminated() is looked at only after Get(), which waits while a handed-over
    // event still runs: the thread never ends with its hand-over pending. It
    // is looked at before the component, which may be gone once it is set.
    for (;;) {
        if (!fQueue.Get(glMsg) || Terminated() || !Com->IsOpen())
            break;
        if (glMsg.message == cmCommMsgQuitComEvent)
            break;
        if (glMsg.message == cmCommMsgComEvent) {
            DropRepeats(glMsg);
            Process(glMsg);
        }
    }
    // Nobody reads the queue any more: let the event thread's posts fail.
    fQueue.Close();
}

// Arrivals queued behind this one would only find what this one reads.
void TMsgThread::DropRepeats(const runtime::ThreadMessage& message)
{
    if (message.wParam != platform::EV_RXCHAR)
        return;
    fQueue.DropFront([](const runtime::ThreadMessage& m) {
        return m.message == cmCommMsgComEvent && m.wParam == platform::EV_RXCHAR;
    });
}

void TMsgThread::Process(const runtime::ThreadMessage& message)
{
    if (!runtime::HasApplication() || !Com->UseMainThread()) {
        try {
            Com->ProcessCommEvent(message);
        } catch (...) {
            // Only an OnFatalError handler can raise here; later events go on.
        }
        return;
    }
    // The next Get() waits until the GUI thread has run this event, so events
    // are still processed one at a time; the wait for the hand-over and the
    // wait for the next message are one sleep instead of two.
    fQueue.Hold();
    runtime::QueueForGuiThread([this, message] {
        struct Leave {
            TMsgThread& thread;
            ~Leave() { thread.fQueue.Release(); }
        } leave{*this};
        // A hand-over that runs after this thread was asked to end does nothing.
        if (Terminated())
            return;
        // A handler may destroy the component meanwhile.
        const QPointer<TcmCustomComm> alive(Com);
        Com->fHandOverDepth.fetch_add(1);
        struct Depth {
            const QPointer<TcmCustomComm>& com;
            ~Depth()
            {
                if (com)
                    com->fHandOverDepth.fetch_sub(1);
            }
        } depth{alive};
        try {
            Com->ProcessCommEvent(message);
        } catch (...) {
            // As above.
        }
    });
}

// --- event thread -----------------------------------------------------------

void TCommThread::RequestEnd()
{
    Terminate();
    ovl.Set();
}

void TCommThread::Execute()
{
    if (hDevice == platform::kInvalidHandle)
        return;
    do {
        std::uint32_t mask = 0;
        if (!platform::WaitCommEvent(hDevice, mask, &ovl)) {
            if (WaitFailed(mask))
                break;
            mask = 0;
        }
        if (mask != 0) {
            GatherStream(mask);
            PostMask(mask);
        }
    } while (!Terminated() && Com->IsOpen());
}

void TCommThread::GatherStream(std::uint32_t mask)
{
    const auto now = StreamGathering::Clock::now();
    const bool arrival = (mask & platform::EV_RXCHAR) != 0;
    if (!fGathering.ShouldWait(arrival, Com->fSendsBegun.load(), Com->BytesReceived(), now)) {
        fGathering.Posted(now);
        return;
    }
    // Ending the thread ends the wait.
    ovl.Wait(std::uint32_t(StreamGathering::kWait.count()));
    fGathering.Posted(StreamGathering::Clock::now());
}

// Returns true when the thread has to leave its loop.
bool TCommThread::WaitFailed(std::uint32_t mask)
{
    const platform::ErrorCode error = platform::GetLastError();
    if (Terminated() || error == platform::kErrorInvalidHandle)
        return true;
    if (error == platform::kErrorOperationAborted)
        return false;
    if (error == platform::kErrorInvalidParameter && mask == 0) {
        runtime::Sleep(1);  // retried, but never as a busy loop
        return false;
    }
    Com->DropConnection(false);
    return true;
}

void TCommThread::PostMask(std::uint32_t mask)
{
    while (!Terminated()) {
        if (!Com->IsOpen())
            return;
        if (fMsgThread->Post(cmCommMsgComEvent, mask))
            return;
        if (fMsgThread->Finished())
            return;
        runtime::Sleep(0);
    }
}

} // namespace comm
