#pragma once
// The skin model: plain data read once from a skin's options file and images.
// Controls read it; nothing here draws or knows widgets.

#include "skin/model/colors.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

namespace skin {

class TkSkinModel;

// Text colour and the colours of a one-pixel contour on each side (-1: none).
struct TkFontColor {
    TColor Color = 0;
    TColor Left = -1;
    TColor Top = -1;
    TColor Right = -1;
    TColor Bottom = -1;
};

// One stop of a "GRADIENTDATA" value: groups of five numbers.
struct TkGradientStop {
    TColor Color1 = 0;
    TColor Color2 = 0;
    int Percent = 0;
    int Mode1 = 0;
    int Mode2 = 0;
};
using TkGradientArray = std::vector<TkGradientStop>;

// The look of a section in one state (0 normal, 1 hot, 2 pressed).
struct TkGenState {
    int GlowSize = 0;
    int ImagePercent = 0;
    int TextureIndex = -1;   // index in ma of the state's texture
    int Transparency = 0;    // 0 opaque .. 100 fully transparent
    int GradientPercent = 0;
    TColor Color = 0xFFFFFF;
    TColor GlowColor = 0xFFFFFF;
    TkFontColor FontColor;
    TkGradientArray GradientArray;
};

// Four widths or offsets, -1 when not set.
struct TkSides {
    int Left = -1;
    int Top = -1;
    int Right = -1;
    int Bottom = -1;
};

// One section of the options file; its index in gd is its skin index.
struct TkGeneralData {
    QString ParentClass;
    QString ClassName;
    std::array<TkGenState, 3> Props;
    bool UseState2 = false;
    bool GiveOwnFont = false;
    bool ReservedBoolean = false;
    int States = 3;
    int ScrollBorderOffset = 0;  // -2 no border, -1 thin edit border, else 0
    int GlowCount = 0;
    int GlowMargin = 0;
    int GlowSize = 0;
    int HotGlowSize = 0;
    int BorderIndex = -1;        // index in ma of "BORDERSMASK"
    int ImgTL = -1;
    int ImgTR = -1;
    int ImgBL = -1;
    int ImgBR = -1;
    TColor HotGlowColor = 0;
    TColor GlowColor = 0;
    int OuterMode = 2;
    int OuterMask = -1;
    int OuterOpacity = 200;
    TkSides OuterOffset;         // -1 each when not set
};

enum class TkxImgType { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };

// One image element. R is its rectangle in Bmp (external image) or, when Bmp
// is null, in the master bitmap. ImageCount state images lie side by side in
// R; MaskType divides R vertically: -1 none, 0 one row (key colour 0xFF00FF
// transparent), 1 two rows (image over mask), n >= 2: n + 1 rows. Mask rows
// hold the image's transparency as grey: black shows the image pixel, white
// what lies beneath. ElementImage() (element_image.h) resolves all of this.
struct TkMaskData {
    QImage Bmp;
    QString ClassName;
    QString PropertyName;
    QRect R;
    qint16 ImageCount = 0;
    qint16 MaskType = 0;
    qint16 BorderWidth = 0;
    qint16 DrawMode = 0;      // flags: 1 stretch edges, 2 no image for column 0, 4 fill centre
    TkxImgType ImgType = TkxImgType::itisaBorder;
    const TkSkinModel* Manager = nullptr;
    qint16 WL = 0;
    qint16 WT = 0;
    qint16 WR = 0;
    qint16 WB = 0;
    int CornerType = 0;       // borders: 1 when the corners hold transparent pixels
    int SkinIndex = -1;       // owning section
    int Width = 0;            // size of one state image
    int Height = 0;
};

// An image file of the skin, loaded once however many values name it.
struct TkxExtFileData {
    QImage Bmp;
    QString FileName;         // upper-cased as named in the options
    int MaskType = 0;
};

// The global values of "GLOBALINFO" plus the manager's own flags.
struct TkSkinData {
    bool Active = false;
    QString SkinPath;
    TColor FXColor = 0;
    TColor SysInactiveBorderColor = 0;

