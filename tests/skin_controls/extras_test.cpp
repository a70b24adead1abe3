// The rest of the skinned controls' looks on real widgets (offscreen): the
// edit's glow and focus colours, popup menus, message-box buttons, tones,
// outer effects, the published extras of the speed button and the edit, and
// fades that end exactly in the still look.
#include "skin/controls/edit.h"
#include "skin/controls/label.h"
#include "skin/controls/outer_effect.h"
#include "skin/controls/speed_button.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/popup_menu.h"
#include "skin/manager/push_button_skin.h"
#include "skin/manager/skin_command.h"
#include "skin/manager/skin_manager.h"
#include "tests/skin_controls/mouse_over.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/skin_manager/animating.h"
#include "tests/support/pixels.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace skin;
using namespace skin_ui_test;

namespace {

// Sections the looks below are told apart by (colours are 0x00BBGGRR).
const QByteArray kExtraSections =
    "[GLOWEDIT]\r\nPARENTCLASS=EDIT\r\nGLOW=1\r\nGLOWMARGIN=1\r\n"
    "GLOW0=^0040^0000^0070^0030^0008^0008^0008^0008^1^0^1^0\r\n"
    "[HOTEDIT]\r\nPARENTCLASS=EDIT\r\nCOLOR=16777215\r\nHOTCOLOR=65280\r\nFONTCOLOR=0\r\nHOTFONTCOLOR=255\r\n"
    "[MAINMENU]\r\nSTATES=1\r\nCOLOR=16711680\r\nFONTCOLOR=0\r\n"
    "BORDERSMASK=^0000^0000^0036^0012^0004^0004^0004^0004^3^0^1^0\r\n"
    "[MENUITEM]\r\nSTATES=2\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=0\r\nHOTCOLOR=65535\r\nFONTCOLOR=0\r\n"
    "HOTFONTCOLOR=16777215\r\n"
    "[BUTTON]\r\nSTATES=3\r\nUSESTATE2=1\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\nTRANSPARENCY2=100\r\n"
    "BORDERSMASK=^0000^0000^0036^0012^0004^0004^0004^0004^3^0^5^0\r\n"
    "[OUTER]\r\nPARENTCLASS=BLACKBTN\r\nOUTERMODE=1\r\nOUTOFFSL=6\r\nOUTOFFST=6\r\nOUTOFFSR=6\r\nOUTOFFSB=6\r\n"
    "OUTOPACITY=255\r\nOUTERMASK=^0040^0000^0070^0030^0008^0008^0008^0008^1^0^1^0\r\n"
    "[SHADOWED]\r\nPARENTCLASS=BLACKBTN\r\nOUTERMODE=2\r\n";

const QColor kGlowColour(255, 200, 0);  // the glow piece of the test master
const QColor kMenuFace(0, 0, 255);      // MAINMENU
const QColor kMenuHot(255, 255, 0);     // MENUITEM hot

QImage shot(QWidget* w) { return Shot(w); }

QImage solid(QSize size, QColor colour) { return testing_support::Filled(size, colour); }

using testing_support::Near;
std::string text(const QColor& c) { return testing_support::ColourText(c); }

int visibleGlows(QWidget* window)
{
    int n = 0;
    for (TkHoverGlow* glow : window->findChildren<TkHoverGlow*>())
        n += glow->isVisible() ? 1 : 0;
    return n;
}

// A shown 240 x 140 form skinned by a manager of the test skin with the extra sections.
class SkinnedLooks : public testing::Test {
protected:
    void SetUp() override
    {
        const QString root = QString::fromStdString(dir.path().string());
        WriteFolderSkin(root, "Extras", kExtraSections);
        manager = std::make_unique<TkSkinManager>();
        manager->SetSkinDirectory(root);
        manager->SetSkinName("Extras");
        ASSERT_TRUE(manager->SkinActive());
        form = std::make_unique<QWidget>();
        form->resize(240, 140);
        form->show();
        QApplication::processEvents();
    }

    void TearDown() override
    {
        form.reset();
        manager.reset();
    }

    template <typename T>
    T* make(QSize size, const QString& section = {}, QWidget* parent = nullptr)
    {
        auto* w = new T(parent ? parent : form.get());
        w->resize(size);
        w->move(40, 50);
        if constexpr (requires { w->SkinData; })
            w->SkinData.SkinSection = section;
        w->show();
        QApplication::processEvents();
        return w;
    }

