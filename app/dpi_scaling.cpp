#include "app/dpi_scaling.h"

#include <QScreen>
#include <QWidget>

#include <cmath>

namespace app {

int Scale_For_Ppi(int designValue, int ppi)
{
    // Exact integer arithmetic: the tie test must not depend on floating point.
    const long long n = static_cast<long long>(designValue) * ppi;
    long long q = n / kDesignPpi;
    long long r = n % kDesignPpi;
    if (r < 0) {
        r += kDesignPpi;
        --q;
    }
    if (2 * r > kDesignPpi || (2 * r == kDesignPpi && q % 2 != 0))
        ++q;
    return static_cast<int>(q);
}

Bounds Scale_Bounds(const Bounds& d, int ppi)
{
    return {Scale_For_Ppi(d.left, ppi), Scale_For_Ppi(d.top, ppi), Scale_For_Ppi(d.width, ppi),
            Scale_For_Ppi(d.height, ppi)};
}

int Widget_Ppi(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        return kDesignPpi;
    return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
}

} // namespace app
