// LoadAllGeneralData: global values, outer effects, sections and palette.
#include "skin/model/skin_model.h"

#include "skin/model/colour_adjust.h"
#include "skin/model/image_values.h"
#include "skin/model/outer_mask.h"
#include "skin/model/section_reader.h"

#include <QLocale>

namespace skin {

namespace {

const QString kGlobalInfo = QStringLiteral("GLOBALINFO");
constexpr int kSizingFrameWidth = 4;

struct StateKeys {
    QString color, fontColor, left, top, right, bottom, glowColor, glowSize, gradientPercent, gradientData,
        imagePercent, transparency;
};

// Built once: the keys of the three state rows.
const StateKeys& stateKeys(int row)
{
    static const StateKeys rows[3] = {
        {QStringLiteral("COLOR"), QStringLiteral("FONTCOLOR"), QStringLiteral("TCLEFT"), QStringLiteral("TCTOP"), QStringLiteral("TCRIGHT"), QStringLiteral("TCBOTTOM"), QStringLiteral("GCOL"),
         QStringLiteral("GSIZE"), QStringLiteral("GRADIENTPERCENT"), QStringLiteral("GRADIENTDATA"), QStringLiteral("IMAGEPERCENT"), QStringLiteral("TRANSPARENCY")},
        {QStringLiteral("HOTCOLOR"), QStringLiteral("HOTFONTCOLOR"), QStringLiteral("HOTTCLEFT"), QStringLiteral("HOTTCTOP"), QStringLiteral("HOTTCRIGHT"), QStringLiteral("HOTTCBOTTOM"),
         QStringLiteral("HGCOL"), QStringLiteral("HGSIZE"), QStringLiteral("HOTGRADIENTPERCENT"), QStringLiteral("HOTGRADIENTDATA"), QStringLiteral("HOTIMAGEPERCENT"),
         QStringLiteral("HOTTRANSPARENCY")},
        {QStringLiteral("COLOR2"), QStringLiteral("FONTCOLOR2"), QStringLiteral("TCLEFT2"), QStringLiteral("TCTOP2"), QStringLiteral("TCRIGHT2"), QStringLiteral("TCBOTTOM2"),
         QStringLiteral("GCOL2"), QStringLiteral("GSIZE2"), QStringLiteral("GRADIENTPERCENT2"), QStringLiteral("GRADIENTDATA2"), QStringLiteral("IMAGEPERCENT2"),
         QStringLiteral("TRANSPARENCY2")},
    };
    return rows[row];
}

QString k(const char* key) { return QString::fromLatin1(key); }

// Semicolon-separated numbers, five per stop; a trailing letter (newer form) is ignored.
TkGradientArray parseGradient(const QString& text)
{
    std::vector<qint64> numbers;
    for (QStringView part : QStringView(text).split(u';')) {
        part = StripControls(part);
        while (!part.isEmpty() && part.back().isLetter())
            part.chop(1);
        if (const auto n = ParseInteger(part))
            numbers.push_back(*n);
    }
    TkGradientArray stops;
    for (std::size_t i = 0; i + 5 <= numbers.size(); i += 5) {
        stops.push_back({TColor(numbers[i]), TColor(numbers[i + 1]), int(numbers[i + 2]), int(numbers[i + 3]),
                         int(numbers[i + 4])});
    }
    return stops;
}

} // namespace

class TkGeneralLoader {
public:
    explicit TkGeneralLoader(TkSkinModel& model) : m(model), fOptions(model.Options()) {}

    void run()
    {
        m.ReadVersion();
        readGlobals();
        readOuterEffect(0, "LO_", {0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF}, {2, 2, 2, 4}, 2, 200);
        readOuterEffect(1, "SH_", {0, 0, 0, 0}, {3, 2, 3, 5}, 2, 60);
        checkVersion();
        m.CommonSkinData.TabsCovering = fOptions.ReadInteger(QStringLiteral("TABTOP"), QStringLiteral("TABSCOVERING"), 0);
        m.CommonSkinData.RibbonCovering =
            fOptions.ReadInteger(QStringLiteral("RIBBONTAB"), QStringLiteral("TABSCOVERING"), 0);
        m.CommonSkinData.ArrowStyle = global("ARROWSTYLE", 0);

        m.gd.clear();
        m.invalidateLookups();
        const TkSectionReader reader(fOptions);
        for (const TkOptionsSection& section : fOptions.Sections())
            m.gd.push_back(readSection(reader, fOptions, section.Name));
        mergeCommonSections();
        fillPalette();
        addStandardSections();
        AdjustModelColours(m);
    }

private:
    int global(const char* key, int def) const { return fOptions.ReadInteger(kGlobalInfo, k(key), def); }

