#include "skin/internal/internal_skin.h"

#include <QFile>

// Resources of a static library must be registered by hand.
static void initResources() { Q_INIT_RESOURCE(fluxmira_internal_skin); }

namespace skin {
namespace {

QByteArray resource(const char* name)
{
    static const bool registered = (initResources(), true);
    (void)registered;
    QFile file(QStringLiteral(":/fluxmira/skin/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage glyph(const char* name)
{
    return QImage::fromData(resource(name), "PNG").convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QByteArray InternalSkinArchive()
{
    static const QByteArray archive = resource("internal_skin.skz");
    return archive;
}

TkStoredSkin InternalStoredSkin()
{
    TkStoredSkin stored;
    stored.Name = QString::fromLatin1(kInternalSkinName);
    stored.PackedData = InternalSkinArchive();
    stored.Shadow1Color = 0;
    stored.Shadow1Offset = 0;
    stored.Shadow1Transparency = 0;
    stored.Version = 10;
    stored.Author = QStringLiteral("Fluxmira");
    stored.Description = QStringLiteral("Calm light skin of the Fluxmira window");
    stored.OrigName = QStringLiteral("Fluxmira.skz");
    return stored;
}

QImage ZeroButtonGlyph() { return glyph("zero_glyph.png"); }

QImage CalButtonGlyph() { return glyph("cal_glyph.png"); }

} // namespace skin
