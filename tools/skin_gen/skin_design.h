#pragma once
// Our skins: the options file and every image it names, drawn from one
// design. The light design is the window's internal skin; the dark one is
// shipped as a packed file.

#include "tools/skin_gen/pieces.h"
#include "tools/skin_gen/skz_writer.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace skin_gen {

// What tells one of our skins from the other. Colours that go into the
// options file as numbers are 0x00BBGGRR.
struct SkinDesign {
    QString Description;
    const Tones* Colours = nullptr;
    int ButtonColor = 0, ButtonHotColor = 0, ButtonFont = 0, ButtonHotFont = 0, ButtonGlow = 0;
    int EditColor = 0, EditHotColor = 0, EditFont = 0, EditHotFont = 0;
    int HighlightFont = 0;  // text on selections and highlighted menu items
    QColor TitleFont, TitleHotFont;
    QColor PanelLow, Hint, HintText;
    QColor EditGlow, PushGlow, Shadow;
};

const SkinDesign& InternalDesign();
const SkinDesign& DarkDesign();

struct GeneratedSkin {
    std::vector<PackedFile> files;  // archive order, options first
    QByteArray previewPng;
    QImage zeroGlyph;
    QImage calGlyph;
};

GeneratedSkin GenerateSkin(const SkinDesign& Design);
// The internal skin with the two glyphs of the window's measuring buttons.
GeneratedSkin GenerateInternalSkin();

} // namespace skin_gen
