#pragma once
// The 140 x 100 picture the skin list shows for the internal skin.

#include <QImage>

namespace skin_gen {

QImage SkinPreview();

} // namespace skin_gen
