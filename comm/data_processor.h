#pragma once
// What an I/O component needs of the data processor attached to it. The
// processors themselves (chaining, sending, timeouts) live in dataproc/.

#include "comm/comm_types.h"
#include "runtime/component.h"

#include <cstdint>

namespace comm {

class TcmCustomDataProcessor : public runtime::Component {
    Q_OBJECT
public:
    using runtime::Component::Component;

    // Attaches the processor to a port (nullptr detaches it).
    virtual void SetDevice(TcmBaseIO* io) = 0;
    // Sees every received chunk before the port's own receive event; r tells
    // the port what to skip for this chunk.
    virtual void DoProcessing(const std::uint8_t* data, std::uint32_t len, TIgnoreTypes& r) = 0;
    // The port's output queue ran empty; flIgnore = true keeps OnAfterSend quiet.
    virtual void DoAfterSendComplete(bool& flIgnore) = 0;
};

} // namespace comm
