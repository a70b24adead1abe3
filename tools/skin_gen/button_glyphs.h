#pragma once
// The two glyphs of the main window's measuring buttons.

#include <QImage>

namespace skin_gen {

// 32 x 32: two arrows meeting at a vertical bar, above the word ZERO.
QImage ZeroGlyph();
// 20 x 20: a black downward triangle under a bar.
QImage CalGlyph();

} // namespace skin_gen
