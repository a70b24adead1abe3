// The skinned speed button, edit and label on real widgets (offscreen),
// drawn from a small test skin whose image columns tell the state apart.
#include "skin/controls/edit.h"
#include "skin/controls/label.h"
#include "skin/controls/speed_button.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_manager.h"
#include "tests/skin_controls/mouse_over.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFrame>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace skin;
using namespace skin_ui_test;

namespace {

QImage shot(QWidget* w) { return Shot(w); }

QColor darkest(const QImage& image)
{
    QColor best(255, 255, 255);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(best.rgb()))
                best = image.pixelColor(x, y);
    return best;
}

void hover(QWidget* w) { Hover(w); }

void unhover(QWidget* w) { Unhover(w); }

class SkinnedControls : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFolderSkin(QString::fromStdString(dir.path().string()), "Test");
        manager = std::make_unique<TkSkinManager>();
        manager->SetSkinDirectory(QString::fromStdString(dir.path().string()));
        manager->SetSkinName("Test");
        ASSERT_TRUE(manager->SkinActive());
        form = std::make_unique<QWidget>();
        form->resize(240, 140);
        form->show();
        QApplication::processEvents();
        ASSERT_NE(TkxProvider::ProviderOf(form.get()), nullptr);
    }

    void TearDown() override
    {
        form.reset();
        manager.reset();
    }

    template <typename T>
    T* add(QSize size, const QString& section = {})
    {
        auto* w = new T(form.get());
        w->resize(size);
        w->move(20, 40);
        if constexpr (requires { w->SkinData; })
            w->SkinData.SkinSection = section;
        w->show();
        QApplication::processEvents();
        return w;
    }

    testing_support::TempDir dir;
    std::unique_ptr<TkSkinManager> manager;
    std::unique_ptr<QWidget> form;
};

} // namespace

TEST_F(SkinnedControls, ButtonShowsTheBorderColumnOfItsState)
{
    struct Case {
        const char* section;
        bool down;
        bool hot;
        QColor expected;
    };
    const Case cases[] = {
        {"", false, false, kColumn0},
        {"", false, true, kColumn1},
        {"", true, false, kColumn2},
        {"TWOSTATE", true, false, kColumn1},
        {"TWOSTATE", false, false, kColumn0},
    };
    for (const Case& c : cases) {
        auto* button = add<TkSpeedButton>({40, 30}, c.section);
        button->setDown(c.down);
        if (c.hot)
            hover(button);
        EXPECT_EQ(shot(button).pixelColor(1, 15), c.expected) << c.section << " down " << c.down << " hot " << c.hot;
        delete button;
    }
}

TEST_F(SkinnedControls, SixPixelWideButtonDrawsCornersOfThreeAndThree)
{
    auto* button = add<TkSpeedButton>({6, 20}, "SLICE");
    const QImage image = shot(button);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(image.pixelColor(x, 10), x < 3 ? kColumn0 : kColumn2) << "column " << x;
}

TEST_F(SkinnedControls, DisabledButtonBlackOverTheWhiteFormReads154)
{
    auto* button = add<TkSpeedButton>({30, 20}, "BLACKBTN");
    EXPECT_EQ(shot(button).pixelColor(15, 10), QColor(0, 0, 0));
    button->setEnabled(false);
    EXPECT_EQ(shot(button).pixelColor(15, 10), QColor(154, 154, 154));
}

TEST_F(SkinnedControls, ButtonOnAStandardParentStandsOnTheParentsColour)
{
    auto* panel = new QFrame(form.get());
    panel->setGeometry(10, 30, 100, 60);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    panel->setPalette(palette);
    auto* button = new TkSpeedButton(panel);
    button->SkinData.SkinSection = "GLASS";
    button->setGeometry(10, 10, 40, 30);
    panel->show();
    QApplication::processEvents();
    EXPECT_EQ(shot(button).pixelColor(20, 15), QColor(10, 20, 30)) << "the section is fully transparent";
}

TEST_F(SkinnedControls, EditShowsTheHotColumnOnlyWhileFocused)
{
    auto* edit = add<TkEdit>({80, 24});
    auto* other = add<QLineEdit>({40, 20});
    other->move(120, 40);
    form->activateWindow();
    QApplication::processEvents();
    other->setFocus();
    hover(edit);
    EXPECT_EQ(shot(edit).pixelColor(1, 12), kColumn0) << "mouse over does not make an edit hot";
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(shot(edit).pixelColor(1, 12), kColumn1);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(shot(edit).pixelColor(1, 12), kColumn0);
}

TEST_F(SkinnedControls, FocusedEditFillsOnlyInsideTheBorderWithItsColour)
{
    auto* edit = add<TkEdit>({80, 24});
    form->activateWindow();
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QColor(0, 0, 255));
    edit->setPalette(palette);
    const QImage image = shot(edit);
    EXPECT_EQ(image.pixelColor(1, 12), kColumn1) << "the skin's hot border stays";
    EXPECT_EQ(image.pixelColor(40, 4), QColor(0, 0, 255)) << "the program's colour inside it";
    edit->clearFocus();
    EXPECT_EQ(shot(edit).pixelColor(40, 4), QColor(255, 255, 255)) << "unfocused: the skin's face";
}

