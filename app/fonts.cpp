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

QFont Make_Font(const FontSpec& desc, int ppi)
{
    Install_Font_Substitutes();
    QFont font(QString::fromUtf8(desc.family));
    font.setPixelSize(Scale_For_Ppi(desc.height, ppi));
    const bool heavy = std::strcmp(desc.family, "Arial Black") == 0;
    font.setWeight(heavy ? QFont::Black : desc.bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace app