    // Scaled: the key with the scale suffix, else the plain value times the scale.
    int scaledGlobal(const char* key, int def) const
    {
        static const int factors[] = {100, 125, 150, 200};
        static const char* suffixes[] = {"", "*125", "*150", "*200"};
        const int scale = std::clamp(m.Scale, 0, 3);
        if (scale > 0) {
            const auto v = fOptions.Value(kGlobalInfo, k(key) + k(suffixes[scale]));
            if (v && ParseInt32(*v))
                return *ParseInt32(*v);
        }
        return int(qint64(global(key, def)) * factors[scale] / 100);
    }

    void readGlobals()
    {
        TkSkinData& d = m.CommonSkinData;
        d.Author = fOptions.ReadString(kGlobalInfo, QStringLiteral("AUTHOR"), QString());
        d.Description = fOptions.ReadString(kGlobalInfo, QStringLiteral("DESCRIPTION"), QString());
        d.MainFont = fOptions.ReadString(kGlobalInfo, QStringLiteral("MainFont"), QString());
        d.ExBorderWidth = global("BORDERWIDTH", 4);
        d.ExTitleHeight = scaledGlobal("TITLEHEIGHT", 30);
        if (d.ExTitleHeight <= 0)
            d.ExTitleHeight = 30;
        d.ExMaxHeight = scaledGlobal("MAXHEIGHT", 0);
        if (d.ExMaxHeight <= 0)
            d.ExMaxHeight = d.ExTitleHeight;
        d.ExCenterOffs = scaledGlobal("CENTEROFFSET", 0);
        d.ExContentOffs = global("FORMOFFSET", kSizingFrameWidth);
        d.ExDrawMode = global("BORDERMODE", 0);
        d.BrightMin = global("BRIGHTMIN", -50);
        d.BrightMax = global("BRIGHTMAX", 50);
        d.ExShadowOffs = global("ALIGNOFFSET", 0);
        d.ExShadowOffsR = global("ALIGNOFFSETR", d.ExShadowOffs);
        d.ExShadowOffsT = global("ALIGNOFFSETT", d.ExShadowOffs);
        d.ExShadowOffsB = global("ALIGNOFFSETB", d.ExShadowOffs);
        static const int factors[] = {100, 125, 150, 200};
        d.BISpacing = global("BISPACE", 0) * factors[std::clamp(m.Scale, 0, 3)] / 100;
        d.BIVAlign = global("BIVALIGN", 0);
        d.BIRightMargin = global("BIRIGHT", 0);
        d.BILeftMargin = global("BILEFT", 0);
        d.BITopMargin = global("BITOP", 0);
        d.BIKeepHUE = global("BIKEEPHUE", 0);
        d.UseAeroBluring = global("AEROBLUR", 0) != 0;
        d.Shadow1Color = global("SHADOW1COLOR", 0);
        d.Shadow1Offset = global("SHADOW1OFFSET", 0);
        d.Shadow1Blur = global("SHADOW1BLUR", -1);
        d.Shadow1Transparency = global("SHADOW1TRANSPARENCY", 0);
        d.ComboBoxMargin = global("COMBOMARGIN", 2);
        d.SliderMargin = global("SLIDERMARGIN", 1);
    }

