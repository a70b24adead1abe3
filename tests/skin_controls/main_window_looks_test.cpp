// The main window in both of our skins: the frequency box's glow and focus
// colours, the controls clear of the skin's border, a message box and the
// edit's context menu, each saved as a screenshot for looking at.
#include "app/form1.h"
#include "app/unit1_state.h"
#include "runtime/decimal_separator.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/popup_menu.h"
#include "skin/manager/push_button_skin.h"
#include "skin/internal/internal_skin.h"
#include "tests/app/live_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

const QString kDarkFile = QStringLiteral(FLUXMIRA_SKINS_DIR "/Fluxmira Dark.skz");

void saveShot(const QImage& image, const char* name)
{
    const char* artifacts = std::getenv("FLUXMIRA_ARTIFACTS");
    const QString dir = artifacts ? QString::fromUtf8(artifacts) : QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString file = dir + "/" + name;
    ASSERT_TRUE(image.save(file, "PNG")) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << std::endl;
}

void hover(QWidget* w, QEvent::Type type = QEvent::Enter)
{
    if (type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
        return;
    }
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    QEnterEvent enter(local, w->mapTo(w->window(), local), w->mapToGlobal(local));
    QApplication::sendEvent(w, &enter);
}

const skin::TkGenState& editState(const app::TForm1& form, int state)
{
    const skin::TkSkinManager& m = *form.kSkinManager1;
    return m.Model().gd[std::size_t(m.GetSkinIndex("EDIT"))].Props[std::size_t(state)];
}

// The main window, started with its own skin or with the one asked for.
class MainWindowLooks : public testing::TestWithParam<QString> {
protected:
    void SetUp() override
    {
        app_test::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
        form = std::make_unique<app::TForm1>(nullptr, true, GetParam());
        form->show();
        form->activateWindow();
        QApplication::processEvents();
    }

    std::string suffix() const { return GetParam().isEmpty() ? "internal" : "dark"; }

    std::unique_ptr<app::TForm1> form;
};

} // namespace

TEST_P(MainWindowLooks, StartsWithTheSkinAskedFor)
{
    skin::TkSkinManager* m = form->kSkinManager1;
    EXPECT_TRUE(m->SkinActive());
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_EQ(m->SkinName(), GetParam().isEmpty() ? QString::fromUtf8(skin::kInternalSkinName) : "Fluxmira Dark");
    EXPECT_EQ(form->frameGeometry().size(), QSize(425, 205));
    saveShot(form->grab().toImage(), ("fluxmira_skin_" + suffix() + ".png").c_str());
}

TEST_P(MainWindowLooks, ControlsKeepClearOfTheSkinsBorder)
{
    const skin::TkxProvider* provider = skin::TkxProvider::ProviderOf(form.get());
    ASSERT_NE(provider, nullptr);
    const int border = provider->Layout().Border;
    const QRect client = form->rect().marginsRemoved(provider->Layout().Client());
    for (const char* name : {"kSpeedButton_Vkl", "CheckBox1", "kEdit_Freq", "Panel1", "Btn_Zero", "kLabel1"}) {
        const auto* control = form->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(client.contains(control->geometry())) << name;
    }
    const int gap = form->height() - border - (form->kSpeedButton_Vkl->geometry().bottom() + 1);
    EXPECT_GE(gap, 2) << "form face between the On button and the bottom border";
    EXPECT_EQ(form->kSpeedButton_Vkl->geometry().size(), QSize(48, 25));
}

TEST_P(MainWindowLooks, FrequencyBoxGlowsWhileTheMouseIsOverIt)
{
    form->kSkinManager1->Effects.AllowAnimation = false;
    const QImage before = form->grab().toImage();
    hover(form->kEdit_Freq);
    skin::TkHoverGlow* glow = skin::TkHoverGlow::GlowOf(form->kEdit_Freq);
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->geometry(), form->kEdit_Freq->geometry().adjusted(-1, -1, 1, 1)) << "GLOWEDIT.PNG, margin 1";
    const QImage glowing = form->grab().toImage();
    EXPECT_NE(glowing, before);
    saveShot(glowing, ("fluxmira_edit_glow_" + suffix() + ".png").c_str());
    hover(form->kEdit_Freq, QEvent::Leave);
    EXPECT_EQ(skin::TkHoverGlow::GlowOf(form->kEdit_Freq), nullptr);
    EXPECT_EQ(form->grab().toImage(), before);
}

TEST_P(MainWindowLooks, FrequencyBoxTakesItsNormalColoursBackOnFocusLoss)
{
    const QColor normal = skin::ToQColor(editState(*form, 0).Color);
    const QColor hot = skin::ToQColor(editState(*form, 1).Color);
    form->kEdit_Freq->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(form->kEdit_Freq->hasFocus());
    EXPECT_EQ(form->kEdit_Freq->Color(), hot);
    form->kEdit_Freq->clearFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->kEdit_Freq->Color(), normal);
    EXPECT_EQ(form->kEdit_Freq->palette().color(QPalette::Base), normal);
    const QRect inside = form->kEdit_Freq->ClientRect();
    EXPECT_EQ(form->kEdit_Freq->grab().toImage().pixelColor(inside.left() + 2, inside.top() + 1), normal);
}

TEST_P(MainWindowLooks, MessageBoxButtonsComeFromTheSkin)
{
    QMessageBox box(QMessageBox::Warning, "Fluxmira", "Device \"COM3\" Open Error !!!", QMessageBox::Ok, form.get());
    box.show();
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_NE(skin::TkxProvider::ProviderOf(&box), nullptr);
    EXPECT_NE(skin::TkPushButtonSkin::Of(box.button(QMessageBox::Ok)), nullptr);
    saveShot(box.grab().toImage(), ("fluxmira_message_box_" + suffix() + ".png").c_str());
    box.hide();
}

TEST_P(MainWindowLooks, FrequencyBoxContextMenuIsSkinned)
{
    QWidget* edit = form->kEdit_Freq;
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(10, 10), edit->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(edit, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(skin::IsSkinnedMenu(menu));
    if (!menu->actions().isEmpty())
        menu->setActiveAction(menu->actions().back());
    // The window with its menu, as the user sees them.
    QImage image = form->grab().toImage();
    const QPoint at = menu->pos() - form->pos();
    const QRect all = image.rect().united(QRect(at, menu->size()));
    QImage scene(all.size(), QImage::Format_ARGB32_Premultiplied);
    scene.fill(Qt::white);
    {
        QPainter p(&scene);
        p.drawImage(-all.topLeft(), image);
        p.drawImage(at - all.topLeft(), menu->grab().toImage());
    }
    saveShot(scene, ("fluxmira_context_menu_" + suffix() + ".png").c_str());
    menu->close();
}

INSTANTIATE_TEST_SUITE_P(BothSkins, MainWindowLooks, testing::Values(QString(), kDarkFile),
                         [](const testing::TestParamInfo<QString>& info) {
                             return info.param.isEmpty() ? std::string("Internal") : std::string("Dark");
                         });
