#include "runtime/error.h"
#include "skin/model/element_image.h"
#include "skin/model/section_reader.h"
#include "skin/model/skin_model.h"
#include "tests/skin/archive_builder.h"
#include "tests/support/temp_dir.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QStringDecoder>

#include <gtest/gtest.h>

using namespace skin;

namespace {

// Loads a skin from options text and, optionally, archive files.
struct LoadedSkin {
    TkOptionsTable options;
    TkxSkinConvertor files;
    TkSkinModel model;

    explicit LoadedSkin(QStringView text, std::vector<TkxFileItem> items = {}, int scale = 0)
    {
        options = TkOptionsTable::FromText(text);
        files.Files = std::move(items);
        files.FileCount = int(files.Files.size());
        model.Scale = scale;
        model.Load({&options, &files, {}});
    }

    const TkGeneralData& section(const char* name) const
    {
        const int i = model.GetSkinIndex(name);
        EXPECT_GE(i, 0) << name;
        return model.gd.at(std::size_t(i));
    }
};

QByteArray encode(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

} // namespace

TEST(OptionsTable, FollowsTheFileSyntax)
{
    const TkOptionsTable t = TkOptionsTable::FromText(
        u"key=before\r\n  [ Btn ]  \r\n; COLOR=1\r\n  COLOR = 12 \r\nnot a key\r\nCOLOR=13\r\n"
        u"\x01Name=a=b\t\r\n[btn]\nCOLOR=5\r\n\r\n[Empty]\r\n");
    EXPECT_EQ(t.SectionCount(), 3);
    EXPECT_EQ(t.Section(0).Name, "Btn");
    EXPECT_EQ(t.ReadInteger("Btn", "COLOR", -1), 12);
    EXPECT_EQ(t.ReadInteger("btn", "COLOR", -1), 5);
    EXPECT_EQ(t.ReadString("Btn", "Name", ""), "a=b");
    EXPECT_FALSE(t.Value("Btn", "name").has_value());
    EXPECT_FALSE(t.Value("Btn", "key").has_value());
    EXPECT_TRUE(t.SectionExists("Empty"));
    EXPECT_EQ(t.ReadInteger("Btn", "Name", 7), 7);
}

TEST(OptionsTable, ByteOrderMarksSelectTheEncoding)
{
    const QString text = QStringLiteral("[GLOBALINFO]\r\nAUTHOR=Zoë\r\n");
    QByteArray utf16le("\xFF\xFE");
    for (QChar c : text)
        utf16le += char(c.unicode() & 0xFF), utf16le += char(c.unicode() >> 8);
    QByteArray utf16be("\xFE\xFF");
    for (QChar c : text)
        utf16be += char(c.unicode() >> 8), utf16be += char(c.unicode() & 0xFF);
    for (const QByteArray& bytes : {QByteArray("\xEF\xBB\xBF") + text.toUtf8(), utf16le, utf16be, text.toUtf8()})
        EXPECT_EQ(TkOptionsTable::FromBytes(bytes).ReadString("GLOBALINFO", "AUTHOR", ""), QStringLiteral("Zoë"));
}

TEST(SectionReader, InheritsThroughParentClassAndEndsOnLoops)
{
    const TkOptionsTable t = TkOptionsTable::FromText(
        u"[PANEL]\r\nCOLOR=123\r\nFLAG=TRUE\r\n"
        u"[BUTTON]\r\nPARENTCLASS=PANEL\r\nFLAG=no\r\n"
        u"[SELF]\r\nPARENTCLASS=SELF\r\n"
        u"[A]\r\nPARENTCLASS=B\r\n[B]\r\nPARENTCLASS=A\r\n"
        u"[NEG]\r\nPARENTCLASS=PANEL\r\nCOLOR=-5\r\n"
        u"[ORPHAN]\r\nPARENTCLASS=NOWHERE\r\n");
    const TkSectionReader r(t);
    EXPECT_EQ(r.ReadInt("BUTTON", "COLOR", 0xFFFFFF), 123);
    EXPECT_EQ(r.ReadInt("SELF", "COLOR", 0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(r.ReadInt("A", "COLOR", 0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(r.ReadInt("NEG", "COLOR", 0xFFFFFF), 123);
    EXPECT_EQ(r.ReadInt("ORPHAN", "COLOR", 9), 9);
    EXPECT_EQ(r.ReadInt("PANEL", "COLOR", 0, 100), 100);
    EXPECT_FALSE(r.ReadBool("BUTTON", "FLAG", true));
    EXPECT_TRUE(r.ReadBool("PANEL", "FLAG", false));
    EXPECT_TRUE(r.ReadBool("A", "FLAG", true));
    EXPECT_EQ(r.ReadIntNoDefault("A", "OUTOFFSL"), -1);
}

// The rule a reader follows, walked afresh for every read.
std::optional<QString> walkedValue(const TkOptionsTable& t, const QString& start, const QString& key, bool number)
{
    QList<int> seen;
    QString current = start;
    for (int index = t.IndexOfSection(current); index >= 0 && !seen.contains(index) && seen.size() < 32;
         index = t.IndexOfSection(current)) {
        const auto value = t.Value(current, key);
        if (value && (!number || ParseInt32(*value).value_or(-1) >= 0))
            return value;
        seen.append(index);
        current = t.ReadString(current, "PARENTCLASS", QString());
        if (current.isEmpty())
            break;
    }
    return std::nullopt;
}

TEST(SectionReader, ReadsWhatAWalkFromEachSectionFindsInWhateverOrder)
{
    // Chains longer than the 32 sections a walk looks at, with values near
    // both ends, loops entered from a tail, self parents, negative numbers
    // and parents that are no section.
    QString text;
    for (int i = 0; i < 80; ++i) {
        text += QStringLiteral("[C%1]\r\nPARENTCLASS=C%2\r\n").arg(i).arg(i + 1);
        if (i % 37 == 5)
            text += QStringLiteral("COLOR=%1\r\nFLAG=x%1\r\n").arg(i);
        if (i == 70)
            text += QStringLiteral("SIZE=-3\r\n");
        if (i == 79)
            text += QStringLiteral("SIZE=7\r\n");
    }
    text += u"[L0]\r\nPARENTCLASS=L1\r\n[L1]\r\nPARENTCLASS=L2\r\nSIZE=-1\r\n[L2]\r\nPARENTCLASS=L0\r\n"
            u"[T0]\r\nPARENTCLASS=T1\r\n[T1]\r\nPARENTCLASS=L1\r\nFLAG=t\r\n"
            u"[SELF]\r\nPARENTCLASS=SELF\r\n[LOST]\r\nPARENTCLASS=NOWHERE\r\nSIZE=x\r\n"_qs;
    const TkOptionsTable t = TkOptionsTable::FromText(text);
    QStringList names;
    for (const TkOptionsSection& section : t.Sections())
        names << section.Name;
    QStringList reversed(names.rbegin(), names.rend());
    for (const QStringList& order : {names, reversed}) {
        const TkSectionReader r(t);
        for (const QString& section : order) {
            for (const char* key : {"COLOR", "SIZE"}) {
                const auto walked = walkedValue(t, section, key, true);
                EXPECT_EQ(r.ReadIntNoDefault(section, key), walked ? ParseInt32(*walked).value_or(-1) : -1)
                    << section.toStdString() << " " << key;
            }
            const auto flag = walkedValue(t, section, "FLAG", false);
            EXPECT_EQ(r.ReadText(section, "FLAG", "none"), flag.value_or("none")) << section.toStdString();
        }
    }
    const TkSectionReader r(t);
    EXPECT_EQ(r.ReadInt("C0", "COLOR", -9), 5);
    EXPECT_EQ(r.ReadInt("C11", "COLOR", -9), 42) << "the 32nd section of the walk";
    EXPECT_EQ(r.ReadInt("C10", "COLOR", -9), -9) << "the 33rd is not looked at";
    EXPECT_EQ(r.ReadInt("C40", "SIZE", -9), -9) << "the value 30 sections up is negative, the next is 39 up";
    EXPECT_EQ(r.ReadInt("C60", "SIZE", -9), 7);
    EXPECT_EQ(r.ReadText("T0", "FLAG", "none"), "t");
    EXPECT_EQ(r.ReadInt("T0", "SIZE", -9), -9);
}

TEST(SkinModel, SectionsInheritColourAndStates)
{
    const LoadedSkin skin(
        u"[PANEL]\r\nCOLOR=8421504\r\n"
        u"[BUTTON]\r\nPARENTCLASS=PANEL\r\nSTATES=1\r\nFONTCOLOR=255\r\n"
        u"[BUTTON2]\r\nPARENTCLASS=BUTTON2\r\n"
        u"[TWO]\r\nSTATES=2\r\nCOLOR=1\r\nHOTCOLOR=2\r\nCOLOR2=3\r\n"
        u"[THREE]\r\nUSESTATE2=1\r\nCOLOR=1\r\nHOTCOLOR=2\r\nCOLOR2=3\r\nFONTCOLOR2=4\r\n");
    const TkGeneralData& button = skin.section("BUTTON");
    EXPECT_EQ(button.ParentClass, "PANEL");
    for (const TkGenState& st : button.Props) {
        EXPECT_EQ(st.Color, 8421504);
        EXPECT_EQ(st.FontColor.Color, 255);
    }
    EXPECT_EQ(skin.section("BUTTON2").Props[0].Color, 0xFFFFFF);
    const TkGeneralData& two = skin.section("TWO");
    EXPECT_EQ(two.Props[1].Color, 2);
    EXPECT_EQ(two.Props[2].Color, 2);
    const TkGeneralData& three = skin.section("THREE");
    EXPECT_TRUE(three.UseState2);
    EXPECT_EQ(three.Props[2].Color, 3);
    EXPECT_EQ(three.Props[2].FontColor.Color, 4);
    EXPECT_EQ(three.Props[2].Transparency, 0);
    EXPECT_EQ(three.Props[2].GlowColor, 0xFFFFFF);
    EXPECT_EQ(three.Props[2].FontColor.Left, -1);
    EXPECT_EQ(three.States, 3);
    EXPECT_EQ(three.OuterMode, 2);
    EXPECT_EQ(three.OuterOpacity, 200);
    EXPECT_EQ(three.OuterOffset.Left, -1);
}

TEST(SkinModel, GradientShorterThanFourCharactersMeansNone)
{
    const LoadedSkin skin(
        u"[NA]\r\nGRADIENTPERCENT=100\r\nGRADIENTDATA=N/A\r\n"
        u"[G]\r\nGRADIENTPERCENT=60\r\nGRADIENTDATA=255;65280;50;0;0;65280;16711680;100;0;0;\r\n"
        u"[NONE]\r\nGRADIENTPERCENT=100\r\n");
    EXPECT_EQ(skin.section("NA").Props[0].GradientPercent, 0);
    EXPECT_TRUE(skin.section("NA").Props[0].GradientArray.empty());
    const TkGenState& g = skin.section("G").Props[0];
    EXPECT_EQ(g.GradientPercent, 60);
    ASSERT_EQ(g.GradientArray.size(), 2u);
    EXPECT_EQ(g.GradientArray[1].Color2, 16711680);
    EXPECT_EQ(g.GradientArray[1].Percent, 100);
    EXPECT_EQ(skin.section("NONE").Props[0].GradientPercent, 0);
}

TEST(SkinModel, ScaleSuffixChoosesTheBorderValue)
{
    const QStringView text = u"[BUTTON]\r\n"
                         u"BORDERSMASK=^0000^0000^0030^0020^0003^0003^0003^0003^3^0^1^0\r\n"
                         u"BORDERSMASK*125=^0000^0020^0060^0040^0004^0004^0004^0004^3^0^1^0\r\n";
    const LoadedSkin at100(text, {}, 0);
    const LoadedSkin at125(text, {}, 1);
    const TkMaskData& b100 = at100.model.ma.at(std::size_t(at100.section("BUTTON").BorderIndex));
    const TkMaskData& b125 = at125.model.ma.at(std::size_t(at125.section("BUTTON").BorderIndex));
    EXPECT_EQ(b100.R, QRect(0, 0, 30, 20));
    EXPECT_EQ(b100.WL, 3);
    EXPECT_EQ(b125.R, QRect(0, 20, 60, 20));
    EXPECT_EQ(b125.WL, 4);
    EXPECT_EQ(at100.model.GetMaskIndex("BUTTON", "BORDERSMASK*125"), -1);
}

TEST(SkinModel, SelectionColoursFallBackToMenuItemThenSystem)
{
    const LoadedSkin bare(u"[GLOBALINFO]\r\nVERSION=10\r\n");
    EXPECT_EQ(bare.model.GetHighLightColor(false), SystemColor(SysColor::Highlight));
    EXPECT_EQ(bare.model.GetHighLightColor(true), SystemColor(SysColor::Highlight));
    EXPECT_EQ(bare.model.GetHighLightFontColor(false), SystemColor(SysColor::HighlightText));
    EXPECT_EQ(bare.model.GetHighLightFontColor(true), SystemColor(SysColor::HighlightText));

    const LoadedSkin menu(u"[MENUITEM]\r\nHOTCOLOR=1234\r\nHOTFONTCOLOR=16711935\r\n");
    EXPECT_EQ(menu.model.GetHighLightColor(true), 1234);
    EXPECT_EQ(menu.model.GetHighLightFontColor(false), SystemColor(SysColor::HighlightText));

    const LoadedSkin sel(u"[SELECTION]\r\nSTATES=2\r\nCOLOR=10\r\nFONTCOLOR=11\r\nHOTCOLOR=12\r\nHOTFONTCOLOR=13\r\n");
    EXPECT_EQ(sel.model.GetHighLightColor(false), 10);
    EXPECT_EQ(sel.model.GetHighLightFontColor(false), 11);
    EXPECT_EQ(sel.model.GetHighLightColor(true), 12);
    EXPECT_EQ(sel.model.GetHighLightFontColor(true), 13);
}

TEST(SkinModel, BorderWidthsFallBack)
{
    const LoadedSkin skin(
        u"[GIVEN]\r\nBORDERSMASK=^0000^0000^0060^0040^0001^0001^0001^0001^2^1^1^0\r\n"
        u"[WIDTH]\r\nBORDERSMASK=^0000^0000^0060^0040^0000^0000^0000^0000^2^1^1^7\r\n"
        u"[RECT]\r\nBORDERSMASK=^0000^0000^0060^0040^0000^0000^0000^0000^2^1^1^0\r\n"
        u"[ZERO]\r\nBORDERSMASK=^0000^0000^0060^0040^0000^0000^0000^0000^0^0^1^0\r\n"
        u"[EDIT]\r\nBORDERSMASK=^0000^0000^0060^0040^0001^0001^0001^0001^2^1^1^0\r\n");
    const auto border = [&](const char* name) { return skin.model.ma.at(std::size_t(skin.section(name).BorderIndex)); };
    EXPECT_EQ(border("GIVEN").WL, 1);
    EXPECT_EQ(border("WIDTH").WT, 7);
    EXPECT_EQ(border("RECT").WL, 10);  // 60 / (3 * 2)
    EXPECT_EQ(border("RECT").WT, 6);   // 40 / (3 * 1 + 3)
    EXPECT_EQ(border("RECT").Width, 30);
    EXPECT_EQ(border("RECT").Height, 20);
    EXPECT_EQ(border("ZERO").ImageCount, 1);
    EXPECT_EQ(border("ZERO").Height, 40);
    EXPECT_EQ(border("ZERO").WT, 13);  // 40 / (3 * 0 + 3) at load
    EXPECT_EQ(border("ZERO").WL, 0);
    EXPECT_EQ(skin.section("EDIT").ScrollBorderOffset, -1);
    EXPECT_EQ(skin.section("GIVEN").ScrollBorderOffset, 0);
    EXPECT_EQ(skin.section("TRANSPARENT").ScrollBorderOffset, -2);
}

TEST(SkinModel, NonNumericDigitFieldEndsTheLoad)
{
    for (const char16_t* value : {u"[B]\r\nBOX=@00x8@0017@0126@0033@3@0\r\n", u"[B]\r\nBOX=@0078\r\n",
                                  u"[B]\r\nBORDERSMASK=^0256^0019^0292^0063^0004^0005^0004^0003^3^Q^5^1\r\n",
                                  u"[B]\r\nPATTERN=~0293~0037~0323~ABCD~00~0\r\n"}) {
        TkOptionsTable table = TkOptionsTable::FromText(QStringView(value));
        TkSkinModel model;
        EXPECT_THROW(model.Load({&table, nullptr, {}}), runtime::ConvertError) << QString::fromUtf16(value).toStdString();
    }
}

TEST(SkinModel, ImageValuesOfAllKinds)
{
    QImage master(120, 80, QImage::Format_RGB888);
    master.fill(Qt::white);
    master.setPixelColor(0, 0, QColor(255, 0, 255));
    QImage png(20, 10, QImage::Format_ARGB32);
    png.fill(qRgba(200, 100, 50, 128));
    png.setPixel(0, 0, 0x00FFFFFFu);
    QImage jpg(8, 8, QImage::Format_RGB32);
    jpg.fill(Qt::gray);
    std::vector<TkxFileItem> files{
        {"MASTER COPY.BMP", TkxFileType::ftBmp, encode(master, "BMP")},
        {"Glow.png", TkxFileType::ftOther, encode(png, "PNG")},
        {"TEX.JPG", TkxFileType::ftOther, encode(jpg, "JPG")},
    };
    const LoadedSkin skin(
        u"[GLOBALINFO]\r\nVERSION=10\r\nMASTERBITMAP=MASTER COPY.BMP\r\nBICONCLOSE=@0000@0000@0060@0020@3@0\r\n"
        u"[BUTTON]\r\nGLOW0=!glow.png!1!0!3!0010!0010!0010!0010!1\r\nGLOW1=!GLOW.PNG!2!0!9\r\n"
        u"PATTERN=~0000~0020~0010~0030~01~0\r\nHOTPATTERN=tex.jpg\r\nMISSING=!NOFILE.PNG!1!0!0\r\n"
        u"BAD=!TEX.TXT!1!0!0\r\nGLOW0*125=!GLOW.PNG!1!0!3\r\n",
        std::move(files));
    const TkSkinModel& m = skin.model;
    EXPECT_EQ(m.MasterBitmap.format(), QImage::Format_ARGB32);
    EXPECT_EQ(m.MasterBitmap.pixel(0, 0), 0x00FF00FFu);
    EXPECT_EQ(qAlpha(m.MasterBitmap.pixel(1, 0)), 255);
    EXPECT_EQ(m.ConstData.TitleGlyphs[tgClose], m.GetMaskIndex(m.ConstData.IndexGLobalInfo, "BICONCLOSE"));
    EXPECT_EQ(m.ma.at(std::size_t(m.ConstData.TitleGlyphs[tgClose])).Width, 20);

    const int button = m.GetSkinIndex("BUTTON");
    const int glow = m.GetMaskIndex(button, "GLOW0");
    ASSERT_GE(glow, 0);
    const TkMaskData& g = m.ma[std::size_t(glow)];
    EXPECT_EQ(g.ImgType, TkxImgType::itisaGlow);
    EXPECT_EQ(g.R, QRect(0, 0, 20, 10));
    EXPECT_EQ(g.WL, 10);
    EXPECT_EQ(g.DrawMode, 1);
    EXPECT_EQ(g.Bmp.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(g.Bmp.pixel(0, 0), 0u);                            // transparent white becomes 0
    EXPECT_EQ(g.Bmp.pixel(1, 0), qRgba(100, 50, 25, 128));       // channel * alpha div 256
    const TkMaskData& g1 = m.ma.at(std::size_t(m.GetMaskIndex(button, "GLOW1")));
    EXPECT_EQ(g1.ImgType, TkxImgType::itisaPngGlyph);
    EXPECT_EQ(g1.WL, 3);                                          // 20 / (3 * 2)
    EXPECT_EQ(m.ExtArray.size(), 2u);                             // GLOW.PNG once, TEX.JPG
    EXPECT_EQ(m.GetMaskIndex(button, "MISSING"), -1);
    EXPECT_EQ(m.GetMaskIndex(button, "BAD"), -1);
    EXPECT_EQ(m.GetMaskIndex(button, "GLOW0*125"), -1);
    EXPECT_EQ(m.gd[std::size_t(button)].Props[0].TextureIndex, m.GetTextureIndex(button, "PATTERN"));
    const TkMaskData& tex = m.ma.at(std::size_t(m.gd[std::size_t(button)].Props[1].TextureIndex));
    EXPECT_EQ(tex.R, QRect(0, 0, 8, 8));
    EXPECT_FALSE(tex.Bmp.isNull());
    EXPECT_EQ(ElementImage(m, glow, 0).size(), QSize(20, 10));
}

TEST(SkinModel, PngOfOldSkinsIsNotPremultiplied)
{
    QImage png(2, 1, QImage::Format_ARGB32);
    png.fill(qRgba(200, 100, 50, 128));
    const LoadedSkin skin(u"[GLOBALINFO]\r\nVERSION=7.4\r\n[B]\r\nGLOW0=!G.PNG!1!0!3\r\n",
                          {{"G.PNG", TkxFileType::ftOther, encode(png, "PNG")}});
    const TkMaskData& g = skin.model.ma.at(0);
    EXPECT_EQ(g.Bmp.format(), QImage::Format_ARGB32);
    EXPECT_EQ(g.Bmp.pixel(0, 0), qRgba(200, 100, 50, 128));
}

TEST(SkinModel, MasterBitmapNameIsTakenAsWritten)
{
    QImage master(4, 4, QImage::Format_RGB888);
    master.fill(Qt::red);
    const LoadedSkin skin(u"[GLOBALINFO]\r\nMASTERBITMAP=master copy.bmp\r\n",
                          {{"MASTER COPY.BMP", TkxFileType::ftBmp, encode(master, "BMP")}});
    EXPECT_TRUE(skin.model.MasterBitmap.isNull());
}

TEST(SkinModel, CommonSectionsAndFallbacks)
{
    const LoadedSkin skin(
        u"[GLOBALINFO]\r\nVERSION=10\r\n[BUTTON]\r\nCOLOR=77\r\n[FORMTITLE]\r\nCOLOR=5\r\n[TOOLBAR]\r\nCOLOR=6\r\n");
    const TkSkinModel& m = skin.model;
    EXPECT_EQ(m.ConstData.Sections[ssButton], m.GetSkinIndex("BUTTON"));
    EXPECT_EQ(m.ConstData.Sections[ssColHeader], m.GetSkinIndex("BUTTON"));
    EXPECT_GE(m.GetSkinIndex("COLHEADER"), 0);
    EXPECT_EQ(m.gd.at(std::size_t(m.GetSkinIndex("COLHEADER"))).Props[0].Color, 77);
    EXPECT_EQ(m.ConstData.Sections[ssColHeaderA], m.GetSkinIndex("COLHEADER"));
    EXPECT_EQ(m.ConstData.Sections[ssDialogTitle], m.GetSkinIndex("FORMTITLE"));
    EXPECT_EQ(m.ConstData.Sections[ssMenuCaption], m.GetSkinIndex("TOOLBAR"));
    EXPECT_EQ(m.ConstData.Sections[ssMenuLine], -1);
    EXPECT_EQ(m.ConstData.Sections[ssSlider_On], -1);
    EXPECT_EQ(m.GetSkinIndex("SLIDER_ON"), -1);
    EXPECT_EQ(m.ConstData.Sections[ssEdit], -1);
    EXPECT_EQ(m.GetSkinIndex(""), -1);
    // Standard sections a skin without them gets.
    const TkGeneralData& transparent = skin.section("TRANSPARENT");
    EXPECT_EQ(transparent.States, 1);
    EXPECT_EQ(transparent.Props[2].Transparency, 100);
    EXPECT_EQ(skin.section("MAINCOLOR").Props[0].Color, m.GetGlobalColor());
}

TEST(SkinModel, GlobalValuesAndPalette)
{
    const LoadedSkin skin(
        u"[GLOBALINFO]\r\nVERSION=10.5\r\nTITLEHEIGHT=0\r\nBORDERWIDTH=6\r\nBRIGHTMIN=-40\r\nALIGNOFFSET=3\r\n"
        u"ALIGNOFFSETT=1\r\nCOLOR=16249576\r\nFONTCOLOR=4013373\r\nBTNCOLOR1ACTIVE=4294967295\r\n"
        u"LO_SOURCE=0\r\nSH_OPACITY=90\r\n"
        u"[EDIT]\r\nCOLOR=16777215\r\nFONTCOLOR=0\r\n[TABTOP]\r\nTABSCOVERING=2\r\n", {}, 2);
    const TkSkinModel& m = skin.model;
    const TkSkinData& d = m.CommonSkinData;
    EXPECT_DOUBLE_EQ(d.Version, 10.5);
    EXPECT_EQ(d.ExTitleHeight, 30);
    EXPECT_EQ(d.ExMaxHeight, 30);
    EXPECT_EQ(d.ExBorderWidth, 6);
    EXPECT_EQ(d.BrightMin, -40);
    EXPECT_EQ(d.ExShadowOffsR, 3);
    EXPECT_EQ(d.ExShadowOffsT, 1);
    EXPECT_EQ(d.TabsCovering, 2);
    EXPECT_EQ(m.oe[0].Mask, -1);
    EXPECT_EQ(m.oe[0].OffsetB, 4);
    EXPECT_EQ(m.oe[1].Opacity, 90);
    EXPECT_GE(m.oe[1].Mask, 0);
    EXPECT_EQ(m.GetGlobalColor(), 16249576);
    EXPECT_EQ(m.GetGlobalFontColor(), 4013373);
    EXPECT_EQ(m.GetActiveEditColor(), 0xFFFFFF);
    EXPECT_EQ(m.GetActiveEditFontColor(), 0);
    EXPECT_EQ(m.Palette[pcBtnColor1Active], TColor(0xFFFFFFFFu));
    EXPECT_EQ(m.Palette[pcBtnColor1Normal], TColor(0xFF000000u | 16249576));
    EXPECT_EQ(m.Palette[pcEditBG_EvenRow], Mix(0, 0xFFFFFF, 13));
    EXPECT_EQ(m.Palette[pcEditText_Caution], 0x8597D9);
    EXPECT_EQ(m.Palette[pcGrid], Mix(0, 0xFFFFFF, 30));
}

TEST(SkinModel, ScaledGlobalsUseTheSuffixOrTheFactor)
{
    const QStringView text = u"[GLOBALINFO]\r\nTITLEHEIGHT=32\r\nTITLEHEIGHT*150=50\r\nCENTEROFFSET=4\r\n";
    EXPECT_EQ(LoadedSkin(text, {}, 0).model.CommonSkinData.ExTitleHeight, 32);
    EXPECT_EQ(LoadedSkin(text, {}, 1).model.CommonSkinData.ExTitleHeight, 40);
    EXPECT_EQ(LoadedSkin(text, {}, 2).model.CommonSkinData.ExTitleHeight, 50);
    EXPECT_EQ(LoadedSkin(text, {}, 3).model.CommonSkinData.ExCenterOffs, 8);
}

TEST(SkinModel, NewerVersionWarnsAndStillLoads)
{
    TkOptionsTable table = TkOptionsTable::FromText(u"[GLOBALINFO]\r\nVERSION=14\r\n[BUTTON]\r\n");
    TkSkinModel model;
    std::string warning;
    model.OnVersionWarning = [&](const std::string& text) { warning = text; };
    model.Load({&table, nullptr, {}});
    EXPECT_EQ(warning,
              "This version of the skin has not complete support by used skin engine release.\r\n"
              "Components must be updated to latest version for using this skin.");
    EXPECT_GE(model.GetSkinIndex("BUTTON"), 0);
}

TEST(SkinModel, WithoutOptionsEverythingDefaults)
{
    TkSkinModel model;
    model.Load({});
    EXPECT_EQ(model.CommonSkinData.ExTitleHeight, 30);
    EXPECT_EQ(model.ConstData.IndexGLobalInfo, -1);
    EXPECT_EQ(model.gd.size(), 2u);  // TRANSPARENT and MAINCOLOR
    model.Clear();
    EXPECT_TRUE(model.gd.empty());
    EXPECT_EQ(model.ConstData.Sections[ssSpeedButton], -1);
}

TEST(SkinModel, FolderSkinFilesAreFoundWhateverTheirCase)
{
    testing_support::TempDir dir;
    const QString path = QString::fromStdString(dir.path().string()) + "/";
    QImage glow(4, 4, QImage::Format_ARGB32);
    glow.fill(qRgba(255, 255, 255, 255));
    glow.save(path + "glowbtn.png");
    QImage master(8, 8, QImage::Format_RGB888);
    master.fill(Qt::blue);
    master.save(path + "Master.bmp");
    TkOptionsTable table = TkOptionsTable::FromText(
        u"[GLOBALINFO]\r\nMASTERBITMAP=Master.bmp\r\n[SPEEDBUTTON]\r\nGLOW0=!GlowBtn.png!1!0!3\r\n");
    TkSkinModel model;
    model.Load({&table, nullptr, path});
    EXPECT_FALSE(model.MasterBitmap.isNull());
    EXPECT_GE(model.GetMaskIndex(model.GetSkinIndex("SPEEDBUTTON"), "GLOW0"), 0);
}

TEST(SkinModel, MaskLookupFollowsParents)
{
    const LoadedSkin skin(
        u"[BASE]\r\nBORDERSMASK=^0000^0000^0030^0020^0003^0003^0003^0003^3^0^1^0\r\n"
        u"[CHILD]\r\nPARENTCLASS=BASE\r\n[LOOP1]\r\nPARENTCLASS=LOOP2\r\n[LOOP2]\r\nPARENTCLASS=LOOP1\r\n");
    const TkSkinModel& m = skin.model;
    const int base = m.GetSkinIndex("BASE");
    const int child = m.GetSkinIndex("CHILD");
    EXPECT_EQ(m.GetMaskIndex(child, "BORDERSMASK"), 0);
    EXPECT_EQ(m.gd[std::size_t(child)].BorderIndex, 0);
    EXPECT_EQ(m.GetMaskIndex(child, "BASE", "BORDERSMASK"), -1);
    EXPECT_EQ(m.GetMaskIndex("CHILD", "BORDERSMASK"), 0);
    EXPECT_EQ(m.GetMaskIndex(m.GetSkinIndex("LOOP1"), "BORDERSMASK"), -1);
    EXPECT_EQ(m.GetTextureIndex(base, "BORDERSMASK"), -1);
    EXPECT_TRUE(m.IsValidImgIndex(0));
    EXPECT_FALSE(m.IsValidImgIndex(int(m.ma.size())));
    EXPECT_FALSE(m.IsValidSkinIndex(-1));
}

TEST(SkinModel, ReloadingAnotherSkinForgetsTheFirst)
{
    const TkOptionsTable first = TkOptionsTable::FromText(
        u"[A]\r\nBORDERSMASK=^0000^0000^0030^0020^0003^0003^0003^0003^3^0^1^0\r\n");
    const TkOptionsTable second = TkOptionsTable::FromText(
        u"[B]\r\nBORDERSMASK=^0000^0000^0030^0020^0003^0003^0003^0003^3^0^1^0\r\n");
    TkSkinModel model;
    model.Load({&first, nullptr, {}});
    model.Load({&second, nullptr, {}});
    EXPECT_EQ(model.GetSkinIndex("A"), -1);
    EXPECT_EQ(model.GetSkinIndex("B"), 0);
    EXPECT_EQ(model.gd[0].BorderIndex, model.GetMaskIndex(0, "BORDERSMASK"));
    EXPECT_EQ(model.ma.at(std::size_t(model.gd[0].BorderIndex)).ClassName, "B");
}

TEST(SkinModel, ElementRectanglesBeyondTheBitmapAreClipped)
{
    QImage master(10, 10, QImage::Format_RGB888);
    master.fill(Qt::green);
    const LoadedSkin skin(u"[GLOBALINFO]\r\nMASTERBITMAP=M.BMP\r\nHUGE=@0005@0005@9999@9999@1@0\r\n"
                          u"MASKED=@0000@0000@0010@0016@1@1\r\nOUTSIDE=@0500@0500@0600@0600@1@0\r\n",
                          {{"M.BMP", TkxFileType::ftBmp, encode(master, "BMP")}});
    const TkSkinModel& m = skin.model;
    const int global = m.ConstData.IndexGLobalInfo;
    EXPECT_EQ(ElementImage(m, m.GetMaskIndex(global, "HUGE"), 0).size(), QSize(5, 5));
    EXPECT_EQ(ElementImage(m, m.GetMaskIndex(global, "MASKED"), 0).size(), QSize(10, 8));
    EXPECT_TRUE(ElementImage(m, m.GetMaskIndex(global, "OUTSIDE"), 0).isNull());
    EXPECT_TRUE(ElementImage(m, -1, 0).isNull());
}

TEST(SkinModel, HostileOptionsLoadQuickly)
{
    // A long PARENTCLASS chain, thousands of sections and a lying FontCount.
    QString text = QStringLiteral("[GLOBALINFO]\r\nFontCount=2147483647\r\nFontFile0=X.TTF\r\n");
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("[S%1]\r\nPARENTCLASS=S%2\r\nBORDERSMASK=^0000^0000^0004^0004^0001^0001^0001^0001^1^0^1^0\r\n")
                    .arg(i)
                    .arg(i + 1);
    const TkOptionsTable table = TkOptionsTable::FromText(text);
    TkSkinModel model;
    QElapsedTimer timer;
    timer.start();
    model.Load({&table, nullptr, {}});
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(model.GetSkinIndex("S2999"), 3000);
    EXPECT_EQ(model.gd[1].Props[0].Color, 0xFFFFFF);
}
