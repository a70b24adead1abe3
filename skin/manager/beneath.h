#pragma once
// What lies beneath a control: asked of its parent with KM_GETBACKGROUND. A
// skinned parent answers with a part of its image or a colour; a parent that
// does not answer gives the colour of its background role. The parent's own
// background colour is kept too: the disabled look replaces an answered key
// colour (0xFF00FF) with it.

#include "skin/render/skin_render.h"

class QWidget;

namespace skin {

TkBeneath QueryBeneath(const QWidget* Control);

} // namespace skin
