#pragma once
// The generic worker thread of an I/O component: runs the component's
// ThreadBody until asked to end. Errors inside it end the body quietly.

#include "runtime/thread.h"

namespace comm {

class TcmBaseIO;

class TcmThreadIO : public runtime::Thread {
public:
    explicit TcmThreadIO(TcmBaseIO* com) : fcmComm(com) {}
    ~TcmThreadIO() override { StopAndWait(); }

protected:
    void Execute() override;

private:
    TcmBaseIO* fcmComm;
};

} // namespace comm
