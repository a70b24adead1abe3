#include "skin/archive/stored_skin.h"

#include "runtime/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace skin {
namespace {

void showError(const QString& text)
{
    runtime::ShowMessageBox(text.toStdString(), "Fluxmira", runtime::BoxIcon::Error);
}

QString normalisedDir(QString dir)
{
    if (dir.endsWith(u'\\'))
        dir.chop(1);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

bool ExtractByIndex(const TkStoredSkin& Skin, const QString& DestDir)
{
    const QString dir = normalisedDir(DestDir);
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
        showError(dir + QStringLiteral(" directory creation error."));
        return false;
    }
    if (Skin.PackedData.isNull())
        return false;
    QFile file(dir + Skin.Name + QStringLiteral(" extracted.skz"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(Skin.PackedData) == Skin.PackedData.size();
}

void ExtractInternalSkin(const TkStoredSkins& Skins, const QString& NameOfSkin, const QString& DestDir)
{
    bool found = false;
    for (const TkStoredSkin& skin : Skins) {
        if (skin.Name != NameOfSkin)
            continue;
        found = true;
        if (QFileInfo(DestDir).isDir())
            ExtractByIndex(skin, DestDir);
        else
            showError(QStringLiteral("Directory does not exists."));
    }
    if (!found)
        showError(QStringLiteral("Skin does not exists."));
}

} // namespace skin
