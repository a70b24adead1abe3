#pragma once
// Layout for the screen's resolution: design values at 96 ppi become
// Round(ppi * value / 96), ties to even.
//
// Qt already scales logical pixels by the screen's device pixel ratio, so the
// ppi used here is the screen's logical dots per inch, which Qt reports as 96
// whenever its own scaling covers the screen's resolution. Only a resolution
// Qt leaves unscaled (high-DPI scaling switched off, or a fractional factor
// Qt rounds) reaches this function, and nothing is scaled twice.

#include "app/control_table.h"

class QWidget;

namespace app {

int Scale_For_Ppi(int designValue, int ppi);
Bounds Scale_Bounds(const Bounds& design, int ppi);

// The pixels per inch of the screen the widget is on (kDesignPpi without one).
int Widget_Ppi(const QWidget* widget);

} // namespace app
