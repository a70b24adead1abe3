#include "skin/manager/skin_list.h"

#include "skin/archive/skin_archive.h"
#include "skin/manager/skin_manager.h"

#include <QDir>
#include <QFileInfo>

namespace skin {

TkxSkinListController::TkxSkinListController(TkSkinManager* manager) : fManager(manager) {}

void TkxSkinListController::UpdateData()
{
    fItems.clear();
    if (fManager->SkinsFilter() & sfiInternal) {
        for (const TkStoredSkin& stored : fManager->InternalSkins()) {
            TkxSkinListItem item{stored.Name, true, {}, {}};
            ExtractSkinPreview(item.Preview, stored.PackedData);
            fItems.push_back(std::move(item));
        }
    }
    if (fManager->SkinsFilter() & sfiExternal) {
        const QDir dir(fManager->GetFullSkinDirectory());
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString name = info.fileName();
            if (name.startsWith(u'.') || !name.endsWith(QStringLiteral(".skz"), Qt::CaseSensitive))
                continue;
            TkxSkinListItem item{name.chopped(4), false, info.filePath(), {}};
            LoadSkinPreviewFromFile(item.Preview, item.FileName);
            fItems.push_back(std::move(item));
        }
    }
    if (OnChanged)
        OnChanged();
}

int TkxSkinListController::IndexOf(const QString& name) const
{
    for (std::size_t i = 0; i < fItems.size(); ++i) {
        if (fItems[i].Name == name)
            return int(i);
    }
    return -1;
}

int TkxSkinListController::CurrentIndex() const { return IndexOf(fManager->SkinName()); }

void TkxSkinListController::SkinChanged()
{
    if (OnChanged)
        OnChanged();
}

} // namespace skin
