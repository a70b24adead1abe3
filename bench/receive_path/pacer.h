#pragma once
// A far end that writes at a steady pace, the way a USB serial adapter
// hands its packets to the driver: each packet is one write().

#include "far_end.h"

#include <cstdint>
#include <random>
#include <string>

namespace bench {

struct PaceProfile {
    std::string name;
    double bytesPerSecond = 0;
    std::size_t minWrite = 1;  // each write's size is drawn evenly from [minWrite, maxWrite]
    std::size_t maxWrite = 1;
};

struct PaceResult {
    std::uint64_t sent = 0;
    std::uint64_t writes = 0;
    std::uint64_t lateWrites = 0;  // written after their time because the pacer woke late
};

// Writes for `seconds` on the calling thread. A pacer that wakes late writes
// the packets it owes at once, each still on its own.
PaceResult Pace(FarEnd& far, const PaceProfile& profile, double seconds, std::mt19937& random);

} // namespace bench
