#pragma once
// A control's own colour adjustments over its picture: a hue offset in
// degrees, a saturation change in percent and a colour tone, which keeps
// each pixel's lightness and takes the tone's hue and saturation. Pixels of
// the key colour 0xFF00FF and clear pixels are left as they are.

#include "skin/model/colors.h"

#include <QImage>

namespace skin {

// True when any of the three would change a picture.
bool HasTone(int HueOffset, int Saturation, TColor ColorTone);

// Hue and saturation first, then the tone (clNone: no tone).
void ApplyTone(QImage& Image, int HueOffset, int Saturation, TColor ColorTone);

} // namespace skin
