#pragma once
// The 140 x 100 picture the skin list shows for one of our skins.

#include "tools/skin_gen/pieces.h"

#include <QImage>

namespace skin_gen {

QImage SkinPreview(const Tones& Colours);

} // namespace skin_gen
