#include "skin/archive/skin_archive.h"
#include "skin/model/element_image.h"
#include "skin/model/skin_model.h"
#include "tests/support/temp_dir.h"
#include "skin/internal/internal_skin.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

using namespace skin;

namespace {

qint32 int32At(const QByteArray& data, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(data[at + i]);
    return qint32(v);
}

// The internal skin unpacked and loaded the way the manager does it.
struct InternalSkin {
    TkxSkinConvertor convertor;
    TkOptionsTable options;
    TkSkinModel model;

    InternalSkin()
    {
        convertor.PackedData = InternalSkinArchive();
        EXPECT_TRUE(UnpackSkinArchive(convertor));
        convertor.PackedData.clear();
        options = TkOptionsTable::FromBytes(convertor.Options.value_or(QByteArray()));
        model.Load({&options, &convertor, {}});
    }

    const TkGeneralData& section(const char* name) const
    {
        const int i = model.GetSkinIndex(name);
        EXPECT_GE(i, 0) << name;
        return model.gd.at(std::size_t(i));
    }
    const TkMaskData& element(int index) const { return model.ma.at(std::size_t(index)); }
    QString fileOf(const TkMaskData& e) const
    {
        for (const TkxExtFileData& ext : model.ExtArray)
            if (ext.Bmp.cacheKey() == e.Bmp.cacheKey())
                return ext.FileName;
        return {};
    }
};

// Nine-slice drawing of one border image, enough to look at the skin.
void drawBorder(QPainter& p, const QImage& piece, const TkMaskData& e, const QRect& t)
{
    const int l = e.WL, tp = e.WT, r = e.WR, b = e.WB;
    const int w = piece.width(), h = piece.height();
    const auto part = [&](QRect target, QRect source) {
        if (target.width() > 0 && target.height() > 0 && source.width() > 0 && source.height() > 0)
            p.drawImage(target, piece, source);
    };
    part({t.left(), t.top(), l, tp}, {0, 0, l, tp});
    part({t.right() - r + 1, t.top(), r, tp}, {w - r, 0, r, tp});
    part({t.left(), t.bottom() - b + 1, l, b}, {0, h - b, l, b});
    part({t.right() - r + 1, t.bottom() - b + 1, r, b}, {w - r, h - b, r, b});
    part({t.left() + l, t.top(), t.width() - l - r, tp}, {l, 0, w - l - r, tp});
    part({t.left() + l, t.bottom() - b + 1, t.width() - l - r, b}, {l, h - b, w - l - r, b});
    part({t.left(), t.top() + tp, l, t.height() - tp - b}, {0, tp, l, h - tp - b});
    part({t.right() - r + 1, t.top() + tp, r, t.height() - tp - b}, {w - r, tp, r, h - tp - b});
    if (e.DrawMode & 4)
        part({t.left() + l, t.top() + tp, t.width() - l - r, t.height() - tp - b}, {l, tp, w - l - r, h - tp - b});
}

} // namespace

TEST(InternalSkin, ArchiveLayout)
{
    const QByteArray archive = InternalSkinArchive();
    ASSERT_GT(archive.size(), 1000);
    EXPECT_EQ(archive.left(4), "SKzf");
    EXPECT_EQ(int32At(archive, 4), 7);
    // The first entry is the options file, compressed at the best level.
    EXPECT_EQ(int32At(archive, 8), 11);
    EXPECT_EQ(archive.mid(12, 11), "OPTIONS.DAT");
    EXPECT_EQ(quint8(archive[27]), 0x78);
    EXPECT_EQ(quint8(archive[28]), 0xDA);

    QByteArray preview;
    ASSERT_TRUE(ExtractSkinPreview(preview, archive));
    const QImage image = QImage::fromData(preview, "PNG");
    EXPECT_EQ(image.size(), QSize(140, 100));
    EXPECT_TRUE(archive.endsWith(preview));
}

TEST(InternalSkin, UnpacksIntoSixFilesAndTheOptions)
{
    const InternalSkin skin;
    EXPECT_EQ(skin.convertor.FileCount, 6);
    QStringList names;
    for (const TkxFileItem& item : skin.convertor.Files)
        names << item.Name;
    EXPECT_EQ(names, (QStringList{"BTNHUGE.BMP", "MASTER COPY.BMP", "EXTBORD.PNG", "GLOWBTN.PNG", "GLOWEDIT.PNG",
                                  "GLOWH.PNG"}));
    EXPECT_EQ(skin.convertor.Files[0].FileType, TkxFileType::ftBmp);
    EXPECT_EQ(skin.convertor.Files[1].FileType, TkxFileType::ftBmp);
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(skin.convertor.Files[i].FileType, TkxFileType::ftOther);
    EXPECT_TRUE(skin.convertor.Options->startsWith("[GLOBALINFO]\r\n"));
    const QImage master = QImage::fromData(skin.convertor.Files[1].Stream, "BMP");
    EXPECT_EQ(master.size(), QSize(499, 420));
    const QByteArray& bmp = skin.convertor.Files[1].Stream;
    EXPECT_EQ(quint8(bmp[28]) | (quint8(bmp[29]) << 8), 24);  // bits per pixel in the file header
}

