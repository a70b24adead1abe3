#include "app/fonts.h"

#include "app/dpi_scaling.h"

#include <QString>
#include <QStringList>

#include <cstring>

namespace app {

void Install_Font_Substitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitutions("Arial Unicode MS", QStringList{"Liberation Sans", "DejaVu Sans"});
        QFont::insertSubstitutions("Arial Black", QStringList{"DejaVu Sans", "Liberation Sans"});
        return true;
    }();
    (void)installed;
}

QFont Make_Font(const FontSpec& spec, int ppi)
{
    Install_Font_Substitutes();
    QFont font(QString::fromUtf8(spec.family));
    font.setPixelSize(Scale_For_Ppi(spec.height, ppi));
    const bool heavy = std::strcmp(spec.family, "Arial Black") == 0;
    font.setWeight(heavy ? QFont::Black : spec.bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace app
