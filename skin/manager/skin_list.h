#pragma once
// TkxSkinListController: the skins a user may choose from, with their
// preview pictures. UpdateData lists the internal skins (SkinsFilter holds
// sfiInternal) and every packed file of the skin directory (sfiExternal):
// only names ending exactly in ".skz", no directories, no names starting
// with "."; a file's entry is its name without ".skz". The manager tells the
// list when its skin changed, so a view can mark the current entry.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace skin {

class TkSkinManager;

struct TkxSkinListItem {
    QString Name;
    bool Internal = false;
    QString FileName;     // packed file of an external skin
    QByteArray Preview;   // the preview image file as stored; empty without one
    QImage PreviewImage() const { return QImage::fromData(Preview); }
};

class TkxSkinListController {
public:
    explicit TkxSkinListController(TkSkinManager* Manager);

    void UpdateData();
    const std::vector<TkxSkinListItem>& Items() const { return fItems; }
    int IndexOf(const QString& Name) const;
    // The entry of the manager's current skin, -1 when it is not listed.
    int CurrentIndex() const;
    // Called by the manager whenever its skin name was set.
    void SkinChanged();

    std::function<void()> OnChanged;

private:
    TkSkinManager* fManager;
    std::vector<TkxSkinListItem> fItems;
};

} // namespace skin
