#pragma once
// The internal skin: its options file and every image it names.

#include "tools/skin_gen/skz_writer.h"

#include <QByteArray>
#include <QImage>

#include <vector>

namespace skin_gen {

struct GeneratedSkin {
    std::vector<PackedFile> files;  // archive order, options first
    QByteArray previewPng;
    QImage zeroGlyph;
    QImage calGlyph;
};

GeneratedSkin GenerateInternalSkin();

} // namespace skin_gen
