#include "skin/model/outer_mask.h"

#include <algorithm>
#include <cmath>

namespace skin {

QImage BuildOuterMask(const TkxOutEffData& Effect)
{
    // Odd, so that the half widths the loader gives the borders leave a
    // middle column and row to stretch along the edges.
    constexpr int size = 11;
    QImage image(size, 2 * size, QImage::Format_ARGB32);
    const double half = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Colour of the nearest side; opacity falls off from the centre outwards.
            const int dl = x, dt = y, dr = size - 1 - x, db = size - 1 - y;
            const int nearest = std::min({dl, dt, dr, db});
            const TColor c = nearest == dl ? Effect.ColorL
                : nearest == dt            ? Effect.ColorT
                : nearest == dr            ? Effect.ColorR
                                           : Effect.ColorB;
            image.setPixel(x, y, ToQColor(c).rgb());
            const double dx = std::max(0.0, std::abs(x + 0.5 - half) - 0.5);
            const double dy = std::max(0.0, std::abs(y + 0.5 - half) - 0.5);
            const double d = std::min(1.0, std::hypot(dx, dy) / (half - 0.5));
            const int clear = int(std::lround(255 * d * d));
            image.setPixel(x, size + y, qRgb(clear, clear, clear));
        }
    }
    return image;
}

} // namespace skin
