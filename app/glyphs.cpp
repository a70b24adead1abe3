#include "app/glyphs.h"

#include "skin/internal/internal_skin.h"

namespace app {

// The pictures live with the internal skin, so the window and the skin show the same glyphs.
QPixmap Zero_Glyph()
{
    return QPixmap::fromImage(skin::ZeroButtonGlyph());
}

QPixmap Cal_Glyph()
{
    return QPixmap::fromImage(skin::CalButtonGlyph());
}

} // namespace app
