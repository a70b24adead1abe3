#pragma once
// The image value kinds of the options file. Digit fields of "@", "^" and "~"
// values sit at fixed 1-based positions; one that is not a number (a value
// too short included) raises runtime::ConvertError, which ends the load.

#include <QRect>
#include <QString>

namespace skin {

// "@LLLL@TTTT@RRRR@BBBB@C@M" - a glyph cut from the master bitmap.
struct TkGlyphValue {
    QRect R;
    int ImageCount = 0;
    int MaskType = 0;
};

// "^LLLL^TTTT^RRRR^BBBB^wL..^wT..^wR..^wB..^C^M^D^W" - a border from the master bitmap.
struct TkBorderValue {
    QRect R;
    int WL = 0, WT = 0, WR = 0, WB = 0;
    int ImageCount = 0;
    int MaskType = 0;
    int DrawMode = 0;
    int BorderWidth = 0;
};

// "~LLLL~TTTT~RRRR~BBBB~DD~M[~FILE]" - a texture, from the master bitmap or FILE.
struct TkTextureValue {
    QRect R;
    int DrawMode = 0;
    int MaskType = 0;
    QString FileName;
};

// "!FILE!count!mask!type!wL!wT!wR!wB!draw" - an element from an image file.
// Numeric fields here are lenient: a missing or bad one reads as 0.
struct TkExternalValue {
    QString FileName;
    int ImageCount = 0;
    int MaskType = 0;
    int ImgType = 0;          // 0..4, larger values count as 4
    bool HasWidths = false;   // the value has at least five fields
    int WL = 0, WT = 0, WR = 0, WB = 0;
    int DrawMode = 0;
};

TkGlyphValue ParseGlyphValue(QStringView Value);
TkBorderValue ParseBorderValue(QStringView Value);
TkTextureValue ParseTextureValue(QStringView Value);
TkExternalValue ParseExternalValue(QStringView Value);

// A 1-based fixed-position digit field; ConvertError when not a number.
int DigitField(QStringView Value, int Position, int Length);

} // namespace skin