    // A pixel of the form as shown, in the form's coordinates.
    QColor formPixel(QPoint at) { return shot(form.get()).pixelColor(at); }

    testing_support::TempDir dir;
    std::unique_ptr<TkSkinManager> manager;
    std::unique_ptr<QWidget> form;
};

} // namespace

// --- The edit ---

TEST_F(SkinnedLooks, EditGlowsWhileTheMouseIsOverIt)
{
    auto* edit = make<TkEdit>({80, 24}, "GLOWEDIT");
    const QImage before = shot(form.get());
    const QPoint outside = edit->geometry().topLeft() + QPoint(-1, 12);
    EXPECT_EQ(before.pixelColor(outside), QColor(Qt::white));
    Hover(edit);
    TkHoverGlow* glow = TkHoverGlow::GlowOf(edit);
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->geometry(), edit->geometry().adjusted(-1, -1, 1, 1)) << "GLOWMARGIN 1";
    EXPECT_EQ(formPixel(outside), kGlowColour);
    EXPECT_EQ(edit->CurrentState(), 0) << "the mouse alone does not make an edit hot";
    Unhover(edit);
    QApplication::processEvents();
    EXPECT_EQ(TkHoverGlow::GlowOf(edit), nullptr);
    EXPECT_EQ(shot(form.get()), before) << "no trace of the glow is left";
}

TEST_F(SkinnedLooks, EditColoursGoBackToNormalWhenItLosesTheFocus)
{
    auto* edit = make<TkEdit>({80, 24}, "HOTEDIT");
    auto* other = make<QLineEdit>({40, 20});
    other->move(150, 50);
    form->activateWindow();
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->Color(), QColor(Qt::white));
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->Color(), QColor(0, 255, 0)) << "hot colours while focused";
    EXPECT_EQ(edit->FontColor(), QColor(255, 0, 0));
    EXPECT_EQ(shot(edit).pixelColor(40, 4), QColor(0, 255, 0));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->Color(), QColor(Qt::white));
    EXPECT_EQ(edit->FontColor(), QColor(Qt::black));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(shot(edit).pixelColor(40, 4), QColor(Qt::white));
}

TEST_F(SkinnedLooks, EditBoundLabelStandsBesideItAndFollowsIt)
{
    auto* edit = make<TkEdit>({80, 24});
    TkBoundLabel bound;
    bound.Active = true;
    bound.Caption = "&Freq";
    edit->SetBoundLabel(bound);
    TkLabel* label = edit->BoundLabelControl();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->buddy(), edit);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->geometry().right() + 1, edit->x() - 4);
    EXPECT_EQ(label->geometry().center().y(), edit->geometry().center().y());
    edit->move(120, 80);
    EXPECT_EQ(label->geometry().right() + 1, 116);
    bound.Layout = TkBoundLabelLayout::sclTopLeft;
    edit->SetBoundLabel(bound);
    EXPECT_EQ(label->geometry().bottomLeft(), QPoint(120, 78));
    edit->setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    edit->hide();
    EXPECT_FALSE(label->isVisible());
    bound.Active = false;
    edit->SetBoundLabel(bound);
    EXPECT_EQ(edit->BoundLabelControl(), nullptr);
    QPointer<TkLabel> gone(label);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
}

TEST_F(SkinnedLooks, EditAndButtonAnswerTheSkinCommandsAlike)
{
    auto* edit = make<TkEdit>({80, 24});
    auto* button = make<TkSpeedButton>({40, 30});
    EXPECT_EQ(SendSkinCommand(edit, KM_DEFSECTION, manager.get()), 1 + manager->GetSkinIndex("EDIT"));
    EXPECT_EQ(SendSkinCommand(button, KM_DEFSECTION, manager.get()), 1 + manager->GetSkinIndex("SPEEDBUTTON"));
    EXPECT_EQ(SendSkinCommand(button, KM_ISSKINNED, manager.get()), 1);
    EXPECT_EQ(SendSkinCommand(edit, KM_ISSKINNED, manager.get()), 0);
    // The disabled kinds mean the same for both: grey, then blended.
    edit->DisabledKind = dkGrayed;
    button->DisabledKind = dkGrayed;
    edit->setEnabled(false);
    button->setEnabled(false);
    const int grey = qGray(qRgb(255, 0, 0));
    EXPECT_EQ(shot(edit).pixelColor(1, 12), QColor(grey, grey, grey));
    EXPECT_EQ(shot(button).pixelColor(1, 15), QColor(grey, grey, grey));
}

