#pragma once
// The two receive threads of an open serial port. The event thread waits for
// the driver's comm events and posts each mask to the message thread, which
// processes one event at a time: on the GUI thread through the synchronous
// hand-over when the component's UseMainThread is on, else on itself.

#include "comm/stream_gathering.h"
#include "platform/serial.h"
#include "runtime/message_queue.h"
#include "runtime/thread.h"

#include <cstdint>

namespace comm {

class TcmCustomComm;

class TMsgThread : public runtime::Thread {
public:
    explicit TMsgThread(TcmCustomComm* com) : Com(com) {}
    ~TMsgThread() override { StopAndWait(); }

    bool Post(std::uint32_t message, std::uintptr_t wParam);
    // Asks the thread to end: the flag plus a quit message that wakes it.
    void RequestEnd();

protected:
    void Execute() override;

private:
    void DropRepeats(const runtime::ThreadMessage& message);
    void Process(const runtime::ThreadMessage& message);

    TcmCustomComm* Com;
    runtime::MessageQueue fQueue;
    runtime::ThreadMessage glMsg;
};

class TCommThread : public runtime::Thread {
public:
    TCommThread(TcmCustomComm* com, platform::Handle device, TMsgThread* msgThread)
        : Com(com), hDevice(device), fMsgThread(msgThread) {}
    ~TCommThread() override { StopAndWait(); }

    // Asks the thread to end: the flag plus the cancel event that ends its wait.
    void RequestEnd();

protected:
    void Execute() override;

private:
    bool WaitFailed(std::uint32_t mask);
    // Lets the bytes of a running stream gather before they are posted.
    void GatherStream(std::uint32_t mask);
    void PostMask(std::uint32_t mask);

    TcmCustomComm* Com;
    platform::Handle hDevice;
    TMsgThread* fMsgThread;
    platform::Event ovl;
    StreamGathering fGathering;
};

} // namespace comm