    void readOuterEffect(int index, const char* prefix, std::array<TColor, 4> colours, std::array<int, 4> offsets,
                         int source, int opacity)
    {
        const auto key = [&](const char* name) { return k(prefix) + k(name); };
        const auto read = [&](const char* name, int def) { return fOptions.ReadInteger(kGlobalInfo, key(name), def); };
        TkxOutEffData& e = m.oe[std::size_t(index)];
        e.ColorL = read("COLORL", colours[0]);
        e.ColorT = read("COLORT", colours[1]);
        e.ColorR = read("COLORR", colours[2]);
        e.ColorB = read("COLORB", colours[3]);
        e.WidthL = read("WIDTHL", -1);
        e.WidthT = read("WIDTHT", -1);
        e.WidthR = read("WIDTHR", -1);
        e.WidthB = read("WIDTHB", -1);
        e.OffsetL = read("OFFSETL", offsets[0]);
        e.OffsetT = read("OFFSETT", offsets[1]);
        e.OffsetR = read("OFFSETR", offsets[2]);
        e.OffsetB = read("OFFSETB", offsets[3]);
        e.Source = read("SOURCE", source);
        e.Opacity = read("OPACITY", opacity);
        e.Mask = -1;
        const int globalIndex = fOptions.IndexOfSection(kGlobalInfo);
        if (e.Source == 1) {
            const auto value = fOptions.Value(kGlobalInfo, key("MASK"));
            if (value && value->startsWith(u'^')) {
                const TkBorderValue b = ParseBorderValue(*value);
                e.Mask = m.MakeNewItem(globalIndex, key("MASK"), kGlobalInfo, TkxImgType::itisaBorder, b.R,
                                       b.ImageCount, b.DrawMode, b.MaskType);
                TkMaskData& item = m.ma[std::size_t(e.Mask)];
                item.WL = qint16(b.WL), item.WT = qint16(b.WT), item.WR = qint16(b.WR), item.WB = qint16(b.WB);
                item.BorderWidth = qint16(b.BorderWidth);
            }
        } else if (e.Source >= 2) {
            const QImage mask = BuildOuterMask(e);
            e.Mask = m.MakeNewItem(globalIndex, key("MASK"), kGlobalInfo, TkxImgType::itisaBorder, mask.rect(), 1,
                                   5, 1);
            TkMaskData& item = m.ma[std::size_t(e.Mask)];
            item.Bmp = mask;
            const int half = mask.width() / 2;
            item.WL = qint16(e.WidthL < 0 ? half : e.WidthL);
            item.WT = qint16(e.WidthT < 0 ? half : e.WidthT);
            item.WR = qint16(e.WidthR < 0 ? half : e.WidthR);
            item.WB = qint16(e.WidthB < 0 ? half : e.WidthB);
        }
    }

    void checkVersion()
    {
        if (m.CommonSkinData.Version > 13.99 && m.OnVersionWarning)
            m.OnVersionWarning(kVersionWarningText);
    }

public:
    static TkGenState readState(const TkSectionReader& r, const QString& s, const StateKeys& keys)
    {
        TkGenState st;
        st.Color = r.ReadInt(s, keys.color, 0xFFFFFF);
        st.FontColor.Color = r.ReadInt(s, keys.fontColor, 0);
        st.FontColor.Left = r.ReadInt(s, keys.left, -1);
        st.FontColor.Top = r.ReadInt(s, keys.top, -1);
        st.FontColor.Right = r.ReadInt(s, keys.right, -1);
        st.FontColor.Bottom = r.ReadInt(s, keys.bottom, -1);
        st.GlowColor = r.ReadInt(s, keys.glowColor, 0xFFFFFF);
        st.GlowSize = r.ReadInt(s, keys.glowSize, 0);
        st.GradientPercent = r.ReadInt(s, keys.gradientPercent, 0);
        st.ImagePercent = r.ReadInt(s, keys.imagePercent, 0);
        st.Transparency = r.ReadInt(s, keys.transparency, 0);
        const QString gradient = r.ReadText(s, keys.gradientData, QString());
        if (gradient.size() < 4)
            st.GradientPercent = 0;
        else
            st.GradientArray = parseGradient(gradient);
        return st;
    }