// --- Popup menus and dialogs ---

TEST_F(SkinnedLooks, EditContextMenuIsDrawnFromMainMenu)
{
    auto* edit = make<TkEdit>({80, 24});
    edit->setText("0.02");
    form->activateWindow();
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(IsSkinnedMenu(menu));
    EXPECT_EQ(menu->style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, menu), 4);
    QImage image = shot(menu);
    EXPECT_EQ(image.pixelColor(1, image.height() / 2), kColumn0) << "MAINMENU's border";
    QAction* selectAll = nullptr;
    for (QAction* action : menu->actions())
        if (action->isEnabled() && action->text().remove(u'&').startsWith("Select All"))
            selectAll = action;
    ASSERT_NE(selectAll, nullptr);
    const QRect item = menu->actionGeometry(selectAll);
    EXPECT_EQ(image.pixelColor(item.right() - 4, item.center().y()), kMenuFace) << "an item over MAINMENU's face";
    menu->setActiveAction(selectAll);
    image = shot(menu);
    EXPECT_EQ(image.pixelColor(item.right() - 4, item.center().y()), kMenuHot) << "the highlighted item: MENUITEM hot";
    menu->close();
}

TEST_F(SkinnedLooks, MenusKeepTheirLookWithoutSkinnedPopups)
{
    manager->SetSkinnedPopups(false);
    QMenu menu;
    menu.addAction("One");
    menu.popup(QPoint(10, 10));
    QApplication::processEvents();
    EXPECT_FALSE(IsSkinnedMenu(&menu));
    menu.close();
}

TEST_F(SkinnedLooks, MessageBoxButtonsAreDrawnFromButton)
{
    QMessageBox box(QMessageBox::Question, "Fluxmira", "Go on?", QMessageBox::Ok | QMessageBox::Cancel);
    box.show();
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_NE(TkxProvider::ProviderOf(&box), nullptr);
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    QAbstractButton* cancel = box.button(QMessageBox::Cancel);
    ASSERT_NE(TkPushButtonSkin::Of(ok), nullptr);
    ASSERT_NE(TkPushButtonSkin::Of(cancel), nullptr);
    ok->clearFocus();
    cancel->clearFocus();
    const int y = ok->height() / 2;
    EXPECT_EQ(shot(ok).pixelColor(1, y), kColumn0);
    Hover(ok);
    EXPECT_EQ(shot(ok).pixelColor(1, y), kColumn1);
    Unhover(ok);
    ok->setDown(true);
    EXPECT_EQ(shot(ok).pixelColor(1, y), kColumn2);
    ok->setDown(false);
    box.activateWindow();
    cancel->setFocus();
    QApplication::processEvents();
    if (cancel->hasFocus()) {
        EXPECT_EQ(shot(cancel).pixelColor(1, y), kColumn1) << "a focused button is hot";
    }

    manager->SetActive(false);
    EXPECT_EQ(TkPushButtonSkin::Of(ok), nullptr);
    EXPECT_NE(shot(ok).pixelColor(1, y), kColumn0) << "back to its own look";
    box.hide();
}

TEST_F(SkinnedLooks, PushButtonsOfAnyWindowAreSkinnedUnlessExcluded)
{
    QWidget window;
    auto* plain = new QPushButton("Yes", &window);
    auto* excluded = new QPushButton("No", &window);
    excluded->setProperty("Tag", 256);
    excluded->move(0, 40);
    window.resize(200, 80);
    window.show();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_NE(TkPushButtonSkin::Of(plain), nullptr);
    EXPECT_EQ(TkPushButtonSkin::Of(excluded), nullptr) << "excluded by its Tag";
}

// --- The control's own touches ---

TEST_F(SkinnedLooks, HueSaturationAndToneOfTheControl)
{
    auto* button = make<TkSpeedButton>({40, 30});
    EXPECT_EQ(shot(button).pixelColor(1, 15), kColumn0);
    button->SkinData.HUEOffset = 120;
    EXPECT_TRUE(Near(shot(button).pixelColor(1, 15), QColor(0, 255, 0))) << text(shot(button).pixelColor(1, 15));
    button->SkinData.HUEOffset = 0;
    button->SkinData.Saturation = -100;
    EXPECT_TRUE(Near(shot(button).pixelColor(1, 15), QColor(128, 128, 128)));
    button->SkinData.Saturation = 0;
    button->SkinData.ColorTone = 0xFF0000;
    EXPECT_TRUE(Near(shot(button).pixelColor(1, 15), QColor(0, 0, 255)));
    auto* glass = make<TkSpeedButton>({40, 30}, "GLASS");
    glass->move(120, 50);
    glass->SkinData.ColorTone = 0x0000FF;
    EXPECT_EQ(shot(glass).pixelColor(20, 15), QColor(Qt::white)) << "the form beneath is not toned";
}

