#pragma once
// Decoding the image files of a skin into 32-bit images.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace skin {

// Makes a 32-bit ARGB image: every pixel opaque except the key colour
// 0xFF00FF, which becomes fully transparent. Images with alpha are kept.
QImage To32BitKeyed(QImage Image);  // pass by move: converted in place

// The skin rule for PNG alpha: a transparent white pixel (0x00FFFFFF) becomes
// 0, every other has each channel replaced by channel * alpha div 256; without
// desktop composition channels of near-white pixels (all > 244) stop at 244.
QImage PremultiplyPng(QImage Image, bool DesktopComposition);

struct TkDecodeRules {
    double Version = 0;
    int Brightness = 0;
    bool DesktopComposition = true;
};

// Decodes a ".BMP", ".JPG"/".JPEG" or ".PNG" file (by the name's extension)
// into a 32-bit image; null for other names and undecodable or empty data.
QImage DecodeSkinImage(const QByteArray& Data, const QString& FileName, const TkDecodeRules& Rules);

} // namespace skin
