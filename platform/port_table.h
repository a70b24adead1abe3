#pragma once
// Handles are slot numbers with a generation count, so a stale handle never
// reaches a port opened later in the same slot.
// The table holds devices of every kind (OS ports, in-process ports), so
// each call dispatches on the handle it is given.

#include "platform/port_device.h"
#include "platform/serial.h"

#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class PortTable {
public:
    static PortTable& Instance();

    Handle Add(std::shared_ptr<PortDevice> port);
    std::shared_ptr<PortDevice> Find(Handle h) const;
    std::shared_ptr<PortDevice> Remove(Handle h);

private:
    struct Slot {
        std::uint32_t generation = 0;
        std::shared_ptr<PortDevice> port;
    };
    static constexpr int kIndexBits = 16;
    static constexpr Handle kIndexMask = (Handle{1} << kIndexBits) - 1;

    const Slot* Lookup(Handle h) const;

    mutable std::mutex fMutex;
    std::vector<Slot> fSlots;
};

} // namespace platform