    QString Author;
    QString Description;
    QString MainFont;
    int ExBorderWidth = 4;
    int ExTitleHeight = 30;
    int ExMaxHeight = 30;
    int ExCenterOffs = 0;
    int ExContentOffs = 4;
    int ExDrawMode = 0;
    int BrightMin = -50;
    int BrightMax = 50;
    int ExShadowOffs = 0;
    int ExShadowOffsR = 0;
    int ExShadowOffsT = 0;
    int ExShadowOffsB = 0;
    int BISpacing = 0;
    int BIVAlign = 0;
    int BIRightMargin = 0;
    int BILeftMargin = 0;
    int BITopMargin = 0;
    int BIKeepHUE = 0;
    bool UseAeroBluring = false;
    TColor Shadow1Color = 0;
    int Shadow1Offset = 0;
    int Shadow1Blur = -1;
    int Shadow1Transparency = 0;
    int ComboBoxMargin = 2;
    int SliderMargin = 1;
    int ArrowStyle = 0;
    int TabsCovering = 0;
    int RibbonCovering = 0;
    double Version = 0;
};

// An outer effect: entry 0 the light outline ("LO_"), 1 the shadow ("SH_").
struct TkxOutEffData {
    TColor ColorL = 0, ColorT = 0, ColorR = 0, ColorB = 0;
    int OffsetL = 0, OffsetT = 0, OffsetR = 0, OffsetB = 0;
    int WidthL = -1, WidthT = -1, WidthR = -1, WidthB = -1;
    int Mask = -1;            // index in ma, -1 none
    int Source = 0;
    int Opacity = 0;
};

enum TkxPaletteColors {
    pcMainColor, pcLabelText, pcWebText, pcWebTextHot, pcEditText, pcEditBG,
    pcSelectionBG, pcSelectionText, pcSelectionBG_Focused, pcSelectionText_Focused,
    pcEditBG_Inverted, pcEditText_Inverted, pcEditBG_OddRow, pcEditBG_EvenRow,
    pcEditText_Ok, pcEditText_Warning, pcEditText_Alert, pcEditText_Caution, pcEditText_Bypassed,
    pcEditBG_Ok, pcEditBG_Warning, pcEditBG_Alert, pcEditBG_Caution, pcEditBG_Bypassed,
    pcEditText_Highlight1, pcEditText_Highlight2, pcEditText_Highlight3,
    pcBtnColor1Active, pcBtnColor2Active, pcBtnBorderActive, pcBtnFontActive,
    pcBtnColor1Normal, pcBtnColor2Normal, pcBtnBorderNormal, pcBtnFontNormal,
    pcBtnColor1Pressed, pcBtnColor2Pressed, pcBtnBorderPressed, pcBtnFontPressed,
    pcBorder, pcGrid, pcHintBG, pcHintText,
    kPaletteSize
};
using TkPalette = std::array<TColor, kPaletteSize>;

enum TkxSection {
    ssMenuItem, ssCheckBox, ssSpeedButton, ssSpeedButton_Small, ssToolButton, ssTransparent,
    ssGroupBox, ssDivider, ssWebBtn, ssButton, ssComboNoEdit, ssButtonHuge, ssToolBar, ssEdit,
    ssGauge, ssSelection, ssStatusBar, ssPanel, ssPanelLow, ssTrackBar, ssProgressV, ssDragBar,
    ssGripH, ssGripV, ssProgressH, ssTabSheet, ssUpDown, ssComboBox, ssCaption, ssMainMenu,
    ssSplitter, ssComboBtn, ssFormTitle, ssHint, ssDividerV, ssPageControl, ssTabTop, ssBarPanel,
    ssBarTitle, ssMenuCaption, ssDialogTitle, ssMenuButton, ssMenuLine, ssFormHeader, ssTBBtn,
    ssTBMenuBtn, ssTBTab, ssColHeader, ssColHeaderA, ssColHeaderL, ssColHeaderR, ssSlider_Off,
    ssSlider_On,
    kSectionCount
};

// The section name of each TkxSection entry.
const char* SectionName(TkxSection Section);

// A section with its border element (and a glyph where the element has one).
struct TkConstElement {
    int SkinIndex = -1;
    int BorderIndex = -1;
    int GlyphIndex = -1;
};

enum TkxTitleGlyph {
    tgCloseAlone, tgClose, tgMax, tgMin, tgNorm, tgHelp,
    tgSmallClose, tgSmallMax, tgSmallMin, tgSmallNorm, tgSmallHelp, tgTitleButton,
    kTitleGlyphCount
};

enum TkxSide { sdLeft, sdTop, sdRight, sdBottom };
enum TkxTabKind { tkFirst, tkLast, tkMiddle, tkPlain };

// Indexes of well-known sections and glyphs, resolved once per load.
struct TkConstantSkinData {
    std::array<int, kSectionCount> Sections;
    int IndexGLobalInfo = -1;
    std::array<int, 3> CheckBox{-1, -1, -1};        // unchecked, checked, grayed
    std::array<int, 3> SmallCheckBox{-1, -1, -1};
    std::array<int, 2> RadioButton{-1, -1};
    int ExBorder = -1;
    int GripRightBottom = -1;
    int GripHorizontal = -1;
    int GripVertical = -1;
    std::array<int, kTitleGlyphCount> TitleGlyphs;
    TkConstElement MenuItem;
    TkConstElement ComboBtn;                          // glyph: "GLYPHMASK" of "COMBOBOX"
    std::array<std::array<TkConstElement, 4>, 4> Tabs;  // [TkxSide][TkxTabKind]
    std::array<TkConstElement, 4> ScrollBars;         // 1H, 1V, 2H, 2V
    std::array<TkConstElement, 4> ScrollBtns;         // [TkxSide]
    std::array<TkConstElement, 4> UpDownBtns;         // [TkxSide]
    std::array<TkConstElement, 2> ScrollSliders;      // H, V

    TkConstantSkinData() { Reset(); }
    void Reset();
};

// A font file of the skin made available to the process.
struct TkEmbeddedFont {
    QString FileName;
    QString FontName;
    int FontId = -1;  // QFontDatabase application font id, -1 when refused
};

} // namespace skin
