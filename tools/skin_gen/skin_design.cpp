#include "tools/skin_gen/skin_design.h"

#include "tools/skin_gen/atlas.h"
#include "tools/skin_gen/button_glyphs.h"
#include "tools/skin_gen/pieces.h"
#include "tools/skin_gen/preview.h"

#include <QBuffer>
#include <QPainter>
#include <QString>

namespace skin_gen {
namespace {

// Colour as the options file writes it: 0x00BBGGRR in decimal.
int colourValue(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

QString colour(const QColor& c) { return QString::number(colourValue(c)); }

QString field(QChar mark, int value, int width) { return mark + QString::number(value).rightJustified(width, u'0'); }

QString rectFields(QChar mark, const QRect& r)
{
    return field(mark, r.left(), 4) + field(mark, r.top(), 4) + field(mark, r.left() + r.width(), 4)
        + field(mark, r.top() + r.height(), 4);
}

QString glyphValue(const QRect& r, int count, int maskType)
{
    return rectFields(u'@', r) + field(u'@', count, 1) + field(u'@', maskType, 1);
}

QString borderValue(const QRect& r, int wl, int wt, int wr, int wb, int count, int maskType, int drawMode, int width)
{
    return rectFields(u'^', r) + field(u'^', wl, 4) + field(u'^', wt, 4) + field(u'^', wr, 4) + field(u'^', wb, 4)
        + field(u'^', count, 1) + field(u'^', maskType, 1) + field(u'^', drawMode, 1) + field(u'^', width, 1);
}

QByteArray encode(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

std::vector<QImage> threeStates(const auto& draw)
{
    return {draw(ButtonState::Normal), draw(ButtonState::Hot), draw(ButtonState::Pressed)};
}

class OptionsText {
public:
    void section(const char* name)
    {
        if (!fText.isEmpty())
            fText += "\r\n";
        fText += QStringLiteral("[%1]\r\n").arg(QLatin1String(name));
    }
    void key(const char* name, const QString& value) { fText += QLatin1String(name) + u'=' + value + "\r\n"; }
    void key(const char* name, int value) { key(name, QString::number(value)); }
    QByteArray bytes() const { return fText.toLatin1(); }

private:
    QString fText;
};

struct MasterPieces {
    QRect speedButton, button, edit, frame, title, close, min, max, norm, menu;
    QRect boxUnchecked, boxChecked, boxGrayed, radioUnchecked, radioChecked;
};

MasterPieces drawMaster(MasterAtlas& atlas, const Tones& t)
{
    MasterPieces m;
    m.speedButton = atlas.AddMasked(threeStates([&](ButtonState s) { return ButtonFace({24, 24}, 3, s, t); }));
    m.button = atlas.AddMasked(threeStates([&](ButtonState s) { return ButtonFace({26, 26}, 4, s, t); }));
    m.edit = atlas.AddMasked({EditFrame({16, 16}, false, t), EditFrame({16, 16}, true, t)});
    m.frame = atlas.AddMasked({FormFrame({16, 16}, false, t), FormFrame({16, 16}, true, t)});
    m.title = atlas.AddMasked({TitleEdges({24, 32}, false, t), TitleEdges({24, 32}, true, t)});
    m.menu = atlas.AddMasked({MenuFrame({12, 12}, t)});
    const auto titleButton = [&](TitleGlyph g) {
        return atlas.AddMasked(threeStates([&](ButtonState s) { return TitleButton({30, 22}, g, s, t); }));
    };
    m.close = titleButton(TitleGlyph::Close);
    m.min = titleButton(TitleGlyph::Min);
    m.max = titleButton(TitleGlyph::Max);
    m.norm = titleButton(TitleGlyph::Norm);
    const auto box = [&](BoxKind k) {
        return atlas.AddMasked(threeStates([&](ButtonState s) { return CheckBox({16, 16}, k, s, t); }));
    };
    m.boxUnchecked = box(BoxKind::Unchecked);
    m.boxChecked = box(BoxKind::Checked);
    m.boxGrayed = box(BoxKind::Grayed);
    m.radioUnchecked = atlas.AddMasked(threeStates([&](ButtonState s) { return RadioButton({16, 16}, false, s, t); }));
    m.radioChecked = atlas.AddMasked(threeStates([&](ButtonState s) { return RadioButton({16, 16}, true, s, t); }));
    return m;
}

void writeGlobals(OptionsText& o, const MasterPieces& m, const SkinDesign& d)
{
    const Tones& t = *d.Colours;
    o.section("GLOBALINFO");
    o.key("VERSION", 10);
    o.key("AUTHOR", QStringLiteral("Fluxmira"));
    o.key("DESCRIPTION", d.Description);
    o.key("MASTERBITMAP", QStringLiteral("MASTER COPY.BMP"));
    o.key("COLOR", colour(t.Form));
    o.key("FONTCOLOR", colour(t.Label));
    o.key("BORDERCOLOR", colour(t.FrameActive));
    o.key("TITLEHEIGHT", 32);
    o.key("BORDERWIDTH", 4);
    o.key("FORMOFFSET", 4);
    o.key("BORDERMODE", 0);
    o.key("BISPACE", 2);
    o.key("BIRIGHT", 4);
    o.key("BITOP", 0);
    o.key("BIVALIGN", 0);
    o.key("SHADOW1COLOR", 0);
    o.key("SHADOW1OFFSET", 0);
    o.key("SHADOW1TRANSPARENCY", 0);
    o.key("LO_SOURCE", 2);
    o.key("LO_OPACITY", 200);
    o.key("SH_SOURCE", 2);
    o.key("SH_OPACITY", 60);
    o.key("EXBORDER", QStringLiteral("!EXTBORD.PNG!2!0!0!0012!0012!0012!0012!5"));
    o.key("BICLOSEALONE", glyphValue(m.close, 3, 1));
    o.key("BICONCLOSE", glyphValue(m.close, 3, 1));
    o.key("BICONMAX", glyphValue(m.max, 3, 1));
    o.key("BICONMIN", glyphValue(m.min, 3, 1));
    o.key("BICONNORM", glyphValue(m.norm, 3, 1));
    o.key("BOXUNCHECKED", glyphValue(m.boxUnchecked, 3, 1));
    o.key("BOXCHECKED", glyphValue(m.boxChecked, 3, 1));
    o.key("BOXGRAYED", glyphValue(m.boxGrayed, 3, 1));
    o.key("RADIOUNCHECKED", glyphValue(m.radioUnchecked, 3, 1));
    o.key("RADIOCHECKED", glyphValue(m.radioChecked, 3, 1));
}

void writeWindow(OptionsText& o, const MasterPieces& m, const SkinDesign& d)
{
    const Tones& t = *d.Colours;
    o.section("FORM");
    o.key("STATES", 2);
    o.key("COLOR", colour(t.Form));
    o.key("HOTCOLOR", colour(t.Form));
    o.key("FONTCOLOR", colour(t.Label));
    o.key("HOTFONTCOLOR", colour(t.Label));
    o.key("BORDERSMASK", borderValue(m.frame, 4, 4, 4, 4, 2, 1, 1, 4));

    o.section("DIALOG");
    o.key("PARENTCLASS", QStringLiteral("FORM"));

    o.section("FORMTITLE");
    o.key("STATES", 2);
    o.key("COLOR", colour(t.TitleIdle));
    o.key("HOTCOLOR", colour(t.Panel));
    o.key("FONTCOLOR", colour(d.TitleFont));
    o.key("HOTFONTCOLOR", colour(d.TitleHotFont));
    o.key("GRADIENTDATA", QStringLiteral("N/A"));
    o.key("BORDERSMASK", borderValue(m.title, 1, 1, 1, 1, 2, 1, 1, 1));

    o.section("CAPTION");
    o.key("STATES", 1);
    o.key("COLOR", colour(t.Panel));
    o.key("FONTCOLOR", colour(d.TitleHotFont));
}

// States and colours shared by the speed buttons and the push buttons.
void writeButtonFace(OptionsText& o, const SkinDesign& d)
{
    o.key("STATES", 3);
    o.key("USESTATE2", 1);
    o.key("COLOR", d.ButtonColor);
    o.key("HOTCOLOR", d.ButtonHotColor);
    o.key("COLOR2", colour(d.Colours->Panel));
    o.key("FONTCOLOR", d.ButtonFont);
    o.key("HOTFONTCOLOR", d.ButtonHotFont);
    o.key("FONTCOLOR2", d.ButtonHotFont);
    o.key("TRANSPARENCY", 100);
    o.key("HOTTRANSPARENCY", 100);
    o.key("TRANSPARENCY2", 100);
}

void writeButtons(OptionsText& o, const MasterPieces& m, const SkinDesign& d)
{
    o.section("SPEEDBUTTON");
    writeButtonFace(o, d);
    o.key("GSIZE", 0);
    o.key("HGSIZE", 2);
    o.key("HGCOL", d.ButtonGlow);
    o.key("GSIZE2", 0);
    o.key("GLOW", 1);
    o.key("GLOWMARGIN", 5);
    o.key("GLOW0", QStringLiteral("!GLOWBTN.PNG!1!0!3!0010!0010!0010!0010!1"));
    o.key("OUTERMODE", 1);
    o.key("BORDERSMASK", borderValue(m.speedButton, 4, 5, 4, 3, 3, 1, 5, 1));

    o.section("SPEEDBUTTON_SMALL");
    o.key("PARENTCLASS", QStringLiteral("SPEEDBUTTON"));
    o.section("TOOLBUTTON");
    o.key("PARENTCLASS", QStringLiteral("SPEEDBUTTON"));

    o.section("BUTTON");
    writeButtonFace(o, d);
    o.key("HGSIZE", 2);
    o.key("HGCOL", d.ButtonGlow);
    o.key("GLOW", 1);
    o.key("GLOWMARGIN", 4);
    o.key("GLOW0", QStringLiteral("!GLOWH.PNG!1!0!3!0010!0010!0010!0010!1"));
    o.key("BORDERSMASK", borderValue(m.button, 5, 5, 5, 5, 3, 1, 5, 1));

    o.section("BUTTON_HUGE");
    o.key("PARENTCLASS", QStringLiteral("BUTTON"));
    o.key("BORDERSMASK", QStringLiteral("!BTNHUGE.BMP!3!1!0!0008!0008!0008!0008!5"));
}

void writeInputs(OptionsText& o, const MasterPieces& m, const SkinDesign& d)
{
    o.section("EDIT");
    o.key("STATES", 2);
    o.key("COLOR", d.EditColor);
    o.key("HOTCOLOR", d.EditHotColor);
    o.key("FONTCOLOR", d.EditFont);
    o.key("HOTFONTCOLOR", d.EditHotFont);
    o.key("TRANSPARENCY", 0);
    o.key("HOTTRANSPARENCY", 0);
    o.key("GLOW", 1);
    o.key("GLOWMARGIN", 1);
    o.key("GLOW0", QStringLiteral("!GLOWEDIT.PNG!1!0!3!0006!0006!0006!0006!1"));
    o.key("OUTERMODE", 1);
    o.key("BORDERSMASK", borderValue(m.edit, 3, 3, 3, 3, 2, 1, 1, 1));

    o.section("COMBOBOX");
    o.key("PARENTCLASS", QStringLiteral("EDIT"));

    o.section("CHECKBOX");
    o.key("STATES", 2);
    o.key("TRANSPARENCY", 100);
    o.key("HOTTRANSPARENCY", 100);
    o.key("FONTCOLOR", colour(d.Colours->Label));
    o.key("HOTFONTCOLOR", d.HighlightFont);
}

void writeSurfaces(OptionsText& o, const MasterPieces& m, const SkinDesign& d)
{
    const Tones& t = *d.Colours;
    const auto plain = [&](const char* name, const QColor& face, const QColor& text, int transparency) {
        o.section(name);
        o.key("STATES", 1);
        o.key("COLOR", colour(face));
        o.key("FONTCOLOR", colour(text));
        o.key("TRANSPARENCY", transparency);
    };
    plain("PANEL", t.Form, t.Label, 0);
    plain("PANEL_LOW", d.PanelLow, t.Label, 0);
    plain("GROUPBOX", t.Form, t.Label, 100);
    plain("TRANSPARENT", QColor(255, 255, 255), t.Label, 100);
    plain("TOOLBAR", t.Form, t.Label, 0);
    plain("STATUSBAR", d.PanelLow, t.Label, 0);
    plain("MAINMENU", t.Form, t.Label, 0);
    o.key("BORDERSMASK", borderValue(m.menu, 2, 2, 2, 2, 1, 1, 1, 1));
    plain("HINT", d.Hint, d.HintText, 0);

    o.section("SELECTION");
    o.key("STATES", 2);
    o.key("COLOR", colour(t.Panel));
    o.key("FONTCOLOR", d.HighlightFont);
    o.key("HOTCOLOR", colour(t.Accent));
    o.key("HOTFONTCOLOR", 16777215);

    o.section("MENUITEM");
    o.key("STATES", 2);
    o.key("TRANSPARENCY", 100);
    o.key("FONTCOLOR", colour(t.Label));
    o.key("HOTCOLOR", colour(t.Panel));
    o.key("HOTTRANSPARENCY", 0);
    o.key("HOTFONTCOLOR", d.HighlightFont);
}

} // namespace

const SkinDesign& InternalDesign()
{
    static const SkinDesign design{
        QStringLiteral("Calm light skin of the Fluxmira window"), &LightTones(),
        16579060, 16765037, 4013373, 0, 13936728,
        16777215, 16777215, 0, 0, 0,
        QColor(88, 98, 106), QColor(20, 52, 78),
        QColor(222, 236, 244), QColor(252, 253, 254), QColor(61, 61, 61),
        QColor(70, 150, 205), QColor(120, 190, 230), QColor(20, 40, 60),
    };
    return design;
}

// Dark faces; the edit lights up while it is edited, so its hot colours
// differ from its normal ones.
const SkinDesign& DarkDesign()
{
    static const SkinDesign design{
        QStringLiteral("Dark skin of the Fluxmira window"), &DarkTones(),
        colourValue(QColor(162, 170, 182)), colourValue(QColor(178, 206, 234)), colourValue(QColor(24, 30, 38)),
        colourValue(QColor(0, 0, 0)), colourValue(QColor(88, 166, 230)),
        colourValue(QColor(36, 40, 46)), colourValue(QColor(232, 240, 248)), colourValue(QColor(200, 208, 216)),
        colourValue(QColor(16, 24, 32)), colourValue(QColor(255, 255, 255)),
        QColor(150, 158, 168), QColor(232, 238, 244),
        QColor(36, 40, 46), QColor(58, 64, 74), QColor(226, 232, 238),
        QColor(88, 166, 230), QColor(88, 166, 230), QColor(0, 0, 0),
    };
    return design;
}

GeneratedSkin GenerateSkin(const SkinDesign& d)
{
    const Tones& t = *d.Colours;
    MasterAtlas atlas(499, 420);
    const MasterPieces pieces = drawMaster(atlas, t);
    OptionsText options;
    writeGlobals(options, pieces, d);
    writeWindow(options, pieces, d);
    writeButtons(options, pieces, d);
    writeInputs(options, pieces, d);
    writeSurfaces(options, pieces, d);

    const QImage master = atlas.Image().convertToFormat(QImage::Format_RGB888);
    const QImage huge = MaskedStrip(threeStates([&](ButtonState s) { return ButtonFace({64, 48}, 7, s, t); }))
                            .convertToFormat(QImage::Format_RGB888);
    QImage extBorder(80, 40, QImage::Format_ARGB32_Premultiplied);
    extBorder.fill(Qt::transparent);
    {
        QPainter p(&extBorder);
        p.drawImage(0, 0, Glow({40, 40}, 12, 6, d.Shadow, 70, 2));
        p.drawImage(40, 0, Glow({40, 40}, 12, 6, d.Shadow, 38, 2));
    }

    GeneratedSkin skin;
    skin.files = {
        {"OPTIONS.DAT", options.bytes()},
        {"BTNHUGE.BMP", encode(huge, "BMP")},
        {"MASTER COPY.BMP", encode(master, "BMP")},
        {"EXTBORD.PNG", encode(extBorder, "PNG")},
        {"GLOWBTN.PNG", encode(Glow({40, 40}, 10, 4, t.Glow, 150), "PNG")},
        {"GLOWEDIT.PNG", encode(Glow({24, 24}, 6, 3, d.EditGlow, 120), "PNG")},
        {"GLOWH.PNG", encode(Glow({40, 40}, 10, 5, d.PushGlow, 140), "PNG")},
    };
    skin.previewPng = encode(SkinPreview(t), "PNG");
    return skin;
}

GeneratedSkin GenerateInternalSkin()
{
    GeneratedSkin skin = GenerateSkin(InternalDesign());
    skin.zeroGlyph = ZeroGlyph();
    skin.calGlyph = CalGlyph();
    return skin;
}

} // namespace skin_gen