TEST_F(SkinnedLooks, DisabledOverAKeyColouredAnswerUsesTheParentsColour)
{
    struct KeyedParent : QWidget {
        using QWidget::QWidget;
        bool event(QEvent* e) override
        {
            if (e->type() == TkSkinCommandEvent::EventType()) {
                auto* c = static_cast<TkSkinCommandEvent*>(e);
                if (c->Command == KM_GETBACKGROUND) {
                    c->BeneathColor = QColor(255, 0, 255);
                    c->Answered = true;
                    return true;
                }
            }
            return QWidget::event(e);
        }
    };
    auto* parent = new KeyedParent(form.get());
    QPalette palette = parent->palette();
    palette.setColor(QPalette::Window, Qt::white);
    parent->setPalette(palette);
    parent->setGeometry(10, 40, 120, 80);
    parent->show();
    auto* button = make<TkSpeedButton>({30, 20}, "BLACKBTN", parent);
    button->move(10, 10);
    button->setEnabled(false);
    EXPECT_EQ(shot(button).pixelColor(15, 10), QColor(154, 154, 154));
}

TEST_F(SkinnedLooks, OuterEffectsAroundControlsThatAskForThem)
{
    auto* plain = make<TkSpeedButton>({30, 20}, "OUTER");
    EXPECT_EQ(plain->SkinData.OuterEffect, nullptr) << "ovNone by default";

    auto* own = make<TkSpeedButton>({30, 20}, "OUTER");
    own->move(40, 30);
    own->SkinData.OuterEffects.Visibility = TkOuterVisibility::ovAlways;
    manager->RepaintForms();
    auto* effect = qobject_cast<TkOuterEffect*>(own->SkinData.OuterEffect.data());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->geometry(), own->geometry().adjusted(-6, -6, 6, 6)) << "widened by OUTOFFS*";
    EXPECT_EQ(effect->Opacity(), 255);
    EXPECT_EQ(formPixel(own->geometry().topLeft() + QPoint(-3, 10)), kGlowColour) << "the section's OUTERMASK";

    auto* shadowed = make<TkSpeedButton>({30, 20}, "SHADOWED");
    shadowed->move(150, 80);
    shadowed->SkinData.OuterEffects.Visibility = TkOuterVisibility::ovAlways;
    manager->RepaintForms();
    QWidget* shadow = shadowed->SkinData.OuterEffect;
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->geometry(), shadowed->geometry().adjusted(-3, -2, 3, 5)) << "the skin's shadow entry";
    EXPECT_LT(qGray(formPixel(shadowed->geometry().bottomLeft() + QPoint(15, 2)).rgb()), 255);

    manager->Effects.AllowOuterEffects = false;
    manager->RepaintForms();
    EXPECT_EQ(shadowed->SkinData.OuterEffect, nullptr);
    manager->Effects.AllowOuterEffects = true;
    manager->SetActive(false);
    EXPECT_EQ(own->SkinData.OuterEffect, nullptr);
}

TEST_F(SkinnedLooks, LabelReturnsToItsParentsFontWhenTheSkinGoes)
{
    auto* follower = make<TkLabel>({60, 20});
    auto* own = make<TkLabel>({60, 20});
    QFont serif("DejaVu Serif");
    own->setFont(serif);
    manager->RepaintForms();  // refresh: each label remembers how it got its font
    follower->setFont(serif);
    manager->SetActive(false);
    EXPECT_FALSE(follower->testAttribute(Qt::WA_SetFont)) << "follows its parent's font again";
    EXPECT_TRUE(own->testAttribute(Qt::WA_SetFont));
    EXPECT_EQ(own->font().family(), serif.family());
}

// --- The speed button's extras ---

