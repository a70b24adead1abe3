#pragma once
// The serial port component a window uses: everything is on its bases.

#include "comm/custom_serial_comm.h"

namespace comm {

class TcmComm : public TcmCustomSerialComm {
    Q_OBJECT
public:
    explicit TcmComm(QObject* owner = nullptr) : TcmCustomSerialComm(owner) {}
    ~TcmComm() override { Shutdown(); }
};

} // namespace comm
