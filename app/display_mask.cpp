#include "app/display_mask.h"

#include <cmath>

namespace app {

std::optional<DisplayMask> Mask_For(double v, int count, bool openBelow)
{
    const long double magnitude = std::fabs(static_cast<long double>(v));
    for (int i = 0; i < count && i < kDisplayMaskCount; ++i) {
        const DisplayMask& mask = kDisplayMasks[i];
        const bool last = i == count - 1;
        const long double lower = openBelow && last ? 0.0L : mask.lower;
        if (magnitude >= lower && magnitude < mask.upper)
            return mask;
    }
    return std::nullopt;
}

} // namespace app
