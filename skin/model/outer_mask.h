#pragma once
// The soft edge used by the outer effects whose source is 2 or more.

#include "skin/model/types.h"

namespace skin {

// An 11 x 22 blur edge: an image row painted with the effect's side colours
// above a mask row (black opaque, white clear), as a border element of one image.
QImage BuildOuterMask(const TkxOutEffData& Effect);

} // namespace skin
