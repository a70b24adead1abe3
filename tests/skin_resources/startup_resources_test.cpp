// The start-up resources our generator draws: the symbol font registers and
// holds every mark the skinned menus and buttons draw, the hint frame and
// the form shadows decode with the sizes they promise.
#include "skin/resources/startup_resources.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

using namespace skin;

namespace {

int inkedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

long alphaSum(const QImage& image)
{
    long sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum;
}

} // namespace

TEST(StartupResources, SymbolFontRegistersWithEveryMark)
{
    const QString family = SymbolFontFamily();
    ASSERT_EQ(family, "Fluxmira Symbols");
    EXPECT_EQ(SymbolFontFamily(), family) << "registered once";
    QFont font(family);
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    for (char16_t mark : {kSymbolCheck, kSymbolSubmenu, kSymbolDropDown, kSymbolClose, kSymbolMinimize,
                          kSymbolMaximize, kSymbolDot}) {
        EXPECT_TRUE(metrics.inFontUcs4(mark)) << std::hex << int(mark);
        QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(image.rect(), Qt::AlignCenter, QString(QChar(mark)));
        p.end();
        EXPECT_GT(inkedPixels(image), 8) << "mark " << std::hex << int(mark) << " draws";
    }
}

TEST(StartupResources, UnknownNamesGiveNothing)
{
    EXPECT_FALSE(StartupResource("KXFONT").isEmpty());
    EXPECT_TRUE(StartupResource("NOSUCH").isEmpty());
}

TEST(StartupResources, HintFrameAndShadowsHaveTheirPromisedShapes)
{
    const TkHintTemplate& hint = DefaultHintTemplate();
    ASSERT_FALSE(hint.Image.isNull());
    EXPECT_EQ(hint.Borders, QMargins(11, 10, 15, 14));
    EXPECT_EQ(hint.Shadow, QMargins(6, 5, 8, 7));
    EXPECT_EQ(hint.Client, QMargins(11, 8, 15, 16));
    EXPECT_GT(hint.Image.width(), hint.Borders.left() + hint.Borders.right());
    EXPECT_GT(hint.Image.height(), hint.Borders.top() + hint.Borders.bottom());
    EXPECT_EQ(qAlpha(hint.Image.pixel(hint.Image.width() / 2, hint.Image.height() / 2)), 255) << "an opaque body";
    EXPECT_LT(qAlpha(hint.Image.pixel(0, 0)), 255) << "shadow at the edge";

    const QImage& active = FormShadowTemplate(true);
    const QImage& inactive = FormShadowTemplate(false);
    ASSERT_FALSE(active.isNull());
    EXPECT_EQ(active.size(), inactive.size());
    EXPECT_EQ(qAlpha(active.pixel(active.width() / 2, active.height() / 2)), 0) << "clear where the form is";
    EXPECT_GT(alphaSum(active), alphaSum(inactive)) << "the active form's shadow is darker";
}
