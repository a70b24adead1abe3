#include "skin/controls/image_list.h"

namespace skin {

TkImageList::TkImageList(QSize size, QObject* parent) : QObject(parent), fSize(size) {}

int TkImageList::Add(const QImage& image)
{
    QImage picture = image.size() == fSize ? image : image.scaled(fSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fImages.push_back(picture.convertToFormat(QImage::Format_ARGB32));
    return Count() - 1;
}

QImage TkImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? fImages[std::size_t(index)] : QImage();
}

} // namespace skin
