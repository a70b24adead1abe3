#include "desktop/app_identity.h"

#include <QDirIterator>
#include <QGuiApplication>

namespace desktop {

const char* AppId()
{
    return FLUXMIRA_APP_ID;
}

QIcon AppIcon()
{
    QIcon icon;
    QDirIterator sizes(":/fluxmira/icons", {QString(AppId()) + ".png"}, QDir::Files, QDirIterator::Subdirectories);
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}

void ApplyIdentity()
{
    // Wayland compositors find the entry (and so the icon) by this name.
    QGuiApplication::setDesktopFileName(AppId());
    QGuiApplication::setWindowIcon(AppIcon());
}

} // namespace desktop
