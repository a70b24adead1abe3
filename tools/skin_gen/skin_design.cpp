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
QString colour(const QColor& c) { return QString::number(c.red() | (c.green() << 8) | (c.blue() << 16)); }

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
    QRect speedButton, button, edit, frame, title, close, min, max, norm;
    QRect boxUnchecked, boxChecked, boxGrayed, radioUnchecked, radioChecked;
};

MasterPieces drawMaster(MasterAtlas& atlas)
{
    MasterPieces m;
    m.speedButton = atlas.AddMasked(threeStates([](ButtonState s) { return ButtonFace({24, 24}, 3, s); }));
    m.button = atlas.AddMasked(threeStates([](ButtonState s) { return ButtonFace({26, 26}, 4, s); }));
    m.edit = atlas.AddMasked({EditFrame({16, 16}, false), EditFrame({16, 16}, true)});
    m.frame = atlas.AddMasked({FormFrame({16, 16}, false), FormFrame({16, 16}, true)});
    m.title = atlas.AddMasked({TitleEdges({24, 32}, false), TitleEdges({24, 32}, true)});
    const auto titleButton = [&](TitleGlyph g) {
        return atlas.AddMasked(threeStates([g](ButtonState s) { return TitleButton({30, 22}, g, s); }));
    };
    m.close = titleButton(TitleGlyph::Close);
    m.min = titleButton(TitleGlyph::Min);
    m.max = titleButton(TitleGlyph::Max);
    m.norm = titleButton(TitleGlyph::Norm);
    const auto box = [&](BoxKind k) {
        return atlas.AddMasked(threeStates([k](ButtonState s) { return CheckBox({16, 16}, k, s); }));
    };
    m.boxUnchecked = box(BoxKind::Unchecked);
    m.boxChecked = box(BoxKind::Checked);
    m.boxGrayed = box(BoxKind::Grayed);
    m.radioUnchecked = atlas.AddMasked(threeStates([](ButtonState s) { return RadioButton({16, 16}, false, s); }));
    m.radioChecked = atlas.AddMasked(threeStates([](ButtonState s) { return RadioButton({16, 16}, true, s); }));
    return m;
}