TEST_F(SkinnedControls, PasswordCharactersShowAsDots)
{
    auto* edit = add<TkEdit>({80, 24});
    edit->setText("ab*");
    EXPECT_EQ(edit->DisplayText(), "ab*");
    edit->setEchoMode(QLineEdit::Password);
    EXPECT_EQ(edit->DisplayText(), QString(3, QChar(0x25CF)));
}

TEST_F(SkinnedControls, LabelTakesItsColourFromWhatPaintsBeneathIt)
{
    auto* label = add<TkLabel>({60, 20});
    EXPECT_EQ(label->TextColor(), QColor(255, 0, 0)) << "the form section's font colour";
    label->SkinSection = "BLACKBTN";
    EXPECT_EQ(label->TextColor(), QColor(0, 0, 0)) << "its own opaque section's font colour";
    label->SkinSection.clear();
    auto* panel = new QFrame(form.get());
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, QColor(1, 2, 3));
    panel->setPalette(palette);
    label->setParent(panel);
    EXPECT_EQ(label->TextColor(), QColor(1, 2, 3)) << "an unskinned parent's font colour";
    label->UseSkinColor = false;
    palette.setColor(QPalette::WindowText, QColor(9, 8, 7));
    label->setPalette(palette);
    EXPECT_EQ(label->TextColor(), QColor(9, 8, 7));
}

TEST_F(SkinnedControls, HoverGlowSurroundsTheButtonUntilTheMouseLeaves)
{
    auto* button = add<TkSpeedButton>({40, 30});
    hover(button);
    TkHoverGlow* glow = TkHoverGlow::GlowOf(button);
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->geometry(), button->geometry().adjusted(-5, -5, 5, 5));
    unhover(button);
    EXPECT_EQ(TkHoverGlow::GlowOf(button), nullptr);
    auto* edit = add<TkEdit>({40, 30});
    hover(edit);
    EXPECT_EQ(TkHoverGlow::GlowOf(edit), nullptr) << "the edit section of the test skin has no glow";
}

TEST_F(SkinnedControls, RemovingTheSkinReturnsControlsToTheirStandardLook)
{
    auto* button = add<TkSpeedButton>({40, 30});
    auto* edit = add<TkEdit>({80, 24});
    EXPECT_GE(button->SkinData.SkinIndex, 0);
    manager->SetActive(false);
    EXPECT_EQ(button->SkinData.SkinIndex, -1);
    EXPECT_EQ(edit->SkinData.SkinIndex, -1);
    EXPECT_TRUE(edit->hasFrame());
    manager->SetActive(true);
    EXPECT_GE(button->SkinData.SkinIndex, 0);
    EXPECT_EQ(shot(button).pixelColor(1, 15), kColumn0);
}

// --- Without a skin ---

TEST(UnskinnedControls, LookAndBehaveLikeTheirStandardCounterparts)
{
    QWidget parent;
    parent.resize(200, 100);
    auto* ours = new TkSpeedButton(&parent);
    auto* plain = new QToolButton(&parent);
    plain->setFocusPolicy(Qt::NoFocus);
    plain->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QToolButton* b : {static_cast<QToolButton*>(ours), plain}) {
        b->setText("On");
        b->resize(48, 25);
    }
    auto* edit = new TkEdit(&parent);
    auto* plainEdit = new QLineEdit(&parent);
    auto* label = new TkLabel(&parent);
    auto* plainLabel = new QLabel(&parent);
    for (QLineEdit* e : {static_cast<QLineEdit*>(edit), plainEdit}) {
        e->setText("0.02");
        e->resize(71, 23);
    }
    for (QLabel* l : {static_cast<QLabel*>(label), plainLabel}) {
        l->setText("Freq, GHz");
        l->resize(86, 16);
    }
    parent.show();
    QApplication::processEvents();
    edit->clearFocus();
    plainEdit->clearFocus();
    EXPECT_EQ(shot(ours), shot(plain));
    EXPECT_EQ(shot(edit), shot(plainEdit));
    EXPECT_EQ(shot(label), shot(plainLabel));

    QSignalSpy clicked(ours, &QToolButton::clicked);
    QTest::mouseClick(ours, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyClicks(edit, "5");
    EXPECT_EQ(edit->text(), "0.025");
}

TEST(UnskinnedControls, DisabledLabelBlackOnWhiteReads154)
{
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    parent.setPalette(palette);
    parent.resize(100, 60);
    auto* label = new TkLabel(&parent);
    QFont font("DejaVu Sans");
    font.setPixelSize(24);
    label->setFont(font);
    label->setText(QStringLiteral("\u2588\u2588"));
    label->resize(80, 40);
    parent.show();
    QApplication::processEvents();
    EXPECT_EQ(darkest(shot(label)), QColor(0, 0, 0));
    label->setEnabled(false);
    EXPECT_EQ(darkest(shot(label)), QColor(154, 154, 154));
}
