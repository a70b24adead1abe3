// The skin renderer on its own: nine-slice arithmetic, backgrounds, the
// disabled blend and skin text, checked on images.
#include "skin/render/skin_render.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace skin;

namespace {

// 12 x 12: columns 0-3 red, 4-7 green, 8-11 blue.
QImage threeBands()
{
    QImage piece(12, 12, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&piece);
    p.fillRect(0, 0, 4, 12, Qt::red);
    p.fillRect(4, 0, 4, 12, Qt::green);
    p.fillRect(8, 0, 4, 12, Qt::blue);
    return piece;
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

} // namespace

TEST(NineSlice, WidthsShrinkFromBothSidesToFitTheTarget)
{
    struct Case {
        TkBorderWidths widths;
        QSize target;
        TkBorderWidths expected;
    };
    const Case cases[] = {
        {{4, 5, 4, 3}, {40, 40}, {4, 5, 4, 3}},
        {{4, 4, 4, 4}, {6, 8}, {3, 4, 3, 4}},
        {{4, 4, 4, 4}, {7, 7}, {4, 4, 3, 3}},
        {{4, 4, 4, 4}, {1, 0}, {1, 0, 0, 0}},
        {{5, 2, 1, 2}, {2, 3}, {3, 2, 0, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitBorderWidths(c.widths, c.target), c.expected)
            << c.target.width() << "x" << c.target.height();
}

TEST(NineSlice, SixPixelsWideWithBordersOfFourDrawsCornersOfThree)
{
    QImage target = filled({6, 12}, Qt::white);
    QPainter p(&target);
    DrawNineSlice(p, threeBands(), {4, 4, 4, 4}, kDrawStretchEdges | kDrawFillCentre, target.rect());
    p.end();
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(at(target, x, 6), x < 3 ? QColor(Qt::red) : QColor(Qt::blue)) << "column " << x;
}

TEST(NineSlice, CentreIsFilledOnlyWithItsFlag)
{
    for (const int mode : {kDrawStretchEdges, kDrawStretchEdges | kDrawFillCentre, 0, kDrawFillCentre}) {
        QImage target = filled({30, 30}, Qt::white);
        QPainter p(&target);
        DrawNineSlice(p, threeBands(), {4, 4, 4, 4}, mode, target.rect());
        p.end();
        EXPECT_EQ(at(target, 15, 15), (mode & kDrawFillCentre) ? QColor(Qt::green) : QColor(Qt::white)) << mode;
        EXPECT_EQ(at(target, 0, 15), QColor(Qt::red)) << mode;
        EXPECT_EQ(at(target, 29, 15), QColor(Qt::blue)) << mode;
        EXPECT_EQ(at(target, 15, 0), QColor(Qt::green)) << mode;
    }
}

TEST(NineSlice, TargetsBelowTwoPixelsAndHiddenFirstColumnDrawNothing)
{
    TkSkinModel model;
    model.MasterBitmap = threeBands().convertToFormat(QImage::Format_ARGB32);
    const int plain = model.MakeNewItem(0, "BORDERSMASK", "X", TkxImgType::itisaBorder, {0, 0, 12, 12}, 1, 5, 0);
    const int hidden = model.MakeNewItem(0, "BORDERSMASK", "Y", TkxImgType::itisaBorder, {0, 0, 12, 12}, 1, 7, 0);
    for (int i : {plain, hidden}) {
        TkMaskData& e = model.ma[std::size_t(i)];
        e.WL = e.WT = e.WR = e.WB = 4;
        e.Width = e.Height = 12;
    }
    struct Case {
        int element;
        QSize size;
        int column;
        bool drawn;
    };
    const Case cases[] = {
        {plain, {10, 10}, 0, true}, {plain, {1, 10}, 0, false}, {plain, {10, 1}, 0, false},
        {hidden, {10, 10}, 0, false}, {hidden, {10, 10}, 1, true},
    };
    for (const Case& c : cases) {
        QImage target = filled(c.size, Qt::white);
        QPainter p(&target);
        DrawBorderElement(p, model, c.element, target.rect(), c.column);
        p.end();
        EXPECT_EQ(at(target, 0, 0) != QColor(Qt::white), c.drawn) << c.element << " " << c.size.width();
    }
}

TEST(DisabledLook, BlendsEachChannelAndAlphaWithWhatLiesBeneath)
{
    struct Case {
        QColor pixel;
        QColor beneath;
        QColor expected;
    };
    const Case cases[] = {
        {QColor(0, 0, 0), QColor(255, 255, 255), QColor(154, 154, 154)},
        {QColor(255, 255, 255), QColor(0, 0, 0), QColor(99, 99, 99)},
        {QColor(100, 0, 255), QColor(200, 255, 0), QColor(160, 154, 99)},
    };
    for (const Case& c : cases) {
        QImage overImage = filled({2, 2}, c.pixel);
        BlendDisabled(overImage, filled({2, 2}, c.beneath));
        EXPECT_EQ(at(overImage, 1, 1), c.expected) << "over an image";
        QImage overColour = filled({2, 2}, c.pixel);
        BlendDisabled(overColour, c.beneath);
        EXPECT_EQ(at(overColour, 1, 1), c.expected) << "over a colour";
        EXPECT_EQ(MixColor(c.pixel, c.beneath, kDisabledBlend), c.expected);
    }
}

TEST(DisabledLook, PixelsOverAClearKeyColourStayAsTheyAre)
{
    QImage image = filled({2, 1}, Qt::black);
    QImage beneath(2, 1, QImage::Format_ARGB32);
    beneath.setPixel(0, 0, qRgba(255, 0, 255, 0));
    beneath.setPixel(1, 0, qRgba(255, 255, 255, 255));
    BlendDisabled(image, beneath);
    EXPECT_EQ(at(image, 0, 0), QColor(Qt::black));
    EXPECT_EQ(at(image, 1, 0), QColor(154, 154, 154));
}

TEST(SectionBackground, TransparencyMixesTheFillWithWhatLiesBeneath)
{
    TkSkinModel model;
    struct Case {
        int transparency;
        QColor expected;
    };
    const Case cases[] = {{0, QColor(0, 0, 0)}, {100, QColor(255, 255, 255)}, {50, QColor(128, 128, 128)}};
    for (const Case& c : cases) {
        TkGenState state;
        state.Color = 0;
        state.Transparency = c.transparency;
        TkBeneath beneath;
        beneath.Color = Qt::white;
        QImage image = filled({4, 4}, Qt::red);
        PaintSectionBackground(image, image.rect(), model, state, beneath);
        const QColor got = at(image, 2, 2);
        EXPECT_NEAR(got.red(), c.expected.red(), 1) << c.transparency;
        EXPECT_EQ(got.red(), got.blue());
    }
    TkGenState state;
    state.Color = 0;
    TkBeneath beneath;
    QImage image = filled({4, 4}, Qt::white);
    PaintSectionBackground(image, image.rect(), model, state, beneath, QColor(Qt::green));
    EXPECT_EQ(at(image, 1, 1), QColor(Qt::green)) << "a custom colour replaces the state's";
}

TEST(SkinText, GlowSurroundsTheTextAndContoursShiftByOnePixel)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(20);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    const QRect rect(10, 10, 40, 30);
    const auto render = [&](const TkTextLook& look) {
        QImage image = filled({60, 50}, Qt::white);
        QPainter p(&image);
        p.setFont(font);
        DrawSkinText(p, rect, Qt::AlignCenter, QStringLiteral("\u2588"), look);
        return image;
    };
    TkTextLook plain;
    plain.Color = Qt::black;
    const QImage text = render(plain);
    QRect inked;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            if (at(text, x, y) == QColor(Qt::black))
                inked |= QRect(x, y, 1, 1);
    ASSERT_FALSE(inked.isEmpty());

    TkTextLook glowing = plain;
    glowing.GlowSize = 2;
    glowing.GlowColor = Qt::blue;
    const QImage glow = render(glowing);
    const QColor beside = at(glow, inked.left() - 1, inked.center().y());
    EXPECT_GT(beside.blue(), beside.red()) << "blue halo next to the text";
    EXPECT_EQ(at(glow, inked.center().x(), inked.center().y()), QColor(Qt::black));

    TkTextLook contoured = plain;
    contoured.Contours[0] = Qt::red;  // left
    const QImage contour = render(contoured);
    EXPECT_EQ(at(contour, inked.left() - 1, inked.center().y()), QColor(Qt::red));
    EXPECT_EQ(at(contour, inked.right() + 1, inked.center().y()), QColor(Qt::white));
}
