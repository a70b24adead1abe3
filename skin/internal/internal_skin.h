#pragma once
// The program's own internal skin, compiled in as a Qt resource, and the two
// glyphs of the main window's measuring buttons drawn in the same style.

#include "skin/archive/stored_skin.h"

#include <QByteArray>
#include <QImage>

namespace skin {

// The name the main window stores its internal skin under.
inline constexpr const char* kInternalSkinName = "Fluxmira (internal)";

// The whole "SKzf" archive of the internal skin, byte for byte.
QByteArray InternalSkinArchive();

// The internal skin as the main window stores it: name, archive bytes and
// its stored values (black shadow, offset 0, transparency 0, version 10).
TkStoredSkin InternalStoredSkin();

// 32 x 32, alpha: two arrows meeting at a vertical bar above the word ZERO.
QImage ZeroButtonGlyph();
// 20 x 20, alpha: a black downward triangle under a bar.
QImage CalButtonGlyph();

} // namespace skin
