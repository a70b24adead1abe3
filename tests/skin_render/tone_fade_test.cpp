// The renderer's colour tones, cross-fades and disabled looks, on images.
#include "skin/model/skin_model.h"
#include "skin/render/fade.h"
#include "skin/render/skin_render.h"
#include "skin/render/tone.h"
#include "tests/support/pixels.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTest>

#include <gtest/gtest.h>

using namespace skin;

namespace {

using testing_support::Filled;
using testing_support::Near;
std::string text(const QColor& c) { return testing_support::ColourText(c); }

// A model with one opaque section "RED" (red fill) and a clear one "CLEAR".
struct TwoSections {
    TkSkinModel model;
    int red = model.AddNewSection("RED", -1, 1, 0, 0x0000FF, 0);
    int clear = model.AddNewSection("CLEAR", -1, 1, 100, 0xFFFFFF, 0);
};

} // namespace

TEST(ControlTone, HueSaturationAndToneRecolourTheItemsOwnPixels)
{
    struct Case {
        const char* name;
        QColor pixel;
        int hue;
        int saturation;
        TColor tone;
        QColor expected;
    };
    const Case cases[] = {
        {"hue +120 turns red green", Qt::red, 120, 0, clNone, Qt::green},
        {"hue +240 turns red blue", Qt::red, 240, 0, clNone, Qt::blue},
        {"saturation -100 greys", Qt::red, 0, -100, clNone, QColor(128, 128, 128)},
        {"a blue tone keeps lightness", Qt::red, 0, 0, 0xFF0000, Qt::blue},
        {"a tone over grey keeps grey's lightness", QColor(128, 128, 128), 0, 0, 0x0000FF, QColor(255, 0, 0)},
        {"nothing set, nothing changes", QColor(10, 20, 30), 0, 0, clNone, QColor(10, 20, 30)},
    };
    for (const Case& c : cases) {
        QImage image = Filled({4, 4}, c.pixel);
        ApplyTone(image, c.hue, c.saturation, c.tone);
        const QColor got = image.pixelColor(1, 1);
        if (QString(c.name).contains("grey's lightness"))
            EXPECT_EQ(got.lightness(), c.pixel.lightness()) << c.name;
        else
            EXPECT_TRUE(Near(got, c.expected)) << c.name << ": " << text(got);
    }
}

TEST(ControlTone, KeyColourAndClearPixelsStayAsTheyAre)
{
    QImage image = Filled({2, 1}, Qt::transparent);
    image.setPixelColor(0, 0, QColor(255, 0, 255));
    ApplyTone(image, 90, 0, 0xFF0000);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_EQ(image.pixelColor(1, 0).alpha(), 0);
}

TEST(ControlTone, WhatShowsThroughFromBeneathIsNotToned)
{
    TwoSections skin;
    TkBeneath beneath;
    beneath.Color = QColor(200, 30, 30);
    QImage image = Filled({10, 10}, Qt::white);
    PaintSectionItem(image, image.rect(), skin.model, skin.clear, 0, beneath, TkItemLook{{}, 120, 0, clNone});
    EXPECT_EQ(image.pixelColor(5, 5), QColor(200, 30, 30)) << "a clear section shows the parent untouched";
    PaintSectionItem(image, image.rect(), skin.model, skin.red, 0, beneath, TkItemLook{{}, 120, 0, clNone});
    EXPECT_TRUE(Near(image.pixelColor(5, 5), Qt::green)) << text(image.pixelColor(5, 5));
    PaintSectionItem(image, image.rect(), skin.model, skin.red, 0, beneath, TkItemLook{QColor(Qt::blue), 0, 0, clNone});
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::blue)) << "without a tone the plain path is taken";
}

TEST(DisabledLook, AnsweredKeyColourIsReplacedByTheParentsOwnColour)
{
    TkBeneath beneath;
    beneath.Color = QColor(255, 0, 255);
    beneath.ParentColor = Qt::white;
    QImage image = Filled({2, 2}, Qt::black);
    BlendDisabled(image, beneath);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(154, 154, 154));

    beneath.ParentColor = QColor();
    image = Filled({2, 2}, Qt::black);
    BlendDisabled(image, beneath);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(154, 0, 154)) << "no parent colour known: the answer is used";
}

TEST(DisabledLook, KindsGreyThenBlend)
{
    TkBeneath beneath;
    beneath.Color = Qt::white;
    struct Case {
        int kind;
        QColor expected;
    };
    const Case cases[] = {
        {0, QColor(255, 0, 0)},
        {dkBlended, QColor(254, 154, 154)},
        {dkGrayed, QColor(qGray(qRgb(255, 0, 0)), qGray(qRgb(255, 0, 0)), qGray(qRgb(255, 0, 0)))},
        {dkGrayed | dkBlended, QColor(188, 188, 188)},
    };
    for (const Case& c : cases) {
        QImage image = Filled({2, 2}, Qt::red);
        ApplyDisabledLook(image, beneath, c.kind);
        EXPECT_TRUE(Near(image.pixelColor(0, 0), c.expected, 1)) << c.kind << ": " << text(image.pixelColor(0, 0));
    }
}

TEST(CrossFade, MixesTowardsTheTargetAndEndsExactlyOnIt)
{
    const QImage from = Filled({4, 4}, Qt::black);
    const QImage to = Filled({4, 4}, Qt::white);
    EXPECT_EQ(CrossFade(from, to, 0).pixelColor(1, 1), QColor(Qt::black));
    const QColor half = CrossFade(from, to, 0.5).pixelColor(1, 1);
    EXPECT_TRUE(Near(half, QColor(128, 128, 128), 2)) << text(half);
    EXPECT_EQ(CrossFade(from, to, 1.0), to);
    EXPECT_EQ(CrossFade(from, to, 1.5), to);
    EXPECT_EQ(CrossFade(Filled({3, 3}, Qt::black), to, 0.2), to) << "another size cannot be mixed";
}

TEST(CrossFade, DrivenByQtAnimationsEndsInTheStillPicture)
{
    QObject owner;
    int frames = 0;
    TkFade fade(&owner, [&] { ++frames; });
    const QImage from = Filled({4, 4}, Qt::black);
    const QImage to = Filled({4, 4}, Qt::white);
    EXPECT_EQ(fade.Frame(to), to) << "not running: the still picture";
    fade.Start(from, 60);
    EXPECT_TRUE(fade.Running());
    EXPECT_NE(fade.Frame(to), to);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fade.Running(); }, 5000));
    EXPECT_EQ(fade.Frame(to), to);
    EXPECT_DOUBLE_EQ(fade.Progress(), 1.0);
    EXPECT_GE(frames, 2);

    fade.Start(from, 60);
    fade.Stop();
    EXPECT_FALSE(fade.Running());
    EXPECT_EQ(fade.Frame(to), to);
}

TEST(CrossFade, OwnerGoneMidFadeLeavesNothingBehind)
{
    auto owner = std::make_unique<QObject>();
    int frames = 0;
    {
        TkFade fade(owner.get(), [&] { ++frames; });
        fade.Start(Filled({4, 4}, Qt::black), 200);
    }  // the fade goes first, its animation with it
    QTest::qWait(50);
    const int seen = frames;
    auto* second = new TkFade(owner.get(), [&] { ++frames; });
    second->Start(Filled({4, 4}, Qt::black), 200);
    owner.reset();  // the owner goes first: its animation is deleted with it
    delete second;
    QTest::qWait(50);
    EXPECT_LE(frames, seen + 1);
}
