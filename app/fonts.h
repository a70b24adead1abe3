#pragma once
// The stored form's fonts on this platform. "Arial Unicode MS" and
// "Arial Black" are not free; they are replaced by fonts from the system's
// free packages: Liberation Sans (metrically compatible with Arial, with
// Cyrillic and the numero sign) and, for the heavy face, the bold weight of
// DejaVu Sans asked for as Black.

#include "app/control_table.h"

#include <QFont>

namespace app {

// Registers the replacements with Qt's font matching; once per process.
void Install_Font_Substitutes();

// The font of a stored font description at the given resolution (height scaled like bounds).
QFont Make_Font(const FontSpec& desc, int ppi);

} // namespace app
