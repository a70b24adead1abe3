#include "skin/resources/startup_resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

// Resources of a static library must be registered by hand.
static void initStartupResources() { Q_INIT_RESOURCE(fluxmira_startup_resources); }

namespace skin {
namespace {

QImage image(const char* name)
{
    return QImage::fromData(StartupResource(name), "PNG").convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QByteArray StartupResource(const char* name)
{
    static const bool registered = (initStartupResources(), true);
    (void)registered;
    QFile file(QStringLiteral(":/fluxmira/startup/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SymbolFontFamily()
{
    static QString family;
    static bool tried = false;
    if (tried || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return family;
    tried = true;
    const int id = QFontDatabase::addApplicationFontFromData(StartupResource("KXFONT"));
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (!families.isEmpty())
        family = families.front();
    return family;
}

const TkHintTemplate& DefaultHintTemplate()
{
    static const TkHintTemplate hint{image("KXHINT")};
    return hint;
}

const QImage& FormShadowTemplate(bool active)
{
    static const QImage shadows[2] = {image("kxSHDI"), image("kxSHDA")};
    return shadows[active ? 1 : 0];
}

} // namespace skin
