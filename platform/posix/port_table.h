#pragma once
// Handles are slot numbers with a generation count, so a stale handle never
// reaches a port opened later in the same slot.

#include "platform/posix/port.h"
#include "platform/serial.h"

#include <memory>
#include <mutex>
#include <vector>

namespace platform::posix {

class PortTable {
public:
    static PortTable& Instance();

    Handle Add(std::shared_ptr<Port> port);
    std::shared_ptr<Port> Find(Handle h) const;
    std::shared_ptr<Port> Remove(Handle h);

private:
    struct Slot {
        std::uint32_t generation = 0;
        std::shared_ptr<Port> port;
    };
    static constexpr int kIndexBits = 16;
    static constexpr Handle kIndexMask = (Handle{1} << kIndexBits) - 1;

    const Slot* Lookup(Handle h) const;

    mutable std::mutex fMutex;
    std::vector<Slot> fSlots;
};

} // namespace platform::posix
