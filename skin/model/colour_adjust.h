#pragma once
// Hue, saturation and brightness adjustments of a loaded skin.

#include "skin/model/colors.h"

#include <QImage>

namespace skin {

class TkSkinModel;

// Hue offset in degrees, saturation and brightness in percent; 0 leaves a
// channel alone. System colour codes and the key colour are not changed.
TColor AdjustColour(TColor Colour, int HueOffset, int Saturation, int Brightness);
void AdjustImage(QImage& Image, int HueOffset, int Saturation, int Brightness);

// Applies the model's HueOffset, Saturation and Brightness, in that order, to
// the master bitmap, every image file and every colour of every section state.
void AdjustModelColours(TkSkinModel& Model);

} // namespace skin
