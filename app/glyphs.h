#pragma once
// The pictures of the two glyph buttons, drawn rather than stored.

#include <QPixmap>

namespace app {

// 32x32: two arrows meeting at a vertical bar above the word ZERO.
QPixmap Zero_Glyph();
// 20x20: a black downward triangle under a bar.
QPixmap Cal_Glyph();

} // namespace app
