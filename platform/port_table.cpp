#include "platform/port_table.h"

namespace platform {

PortTable& PortTable::Instance()
{
    static PortTable table;
    return table;
}

Handle PortTable::Add(std::shared_ptr<PortDevice> port)
{
    std::lock_guard lock(fMutex);
    std::size_t index = 0;
    while (index < fSlots.size() && fSlots[index].port)
        ++index;
    if (index > static_cast<std::size_t>(kIndexMask))
        return kInvalidHandle;
    if (index == fSlots.size())
        fSlots.emplace_back();
    Slot& slot = fSlots[index];
    // Generations wrap within 31 bits so a handle stays positive and never all ones.
    slot.generation = (slot.generation + 1) & 0x7FFFFFFFu;
    if (slot.generation == 0)
        slot.generation = 1;
    slot.port = std::move(port);
    return (static_cast<Handle>(slot.generation) << kIndexBits) | static_cast<Handle>(index);
}

const PortTable::Slot* PortTable::Lookup(Handle h) const
{
    if (h <= 0)
        return nullptr;
    auto index = static_cast<std::size_t>(h & kIndexMask);
    auto generation = static_cast<std::uint32_t>(h >> kIndexBits);
    if (index >= fSlots.size() || fSlots[index].generation != generation || !fSlots[index].port)
        return nullptr;
    return &fSlots[index];
}

std::shared_ptr<PortDevice> PortTable::Find(Handle h) const
{
    std::lock_guard lock(fMutex);
    const Slot* slot = Lookup(h);
    return slot ? slot->port : nullptr;
}

std::shared_ptr<PortDevice> PortTable::Remove(Handle h)
{
    std::lock_guard lock(fMutex);
    const Slot* slot = Lookup(h);
    if (!slot)
        return nullptr;
    return std::move(fSlots[static_cast<std::size_t>(h & kIndexMask)].port);
}

} // namespace platform
