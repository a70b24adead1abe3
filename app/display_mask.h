#pragma once
// The three display masks of the reading and the intervals of |v| they cover.
// The bounds are held in extended precision and compared with the 64-bit value.

#include <optional>
#include <string>

namespace app {

struct DisplayMask {
    const char* pattern;   // "000.0", "00.00", "0.000"
    long double lower;     // lower <= |v| < upper
    long double upper;
};

// Top row first; ranges of the watts display offer a prefix of this list.
inline constexpr DisplayMask kDisplayMasks[] = {
    {"000.0", 99.99L, 999.9L},
    {"00.00", 9.999L, 99.99L},
    {"0.000", 0.999L, 9.999L},
};
inline constexpr int kDisplayMaskCount = 3;

// The first of the first `count` masks whose interval holds |v|; with
// openBelow the last of them also takes every smaller |v| down to 0.
std::optional<DisplayMask> Mask_For(double v, int count = kDisplayMaskCount, bool openBelow = false);

} // namespace app
