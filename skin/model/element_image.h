#pragma once
// Cutting the state images of elements out of their bitmaps, for drawing.

#include "skin/model/skin_model.h"

namespace skin {

// One state image (column, limited to ImageCount - 1) of element MaskIndex as
// ARGB32_Premultiplied with its transparency applied: the key colour 0xFF00FF
// clear for mask type 0, the mask row for mask types >= 1, the image's own
// alpha for 32-bit files. Null when the index is not valid or the element
// has no size. The piece is clipped to the bitmap (a rectangle reaching
// outside it gives a smaller image), and mask pixels missing count as clear.
QImage ElementImage(const TkSkinModel& Model, int MaskIndex, int Column);

// The same for a section's border element in a state (the state limited to
// the section's States - 1); null when the section has no border.
QImage SectionBorderImage(const TkSkinModel& Model, int SkinIndex, int State);

} // namespace skin