TEST(InternalSkin, GlobalValues)
{
    const InternalSkin skin;
    const TkSkinData& d = skin.model.CommonSkinData;
    EXPECT_DOUBLE_EQ(d.Version, 10);
    EXPECT_EQ(d.ExTitleHeight, 32);
    EXPECT_EQ(d.ExBorderWidth, 4);
    EXPECT_EQ(d.Shadow1Color, 0);
    EXPECT_EQ(d.Shadow1Offset, 0);
    EXPECT_EQ(d.Shadow1Transparency, 0);
    EXPECT_EQ(skin.model.GetGlobalFontColor(), 4013373);
    EXPECT_EQ(skin.model.GetGlobalColor(), 16249576);
    EXPECT_EQ(skin.model.MasterBitmap.size(), QSize(499, 420));
    for (int glyph : {tgClose, tgMin}) {
        const int index = skin.model.ConstData.TitleGlyphs[std::size_t(glyph)];
        ASSERT_GE(index, 0);
        EXPECT_EQ(skin.element(index).ImageCount, 3);
        EXPECT_FALSE(ElementImage(skin.model, index, 2).isNull());
    }
    EXPECT_GE(skin.model.ConstData.ExBorder, 0);
    const TkStoredSkin stored = InternalStoredSkin();
    EXPECT_TRUE(stored.Name.endsWith(" (internal)"));
    EXPECT_EQ(stored.PackedData, InternalSkinArchive());
}

TEST(InternalSkin, WindowSections)
{
    const InternalSkin skin;
    const TkGeneralData& form = skin.section("FORM");
    EXPECT_EQ(form.Props[0].Color, 16249576);
    EXPECT_EQ(form.Props[1].Color, 16249576);
    const TkGeneralData& title = skin.section("FORMTITLE");
    EXPECT_EQ(title.Props[0].Color, 14341838);
    EXPECT_EQ(title.Props[1].Color, 14992515);
    for (TkxSection s : {ssFormTitle, ssSpeedButton, ssEdit, ssButton, ssDialogTitle, ssCheckBox, ssSelection})
        EXPECT_GE(skin.model.ConstData.Sections[s], 0) << SectionName(s);
}

TEST(InternalSkin, SpeedButtonSection)
{
    const InternalSkin skin;
    const TkGeneralData& b = skin.section("SPEEDBUTTON");
    EXPECT_EQ(b.States, 3);
    EXPECT_EQ(b.Props[0].Color, 16579060);
    EXPECT_EQ(b.Props[1].Color, 16765037);
    EXPECT_EQ(b.Props[0].FontColor.Color, 4013373);
    EXPECT_EQ(b.Props[1].FontColor.Color, 0);
    EXPECT_EQ(b.Props[0].Transparency, 100);
    EXPECT_EQ(b.Props[1].Transparency, 100);
    EXPECT_EQ(b.Props[0].GlowSize, 0);
    EXPECT_EQ(b.Props[1].GlowSize, 2);
    EXPECT_EQ(b.Props[1].GlowColor, 13936728);
    EXPECT_EQ(b.GlowCount, 1);
    EXPECT_EQ(b.GlowMargin, 5);
    EXPECT_EQ(b.OuterMode, 1);
    const int glow = skin.model.GetMaskIndex(skin.model.GetSkinIndex("SPEEDBUTTON"), "GLOW0");
    ASSERT_GE(glow, 0);
    EXPECT_EQ(skin.fileOf(skin.element(glow)), "GLOWBTN.PNG");
    ASSERT_GE(b.BorderIndex, 0);
    const TkMaskData& border = skin.element(b.BorderIndex);
    EXPECT_EQ(border.ImageCount, 3);
    EXPECT_EQ(border.MaskType, 1);
    EXPECT_EQ(border.DrawMode, 5);
    EXPECT_EQ((std::array<int, 4>{border.WL, border.WT, border.WR, border.WB}), (std::array<int, 4>{4, 5, 4, 3}));
}

