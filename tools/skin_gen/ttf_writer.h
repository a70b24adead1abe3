#pragma once
// A minimal TrueType font writer: straight-edged glyphs (on-curve points
// only), one cmap of BMP code points, the tables every rasteriser needs.

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <vector>

namespace skin_gen {

struct TtfGlyph {
    char32_t CodePoint = 0;                       // 0: .notdef, not mapped
    int Advance = 0;                              // font units
    std::vector<std::vector<QPoint>> Contours;    // font units, y up, clockwise
};

struct TtfFont {
    QString Family;
    QString PostScriptName;
    int UnitsPerEm = 1000;
    int Ascent = 800;
    int Descent = 200;                            // positive: below the baseline
    std::vector<TtfGlyph> Glyphs;                 // the first is .notdef
};

QByteArray WriteTtf(const TtfFont& Font);

} // namespace skin_gen
