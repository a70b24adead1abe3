#pragma once
// The master bitmap of the skin being generated: pieces are packed onto a
// key-coloured canvas, each with its state images side by side.

#include <QImage>
#include <QRect>

#include <vector>

namespace skin_gen {

// State images side by side over their mask row (black opaque .. white clear).
QImage MaskedStrip(const std::vector<QImage>& states);

class MasterAtlas {
public:
    MasterAtlas(int width, int height);

    // Places the state images (same size, premultiplied ARGB) in one row with
    // a mask row below (black opaque .. white clear): mask type 1. Returns the
    // rectangle of the whole piece, both rows.
    QRect AddMasked(const std::vector<QImage>& states);
    // Places the state images with the key colour where they are mostly clear: mask type 0.
    QRect AddKeyed(const std::vector<QImage>& states);

    const QImage& Image() const { return fImage; }

private:
    QPoint reserve(QSize size);

    QImage fImage;
    int fShelfX = 1;
    int fShelfY = 1;
    int fShelfHeight = 0;
};

} // namespace skin_gen