TEST_F(SkinnedLooks, ButtonTakesItsGlyphFromTheImageListByState)
{
    TkImageList images({8, 8});
    for (const QColor& c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow), QColor(Qt::cyan)})
        images.Add(solid({8, 8}, c));
    auto* button = make<TkSpeedButton>({40, 30});
    button->Images = &images;
    button->ImageIndex = 0;
    button->ImageIndexHot = 1;
    button->ImageIndexPressed = 2;
    button->ImageIndexDisabled = 3;
    button->ImageIndexSelected = 4;
    const QPoint centre = button->ImgRect().center();
    EXPECT_EQ(button->ImgRect().size(), QSize(8, 8));
    EXPECT_EQ(shot(button).pixelColor(centre), QColor(Qt::red));
    Hover(button);
    EXPECT_EQ(shot(button).pixelColor(centre), QColor(Qt::green));
    button->setDown(true);
    EXPECT_EQ(shot(button).pixelColor(centre), QColor(Qt::blue));
    button->setDown(false);
    Unhover(button);
    button->SetButtonStyle(TkButtonStyle::tbsCheck);
    button->setChecked(true);
    EXPECT_EQ(shot(button).pixelColor(centre), QColor(Qt::cyan));
    button->setChecked(false);
    button->setEnabled(false);
    EXPECT_TRUE(Near(shot(button).pixelColor(centre), QColor(254, 254, 154), 1)) << "yellow, blended as disabled";
}

TEST_F(SkinnedLooks, GlyphToneReflectionAndOnPaint)
{
    auto* button = make<TkSpeedButton>({40, 40}, "GLASS");
    button->SetGlyph(solid({10, 10}, QColor(128, 128, 128)));
    const QRect glyph = button->ImgRect();
    button->GlyphColorTone = 0x0000FF;
    const QColor toned = shot(button).pixelColor(glyph.center());
    EXPECT_GT(toned.red(), 200);
    EXPECT_LT(toned.green(), 20);
    button->GlyphColorTone = clNone;
    const QPoint below = glyph.bottomLeft() + QPoint(4, 2);
    EXPECT_EQ(shot(button).pixelColor(below), QColor(Qt::white));
    button->Reflected = true;
    EXPECT_LT(shot(button).pixelColor(below).red(), 255) << "a faint mirror image under the glyph";
    int painted = 0;
    button->OnPaint = [&](TkSpeedButton* sender, QImage& image) {
        EXPECT_EQ(sender, button);
        ++painted;
        image.setPixelColor(0, 0, Qt::cyan);
    };
    EXPECT_EQ(shot(button).pixelColor(0, 0), QColor(Qt::cyan));
    EXPECT_GE(painted, 1);
}

TEST_F(SkinnedLooks, ButtonStylesCheckSeparatorTextAndOffset)
{
    auto* check = make<TkSpeedButton>({40, 30});
    check->SetButtonStyle(TkButtonStyle::tbsCheck);
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(check->CurrentState(), 2);
    EXPECT_EQ(shot(check).pixelColor(1, 15), kColumn2);
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(check->isChecked());

    auto* separator = make<TkSpeedButton>({10, 30});
    separator->move(100, 50);
    separator->SetButtonStyle(TkButtonStyle::tbsSeparator);
    QSignalSpy clicked(separator, &QToolButton::clicked);
    Hover(separator);
    QTest::mouseClick(separator, Qt::LeftButton);
    EXPECT_EQ(separator->CurrentState(), 0);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(shot(separator).pixelColor(5, 15), QColor(Qt::white)) << "only room, no face";

    auto* link = make<TkSpeedButton>({80, 30});
    link->move(120, 90);
    link->setText("Help");
    link->SetButtonStyle(TkButtonStyle::tbsTextButton);
    const QImage image = shot(link);
    EXPECT_EQ(image.pixelColor(1, 15), QColor(Qt::white)) << "no border";
    bool blueText = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            blueText |= image.pixelColor(x, y).blue() > image.pixelColor(x, y).red() + 100;
    EXPECT_TRUE(blueText) << "the skin's link colour";

    const QRect caption = link->CaptionRect();
    link->TextOffset = 5;
    EXPECT_EQ(link->CaptionRect(), caption.translated(5, 0));
}

TEST_F(SkinnedLooks, DropDownButtonShowsItsMenuFromTheArrow)
{
    QMenu menu;
    menu.addAction("First");
    auto* button = make<TkSpeedButton>({60, 30});
    button->SetButtonStyle(TkButtonStyle::tbsDropDown);
    button->DropdownMenu = &menu;
    ASSERT_EQ(button->ArrowRect().width(), 13);
    int stateWhileShown = -1;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activePopupWidget() == &menu;
        stateWhileShown = button->CurrentState();
        menu.close();
    });
    QTest::mousePress(button, Qt::LeftButton, {}, button->ArrowRect().center());
    EXPECT_TRUE(shown);
    EXPECT_EQ(stateWhileShown, 2);
    EXPECT_NE(button->CurrentState(), 2);
    QSignalSpy clicked(button, &QToolButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 15));
    EXPECT_EQ(clicked.count(), 1) << "the face is a plain button";
}

