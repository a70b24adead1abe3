// InitConstantIndexes and InitMaskIndexes: indexes resolved once per load.
#include "skin/model/skin_model.h"

namespace skin {
namespace {

struct Fallback {
    TkxSection entry;
    TkxSection fallback;  // the entry itself: no fallback
};

constexpr Fallback kFallbacks[] = {
    {ssMenuCaption, ssToolBar},    {ssDialogTitle, ssFormTitle}, {ssMenuButton, ssSpeedButton},
    {ssMenuLine, ssMenuLine},      {ssFormHeader, ssFormHeader}, {ssTBBtn, ssToolButton},
    {ssTBMenuBtn, ssTBMenuBtn},    {ssTBTab, ssTabTop},          {ssColHeader, ssButton},
    {ssColHeaderA, ssColHeader},   {ssColHeaderL, ssColHeader},  {ssColHeaderR, ssColHeader},
    {ssSlider_Off, ssPanelLow},    {ssSlider_On, ssPanelLow},
};

constexpr const char* kTitleGlyphKeys[kTitleGlyphCount] = {
    "BICLOSEALONE", "BICONCLOSE", "BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP",
    "SICONCLOSE", "SICONMAX", "SICONMIN", "SICONNORM", "SICONHELP", "TITLEBUTTON",
};

QString s(const char* text) { return QString::fromLatin1(text); }

} // namespace

void TkSkinModel::InitConstantIndexes()
{
    ConstData.Reset();
    const int global = GetSkinIndex(s("GLOBALINFO"));
    ConstData.IndexGLobalInfo = global;
    const auto glyph = [&](const char* key) { return GetMaskIndex(global, s(key)); };
    ConstData.CheckBox = {glyph("BOXUNCHECKED"), glyph("BOXCHECKED"), glyph("BOXGRAYED")};
    ConstData.SmallCheckBox = {glyph("SMALLUNCHECKED"), glyph("SMALLCHECKED"), glyph("SMALLGRAYED")};
    ConstData.RadioButton = {glyph("RADIOUNCHECKED"), glyph("RADIOCHECKED")};
    ConstData.ExBorder = glyph("EXBORDER");
    ConstData.GripRightBottom = glyph("GRIPIMAGE");
    ConstData.GripHorizontal = glyph("GRIPHORZ");
    ConstData.GripVertical = glyph("GRIPVERT");
    for (int i = 0; i < kTitleGlyphCount; ++i)
        ConstData.TitleGlyphs[std::size_t(i)] = glyph(kTitleGlyphKeys[i]);
    initElementData();
    for (int i = 0; i < kSectionCount; ++i)
        ConstData.Sections[std::size_t(i)] = GetSkinIndex(s(SectionName(TkxSection(i))));
    InitMaskIndexes();
    applyFallbacks();
}

void TkSkinModel::initElementData()
{
    const auto element = [&](const QString& name) {
        TkConstElement e;
        e.SkinIndex = GetSkinIndex(name);
        e.BorderIndex = GetMaskIndex(e.SkinIndex, s("BORDERSMASK"));
        return e;
    };
    ConstData.MenuItem = element(s("MENUITEM"));
    ConstData.ComboBtn = element(s("COMBOBTN"));
    ConstData.ComboBtn.GlyphIndex = GetMaskIndex(GetSkinIndex(s("COMBOBOX")), s("GLYPHMASK"));
    const char* sides[] = {"LEFT", "TOP", "RIGHT", "BOTTOM"};
    const char* kinds[] = {"FIRST", "LAST", "MIDDLE", ""};
    for (int side = 0; side < 4; ++side) {
        for (int kind = 0; kind < 4; ++kind)
            ConstData.Tabs[std::size_t(side)][std::size_t(kind)] = element(s("TAB") + s(sides[side]) + s(kinds[kind]));
    }
    const char* bars[] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
    const char* buttons[] = {"SCROLLBTNLEFT", "SCROLLBTNTOP", "SCROLLBTNRIGHT", "SCROLLBTNBOTTOM"};
    const char* updowns[] = {"UPDOWNBTN_LEFT", "UPDOWNBTN_TOP", "UPDOWNBTNRIGHT", "UPDOWNBTN_BOTTOM"};
    for (int i = 0; i < 4; ++i) {
        ConstData.ScrollBars[std::size_t(i)] = element(s(bars[i]));
        ConstData.ScrollBtns[std::size_t(i)] = element(s(buttons[i]));
        TkConstElement updown = element(s(updowns[i]));
        if (updown.SkinIndex < 0)
            updown = element(s("UPDOWNBTN"));
        if (updown.SkinIndex < 0)
            updown = element(s("BUTTON"));
        ConstData.UpDownBtns[std::size_t(i)] = updown;
    }
    ConstData.ScrollSliders = {element(s("SCROLLSLIDERH")), element(s("SCROLLSLIDERV"))};
}

void TkSkinModel::InitMaskIndexes()
{
    for (std::size_t i = 0; i < gd.size(); ++i) {
        if (gd[i].ClassName != u"GLOBALINFO")
            initSectionIndexes(int(i));
    }
    initElementSizes();
}

void TkSkinModel::initSectionIndexes(int SkinIndex)
{
    TkGeneralData& g = gd[std::size_t(SkinIndex)];
    g.BorderIndex = GetMaskIndex(SkinIndex, s("BORDERSMASK"));
    g.OuterMask = GetMaskIndex(SkinIndex, s("OUTERMASK"));
    g.ImgTL = GetMaskIndex(SkinIndex, s("IMGTOPLEFT"));
    g.ImgTR = GetMaskIndex(SkinIndex, s("IMGTOPRIGHT"));
    g.ImgBL = GetMaskIndex(SkinIndex, s("IMGBTMLEFT"));
    g.ImgBR = GetMaskIndex(SkinIndex, s("IMGBTMRIGHT"));
    g.Props[0].TextureIndex = GetTextureIndex(SkinIndex, s("PATTERN"));
    g.Props[1].TextureIndex = g.States > 1 ? GetTextureIndex(SkinIndex, s("HOTPATTERN")) : g.Props[0].TextureIndex;
    g.Props[2].TextureIndex =
        g.States > 2 && g.UseState2 ? GetTextureIndex(SkinIndex, s("PATTERN2")) : g.Props[1].TextureIndex;
    if (g.BorderIndex < 0) {
        g.ScrollBorderOffset = -2;
    } else {
        const TkMaskData& b = ma[std::size_t(g.BorderIndex)];
        const bool thin = b.WL == 1 && b.WT == 1 && b.WR == 1 && b.WB == 1;
        g.ScrollBorderOffset = (g.ClassName == u"EDIT" || g.ClassName == u"ALPHAEDIT") && thin ? -1 : 0;
    }
}

void TkSkinModel::initElementSizes()
{
    for (TkMaskData& e : ma) {
        e.Width = e.ImageCount > 0 ? e.R.width() / e.ImageCount : 0;
        if (e.MaskType < 0)
            e.Height = 0;
        else if (e.MaskType == 0)
            e.Height = e.R.height();
        else
            e.Height = e.R.height() / (e.MaskType + 1);
        if (e.ImageCount != 0)
            continue;
        e.ImageCount = 1;
        const auto fix = [&](qint16& w, int size) {
            if (w <= 0)
                w = qint16(e.BorderWidth > 0 ? e.BorderWidth : size);
        };
        fix(e.WT, e.Height);
        fix(e.WB, e.Height);
        fix(e.WL, e.Width);
        fix(e.WR, e.Width);
    }
}

void TkSkinModel::applyFallbacks()
{
    for (const Fallback& f : kFallbacks) {
        int& entry = ConstData.Sections[std::size_t(f.entry)];
        if (entry >= 0 || f.entry == f.fallback)
            continue;
        const int source = GetSkinIndex(s(SectionName(f.fallback)));
        entry = source;
        if (source >= 0)
            AddNewSection(s(SectionName(f.entry)), source, 0, 0, 0, 0);
    }
}

} // namespace skin
