#pragma once
// TkImageList: pictures of one size that buttons take their glyphs from by
// index (a speed button's Images with ImageIndex, ImageIndexHot, ...).

#include <QImage>
#include <QObject>
#include <QSize>

#include <vector>

namespace skin {

class TkImageList : public QObject {
    Q_OBJECT
public:
    explicit TkImageList(QSize Size, QObject* parent = nullptr);

    QSize Size() const { return fSize; }
    int Count() const { return int(fImages.size()); }
    // Adds a picture, scaled to the list's size when it differs; its index.
    int Add(const QImage& Image);
    // The picture at Index, a null image when there is none.
    QImage Image(int Index) const;

private:
    QSize fSize;
    std::vector<QImage> fImages;
};

} // namespace skin
