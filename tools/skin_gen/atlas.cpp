#include "tools/skin_gen/atlas.h"

#include <QPainter>

#include <stdexcept>

namespace skin_gen {
namespace {

const QRgb kKey = qRgb(255, 0, 255);

} // namespace

MasterAtlas::MasterAtlas(int width, int height) : fImage(width, height, QImage::Format_RGB32)
{
    fImage.fill(kKey);
}

QPoint MasterAtlas::reserve(QSize size)
{
    if (fShelfX + size.width() + 1 > fImage.width()) {
        fShelfX = 1;
        fShelfY += fShelfHeight + 1;
        fShelfHeight = 0;
    }
    if (fShelfY + size.height() + 1 > fImage.height() || size.width() + 2 > fImage.width())
        throw std::runtime_error("master bitmap is full");
    const QPoint at(fShelfX, fShelfY);
    fShelfX += size.width() + 1;
    fShelfHeight = std::max(fShelfHeight, size.height());
    return at;
}

QImage MaskedStrip(const std::vector<QImage>& states)
{
    const QSize one = states.front().size();
    QImage strip(one.width() * int(states.size()), one.height() * 2, QImage::Format_RGB32);
    for (std::size_t i = 0; i < states.size(); ++i) {
        const QImage plain = states[i].convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < one.height(); ++y) {
            for (int x = 0; x < one.width(); ++x) {
                const QRgb p = plain.pixel(x, y);
                const int px = int(i) * one.width() + x;
                strip.setPixel(px, y, qAlpha(p) == 0 ? kKey : qRgb(qRed(p), qGreen(p), qBlue(p)));
                const int clear = 255 - qAlpha(p);
                strip.setPixel(px, one.height() + y, qRgb(clear, clear, clear));
            }
        }
    }
    return strip;
}

QRect MasterAtlas::AddMasked(const std::vector<QImage>& states)
{
    const QImage strip = MaskedStrip(states);
    const QPoint at = reserve(strip.size());
    QPainter(&fImage).drawImage(at, strip);
    return QRect(at, strip.size());
}

QRect MasterAtlas::AddKeyed(const std::vector<QImage>& states)
{
    const QSize one = states.front().size();
    const QPoint at = reserve(QSize(one.width() * int(states.size()), one.height()));
    for (std::size_t i = 0; i < states.size(); ++i) {
        const QImage plain = states[i].convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < one.height(); ++y) {
            for (int x = 0; x < one.width(); ++x) {
                const QRgb p = plain.pixel(x, y);
                fImage.setPixel(at.x() + int(i) * one.width() + x, at.y() + y,
                                qAlpha(p) < 128 ? kKey : qRgb(qRed(p), qGreen(p), qBlue(p)));
            }
        }
    }
    return QRect(at, QSize(one.width() * int(states.size()), one.height()));
}

} // namespace skin_gen
