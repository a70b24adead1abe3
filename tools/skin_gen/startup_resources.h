#pragma once
// The resources the skinning layer registers when the process starts: the
// symbol font "KXFONT", the default hint frame "KXHINT" and the two form
// shadow templates "kxSHDA" (active) and "kxSHDI" (inactive).

#include <QByteArray>
#include <QImage>

namespace skin_gen {

// A TrueType font "Fluxmira Symbols" with the marks skinned menus and buttons
// draw: check mark, submenu and drop-down arrows, close, minimise, maximise.
QByteArray SymbolFont();

// The hint frame: borders 11, 10, 15, 14 (left, top, right, bottom), of which
// the outer 6, 5, 8, 7 are shadow; the text sits 11, 8, 15, 16 inside.
QImage HintFrame();

// A soft shadow around a clear window-sized centre, for forms with extended
// borders: darker for the active form than for an inactive one.
QImage FormShadow(bool Active);

} // namespace skin_gen
