#pragma once
// A wait of a number of milliseconds on the 32-bit tick count. It compares
// the time elapsed since its start, so the wrap of the tick count after 49.7
// days neither ends a wait early nor makes it endless.

#include "runtime/tick.h"

#include <cstdint>

namespace comm {

class TickDeadline {
public:
    explicit TickDeadline(std::uint32_t ms, std::uint32_t start = runtime::GetTickCount())
        : fStart(start), fMs(ms) {}

    bool Passed(std::uint32_t now = runtime::GetTickCount()) const { return now - fStart > fMs; }

private:
    std::uint32_t fStart;
    std::uint32_t fMs;
};

} // namespace comm