TEST(InternalSkin, EditSection)
{
    const InternalSkin skin;
    const TkGeneralData& e = skin.section("EDIT");
    for (int state : {0, 1}) {
        EXPECT_EQ(e.Props[std::size_t(state)].Color, 0xFFFFFF);
        EXPECT_EQ(e.Props[std::size_t(state)].FontColor.Color, 0);
    }
    EXPECT_EQ(e.GlowCount, 1);
    EXPECT_EQ(e.GlowMargin, 1);
    EXPECT_EQ(e.OuterMode, 1);
    ASSERT_GE(e.BorderIndex, 0);
    EXPECT_EQ(skin.element(e.BorderIndex).DrawMode, 1);
    const int glow = skin.model.GetMaskIndex(skin.model.GetSkinIndex("EDIT"), "GLOW0");
    EXPECT_EQ(skin.fileOf(skin.element(glow)), "GLOWEDIT.PNG");
}

TEST(InternalSkin, ButtonGlyphs)
{
    const QImage zero = ZeroButtonGlyph();
    const QImage cal = CalButtonGlyph();
    EXPECT_EQ(zero.size(), QSize(32, 32));
    EXPECT_EQ(cal.size(), QSize(20, 20));
    EXPECT_TRUE(zero.hasAlphaChannel());
    EXPECT_TRUE(cal.hasAlphaChannel());
    EXPECT_EQ(cal.pixel(10, 4), qRgba(0, 0, 0, 255));     // the bar
    EXPECT_EQ(cal.pixel(10, 11), qRgba(0, 0, 0, 255));    // the triangle
    EXPECT_EQ(qAlpha(cal.pixel(1, 18)), 0);
    EXPECT_EQ(qAlpha(zero.pixel(15, 10)), 255);           // the bar the arrows meet at
    EXPECT_EQ(qAlpha(zero.pixel(0, 0)), 0);
}

TEST(InternalSkin, ExportIsByteIdentical)
{
    testing_support::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    ASSERT_TRUE(ExtractByIndex(InternalStoredSkin(), root));
    QFile file(root + "/" + kInternalSkinName + " extracted.skz");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), InternalSkinArchive());
}

// Draws the skin's pieces the way the main window uses them and keeps the
// picture as a test artifact; hot and pressed faces must differ from normal.
TEST(InternalSkin, DrawsTheMainWindowPieces)
{
    const InternalSkin skin;
    const TkSkinModel& m = skin.model;
    QImage window(425, 205, QImage::Format_ARGB32_Premultiplied);
    window.fill(ToQColor(m.gd[std::size_t(m.GetSkinIndex("FORM"))].Props[0].Color));
    QPainter p(&window);
    const TkGeneralData& title = skin.section("FORMTITLE");
    p.fillRect(QRect(0, 0, 425, 32), ToQColor(title.Props[1].Color));
    drawBorder(p, SectionBorderImage(m, m.GetSkinIndex("FORMTITLE"), 1), skin.element(title.BorderIndex), {0, 0, 425, 32});
    p.drawImage(QPoint(425 - 34, 5), ElementImage(m, m.ConstData.TitleGlyphs[tgClose], 1));
    p.drawImage(QPoint(425 - 66, 5), ElementImage(m, m.ConstData.TitleGlyphs[tgMin], 0));
    p.fillRect(QRect(10, 42, 356, 129), QColor(131, 195, 228));
    const int speed = m.GetSkinIndex("SPEEDBUTTON");
    const TkMaskData& border = skin.element(m.gd[std::size_t(speed)].BorderIndex);
    const QRect buttons[] = {{372, 42, 40, 40}, {372, 85, 40, 40}, {10, 177, 48, 25}};
    QImage faces[3];
    for (int state = 0; state < 3; ++state) {
        faces[state] = SectionBorderImage(m, speed, state);
        drawBorder(p, faces[state], border, buttons[state]);
    }
    EXPECT_NE(faces[0], faces[1]);
    EXPECT_NE(faces[1], faces[2]);
    p.drawImage(QPoint(376, 46), ZeroButtonGlyph());
    p.drawImage(QPoint(382, 95), CalButtonGlyph());
    const int edit = m.GetSkinIndex("EDIT");
    p.fillRect(QRect(294, 175, 71, 23), Qt::white);
    drawBorder(p, SectionBorderImage(m, edit, 0), skin.element(m.gd[std::size_t(edit)].BorderIndex), {294, 175, 71, 23});
    p.end();
    if (const char* dir = std::getenv("FLUXMIRA_ARTIFACTS")) {
        QDir().mkpath(dir);
        window.save(QString::fromLocal8Bit(dir) + "/internal_skin_pieces.png");
    }
}