// --- Fades ---

TEST_F(SkinnedLooks, HoverFadesEndExactlyInTheStillLook)
{
    const skin_test::Animating animating;
    auto* button = make<TkSpeedButton>({40, 30});
    const QImage normal = shot(button);
    Hover(button);
    ASSERT_TRUE(button->Fading());
    EXPECT_NE(shot(button).pixelColor(1, 15), kColumn1) << "on its way";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !button->Fading(); }, 5000));
    const QImage faded = shot(button);
    EXPECT_EQ(faded.pixelColor(1, 15), kColumn1);

    manager->Effects.AllowAnimation = false;
    Unhover(button);
    EXPECT_FALSE(button->Fading());
    EXPECT_EQ(shot(button), normal);
    Hover(button);
    EXPECT_FALSE(button->Fading());
    EXPECT_EQ(shot(button), faded) << "the fade ended in exactly the still hot look";

    manager->Effects.AllowAnimation = true;
    Unhover(button);
    ASSERT_TRUE(button->Fading());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !button->Fading(); }, 5000));
    EXPECT_EQ(shot(button), normal) << "and the fade out in the still normal look";
}

TEST_F(SkinnedLooks, FadesStayOffWhenTheSkinOrThePlatformSaysSo)
{
    auto* button = make<TkSpeedButton>({40, 30});
    Hover(button);
    EXPECT_FALSE(button->Fading()) << "a platform without a screen does not animate";
    Unhover(button);
    const skin_test::Animating animating;
    manager->AnimEffects.Buttons.Active = false;
    Hover(button);
    EXPECT_FALSE(button->Fading());
    Unhover(button);
    manager->AnimEffects.Buttons.Active = true;
    button->AnimatEvents = aeMouseDown;
    Hover(button);
    EXPECT_FALSE(button->Fading()) << "this button fades on mouse down only";
    shot(button);  // a fade starts from the look on screen
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(button->Fading());
    QTest::mouseRelease(button, Qt::LeftButton);
}

TEST_F(SkinnedLooks, GlowFadesInAndOutToTheStillWindow)
{
    const skin_test::Animating animating;
    auto* edit = make<TkEdit>({80, 24}, "GLOWEDIT");
    const QImage before = shot(form.get());
    const QPoint outside = edit->geometry().topLeft() + QPoint(-1, 12);
    Hover(edit);
    TkHoverGlow* glow = TkHoverGlow::GlowOf(edit);
    ASSERT_NE(glow, nullptr);
    EXPECT_TRUE(glow->Fading());
    EXPECT_LT(glow->Opacity(), 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !glow->Fading(); }, 5000));
    EXPECT_EQ(glow->Opacity(), 1.0);
    EXPECT_EQ(formPixel(outside), kGlowColour) << "the glow at full strength";
    Unhover(edit);
    EXPECT_EQ(TkHoverGlow::GlowOf(edit), nullptr);
    EXPECT_EQ(visibleGlows(form.get()), 1) << "fading out";
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleGlows(form.get()) == 0; }, 5000));
    EXPECT_EQ(shot(form.get()), before);
}

TEST_F(SkinnedLooks, WindowClosedMidFadeLeavesNothingBehind)
{
    const skin_test::Animating animating;
    auto window = std::make_unique<QWidget>();
    window->resize(200, 100);
    auto* button = make<TkSpeedButton>({40, 30}, {}, window.get());
    auto* edit = make<TkEdit>({80, 24}, "GLOWEDIT", window.get());
    edit->move(100, 40);
    window->show();
    QApplication::processEvents();
    Hover(button);
    Hover(edit);
    ASSERT_TRUE(button->Fading());
    QPointer<TkHoverGlow> glow = TkHoverGlow::GlowOf(edit);
    ASSERT_NE(glow, nullptr);
    window->close();
    window.reset();
    EXPECT_TRUE(glow.isNull());
    EXPECT_EQ(TkHoverGlow::GlowOf(edit), nullptr);
    QTest::qWait(150);  // the animations would have ticked on
}