void writeGlobals(OptionsText& o, const MasterPieces& m)
{
    o.section("GLOBALINFO");
    o.key("VERSION", 10);
    o.key("AUTHOR", QStringLiteral("Fluxmira"));
    o.key("DESCRIPTION", QStringLiteral("Calm light skin of the Fluxmira window"));
    o.key("MASTERBITMAP", QStringLiteral("MASTER COPY.BMP"));
    o.key("COLOR", colour(tone::Form));
    o.key("FONTCOLOR", colour(tone::Label));
    o.key("BORDERCOLOR", colour(QColor(96, 146, 180)));
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

void writeWindow(OptionsText& o, const MasterPieces& m)
{
    o.section("FORM");
    o.key("STATES", 2);
    o.key("COLOR", colour(tone::Form));
    o.key("HOTCOLOR", colour(tone::Form));
    o.key("FONTCOLOR", colour(tone::Label));
    o.key("HOTFONTCOLOR", colour(tone::Label));
    o.key("BORDERSMASK", borderValue(m.frame, 4, 4, 4, 4, 2, 1, 1, 4));

    o.section("DIALOG");
    o.key("PARENTCLASS", QStringLiteral("FORM"));

    o.section("FORMTITLE");
    o.key("STATES", 2);
    o.key("COLOR", colour(tone::TitleIdle));
    o.key("HOTCOLOR", colour(tone::Panel));
    o.key("FONTCOLOR", colour(QColor(88, 98, 106)));
    o.key("HOTFONTCOLOR", colour(QColor(20, 52, 78)));
    o.key("GRADIENTDATA", QStringLiteral("N/A"));
    o.key("BORDERSMASK", borderValue(m.title, 1, 1, 1, 1, 2, 1, 1, 1));

    o.section("CAPTION");
    o.key("STATES", 1);
    o.key("COLOR", colour(tone::Panel));
    o.key("FONTCOLOR", colour(QColor(20, 52, 78)));
}

// States and colours shared by the speed buttons and the push buttons.
void writeButtonFace(OptionsText& o)
{
    o.key("STATES", 3);
    o.key("USESTATE2", 1);
    o.key("COLOR", 16579060);
    o.key("HOTCOLOR", 16765037);
    o.key("COLOR2", colour(tone::Panel));
    o.key("FONTCOLOR", 4013373);
    o.key("HOTFONTCOLOR", 0);
    o.key("FONTCOLOR2", 0);
    o.key("TRANSPARENCY", 100);
    o.key("HOTTRANSPARENCY", 100);
    o.key("TRANSPARENCY2", 100);
}

void writeButtons(OptionsText& o, const MasterPieces& m)
{
    o.section("SPEEDBUTTON");
    writeButtonFace(o);
    o.key("GSIZE", 0);
    o.key("HGSIZE", 2);
    o.key("HGCOL", 13936728);
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
    writeButtonFace(o);
    o.key("HGSIZE", 2);
    o.key("HGCOL", 13936728);
    o.key("GLOW", 1);
    o.key("GLOWMARGIN", 4);
    o.key("GLOW0", QStringLiteral("!GLOWH.PNG!1!0!3!0010!0010!0010!0010!1"));
    o.key("BORDERSMASK", borderValue(m.button, 5, 5, 5, 5, 3, 1, 5, 1));

    o.section("BUTTON_HUGE");
    o.key("PARENTCLASS", QStringLiteral("BUTTON"));
    o.key("BORDERSMASK", QStringLiteral("!BTNHUGE.BMP!3!1!0!0008!0008!0008!0008!5"));
}

void writeInputs(OptionsText& o, const MasterPieces& m)
{
    o.section("EDIT");
    o.key("STATES", 2);
    o.key("COLOR", 16777215);
    o.key("HOTCOLOR", 16777215);
    o.key("FONTCOLOR", 0);
    o.key("HOTFONTCOLOR", 0);
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
    o.key("FONTCOLOR", colour(tone::Label));
    o.key("HOTFONTCOLOR", 0);
}

void writeSurfaces(OptionsText& o)
{
    const auto plain = [&](const char* name, const QColor& face, const QColor& text, int transparency) {
        o.section(name);
        o.key("STATES", 1);
        o.key("COLOR", colour(face));
        o.key("FONTCOLOR", colour(text));
        o.key("TRANSPARENCY", transparency);
    };
    plain("PANEL", tone::Form, tone::Label, 0);
    plain("PANEL_LOW", QColor(222, 236, 244), tone::Label, 0);
    plain("GROUPBOX", tone::Form, tone::Label, 100);
    plain("TRANSPARENT", QColor(255, 255, 255), tone::Label, 100);
    plain("TOOLBAR", tone::Form, tone::Label, 0);
    plain("STATUSBAR", QColor(222, 236, 244), tone::Label, 0);
    plain("MAINMENU", tone::Form, tone::Label, 0);
    plain("HINT", QColor(252, 253, 254), tone::Label, 0);

    o.section("SELECTION");
    o.key("STATES", 2);
    o.key("COLOR", colour(tone::Panel));
    o.key("FONTCOLOR", 0);
    o.key("HOTCOLOR", colour(tone::Accent));
    o.key("HOTFONTCOLOR", 16777215);

    o.section("MENUITEM");
    o.key("STATES", 2);
    o.key("TRANSPARENCY", 100);
    o.key("FONTCOLOR", colour(tone::Label));
    o.key("HOTCOLOR", colour(tone::Panel));
    o.key("HOTTRANSPARENCY", 0);
    o.key("HOTFONTCOLOR", 0);
}

} // namespace

GeneratedSkin GenerateInternalSkin()
{
    MasterAtlas atlas(499, 420);
    const MasterPieces pieces = drawMaster(atlas);
    OptionsText options;
    writeGlobals(options, pieces);
    writeWindow(options, pieces);
    writeButtons(options, pieces);
    writeInputs(options, pieces);
    writeSurfaces(options);

    const QImage master = atlas.Image().convertToFormat(QImage::Format_RGB888);
    const QImage huge = MaskedStrip(threeStates([](ButtonState s) { return ButtonFace({64, 48}, 7, s); }))
                            .convertToFormat(QImage::Format_RGB888);
    QImage extBorder(80, 40, QImage::Format_ARGB32_Premultiplied);
    extBorder.fill(Qt::transparent);
    {
        QPainter p(&extBorder);
        p.drawImage(0, 0, Glow({40, 40}, 12, 6, QColor(20, 40, 60), 70, 2));
        p.drawImage(40, 0, Glow({40, 40}, 12, 6, QColor(20, 40, 60), 38, 2));
    }

    GeneratedSkin skin;
    skin.files = {
        {"OPTIONS.DAT", options.bytes()},
        {"BTNHUGE.BMP", encode(huge, "BMP")},
        {"MASTER COPY.BMP", encode(master, "BMP")},
        {"EXTBORD.PNG", encode(extBorder, "PNG")},
        {"GLOWBTN.PNG", encode(Glow({40, 40}, 10, 4, tone::Glow, 150), "PNG")},
        {"GLOWEDIT.PNG", encode(Glow({24, 24}, 6, 3, QColor(70, 150, 205), 120), "PNG")},
        {"GLOWH.PNG", encode(Glow({40, 40}, 10, 5, QColor(120, 190, 230), 140), "PNG")},
    };
    skin.previewPng = encode(SkinPreview(), "PNG");
    skin.zeroGlyph = ZeroGlyph();
    skin.calGlyph = CalGlyph();
    return skin;
}

} // namespace skin_gen