    static TkGeneralData readSection(const TkSectionReader& r, const TkOptionsTable& table, const QString& s)
    {
        TkGeneralData g;
        g.ClassName = s;
        g.ParentClass = table.ReadString(s, QStringLiteral("PARENTCLASS"), QString());
        g.ReservedBoolean = r.ReadBool(s, QStringLiteral("RESERVEDBOOLEAN"), false);
        g.GiveOwnFont = r.ReadBool(s, QStringLiteral("GIVEOWNFONT"), false);
        g.GlowCount = r.ReadInt(s, QStringLiteral("GLOW"), 0, 255);
        g.GlowMargin = r.ReadInt(s, QStringLiteral("GLOWMARGIN"), 0, 255);
        g.States = r.ReadInt(s, QStringLiteral("STATES"), 3, 255);
        g.OuterOffset.Left = r.ReadIntNoDefault(s, QStringLiteral("OUTOFFSL"), 255);
        g.OuterOffset.Top = r.ReadIntNoDefault(s, QStringLiteral("OUTOFFST"), 255);
        g.OuterOffset.Right = r.ReadIntNoDefault(s, QStringLiteral("OUTOFFSR"), 255);
        g.OuterOffset.Bottom = r.ReadIntNoDefault(s, QStringLiteral("OUTOFFSB"), 255);
        g.OuterOpacity = r.ReadInt(s, QStringLiteral("OUTOPACITY"), 200, 255);
        g.OuterMode = r.ReadInt(s, QStringLiteral("OUTERMODE"), 2);
        g.Props[0] = readState(r, s, stateKeys(0));
        g.Props[1] = g.States < 2 ? g.Props[0] : readState(r, s, stateKeys(1));
        g.UseState2 = r.ReadInt(s, QStringLiteral("USESTATE2"), 0) == 1;
        g.Props[2] = g.UseState2 ? readState(r, s, stateKeys(2)) : g.Props[1];
        return g;
    }

private:
    void mergeCommonSections()
    {
        if (m.CommonSections.isEmpty())
            return;
        TkOptionsTable merged = fOptions;
        const TkOptionsTable common = TkOptionsTable::FromLines(m.CommonSections);
        merged.Merge(common);
        const TkSectionReader reader(merged);
        for (const TkOptionsSection& section : common.Sections()) {
            if (m.GetSkinIndex(section.Name) < 0)
                m.gd.push_back(readSection(reader, merged, section.Name));
        }
    }

    const TkGeneralData* section(const char* name) const
    {
        const int i = m.GetSkinIndex(k(name));
        return i >= 0 ? &m.gd[std::size_t(i)] : nullptr;
    }

    void fillPalette()
    {
        TkPalette& p = m.Palette;
        p[pcMainColor] = global("COLOR", SystemColor(SysColor::BtnFace));
        p[pcLabelText] = global("FONTCOLOR", 0);
        p[pcWebText] = global("TCBOTTOM", 0xFF0000);
        p[pcWebTextHot] = global("TCTOP", 0x0000FF);
        const TkGeneralData* edit = section("EDIT");
        p[pcEditText] = edit ? edit->Props[0].FontColor.Color : SystemColor(SysColor::WindowText);
        p[pcEditBG] = edit ? edit->Props[0].Color : SystemColor(SysColor::Window);
        fillSelection();
        p[pcEditBG_Inverted] = global("EDITBG_INV", p[pcEditText]);
        p[pcEditText_Inverted] = global("EDITTEXT_INV", p[pcEditBG]);
        p[pcEditBG_OddRow] = global("EDITBG_ODD", p[pcEditBG]);
        p[pcEditBG_EvenRow] = global("EDITBG_EVEN", Mix(p[pcEditText], p[pcEditBG], 13));
        p[pcEditText_Ok] = global("EDITTEXT_OK", 0x008000);
        p[pcEditText_Warning] = global("EDITTEXT_WARN", 0x008484);
        p[pcEditText_Alert] = global("EDITTEXT_ALERT", 0x0000FF);
        p[pcEditText_Caution] = global("EDITTEXT_ALERT", 0x8597D9);
        p[pcEditText_Bypassed] = global("EDITTEXT_ALERT", 0x4AB28F);
        p[pcEditBG_Ok] = global("EDITBG_OK", 0x6CC2A5);
        p[pcEditBG_Warning] = global("EDITBG_WARN", 0x40FFFF);
        p[pcEditBG_Alert] = global("EDITBG_ALERT", 0x95A7E9);
        p[pcEditBG_Caution] = global("EDITBG_ALERT", 0x8597D9);
        p[pcEditBG_Bypassed] = global("EDITBG_ALERT", 0x4AB28F);
        p[pcEditText_Highlight1] = global("EDITTEXT_H1", 0);
        p[pcEditText_Highlight2] = global("EDITTEXT_H2", 0);
        p[pcEditText_Highlight3] = global("EDITTEXT_H3", 0);
        p[pcBorder] = global("BORDERCOLOR", 0);
        const TColor opaque = TColor(0xFF000000u);
        const TColor main = p[pcMainColor];
        const auto colour64 = [&](const char* key, TColor def) {
            return TColor(fOptions.ReadInt64(kGlobalInfo, k(key), qint64(quint32(def))));
        };
        p[pcBtnColor1Active] = colour64("BTNCOLOR1ACTIVE", Mix(main, 0xFFFFFF, 177) | opaque);
        p[pcBtnColor2Active] = colour64("BTNCOLOR2ACTIVE", main | opaque);
        p[pcBtnBorderActive] = global("BTNBORDERACTIVE", p[pcBorder]);
        p[pcBtnFontActive] = global("BTNFONTACTIVE", p[pcLabelText]);
        p[pcBtnColor1Normal] = colour64("BTNCOLOR1NORMAL", main | opaque);
        p[pcBtnColor2Normal] = colour64("BTNCOLOR2NORMAL", Mix(main, 0, 244) | opaque);
        p[pcBtnBorderNormal] = global("BTNBORDERNORMAL", p[pcBorder]);
        p[pcBtnFontNormal] = global("BTNFONTNORMAL", p[pcLabelText]);
        p[pcBtnColor1Pressed] = colour64("BTNCOLOR1PRESSED", Mix(main, 0, 233) | opaque);
        p[pcBtnColor2Pressed] = colour64("BTNCOLOR2PRESSED", Mix(main, 0, 233) | opaque);
        p[pcBtnBorderPressed] = global("BTNBORDERPRESSED", p[pcBorder]);
        p[pcBtnFontPressed] = global("BTNFONTPRESSED", p[pcLabelText]);
        p[pcGrid] = global("GRIDLINE", -1);
        if (p[pcGrid] == -1)
            p[pcGrid] = Mix(p[pcEditText], p[pcEditBG], 30);
        const TkGeneralData* hint = section("HINT");
        p[pcHintBG] = hint ? hint->Props[0].Color : SystemColor(SysColor::InfoBk);
        p[pcHintText] = hint ? hint->Props[0].FontColor.Color : SystemColor(SysColor::InfoText);
    }

    void fillSelection()
    {
        TkPalette& p = m.Palette;
        p[pcSelectionBG] = p[pcSelectionText] = p[pcSelectionBG_Focused] = p[pcSelectionText_Focused] = -1;
        if (const TkGeneralData* sel = section("SELECTION")) {
            const int hot = sel->States >= 2 ? 1 : 0;
            p[pcSelectionBG] = sel->Props[0].Color;
            p[pcSelectionText] = sel->Props[0].FontColor.Color;
            p[pcSelectionBG_Focused] = sel->Props[std::size_t(hot)].Color;
            p[pcSelectionText_Focused] = sel->Props[std::size_t(hot)].FontColor.Color;
        }
        if (p[pcSelectionText] != -1 && p[pcSelectionText] != clKeyColor)
            return;
        if (const TkGeneralData* item = section("MENUITEM")) {
            TColor text = item->Props[1].FontColor.Color;
            if (text == -1 || text == clKeyColor)
                text = SystemColor(SysColor::HighlightText);
            p[pcSelectionText] = p[pcSelectionText_Focused] = text;
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = item->Props[1].Color;
        } else {
            p[pcSelectionText] = p[pcSelectionText_Focused] = SystemColor(SysColor::HighlightText);
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = SystemColor(SysColor::Highlight);
        }
    }

    void addStandardSections()
    {
        if (m.GetSkinIndex(QStringLiteral("TRANSPARENT")) < 0)
            m.AddNewSection(QStringLiteral("TRANSPARENT"), -1, 1, 100, 0xFFFFFF, m.Palette[pcLabelText]);
        if (m.GetSkinIndex(QStringLiteral("MAINCOLOR")) < 0)
            m.AddNewSection(QStringLiteral("MAINCOLOR"), -1, 1, 0, m.Palette[pcMainColor], m.Palette[pcLabelText]);
    }

    TkSkinModel& m;
    const TkOptionsTable& fOptions;
};

void TkSkinModel::ReadVersion()
{
    const QString text = Options().ReadString(QStringLiteral("GLOBALINFO"), QStringLiteral("VERSION"), QString());
    bool ok = false;
    const double version = QLocale::c().toDouble(StripControls(text), &ok);
    CommonSkinData.Version = ok ? version : 0;
}

void TkSkinModel::LoadAllGeneralData() { TkGeneralLoader(*this).run(); }

} // namespace skin
