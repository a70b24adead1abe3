// The main window drawn from its internal skin: the manager's stored
// values, the skinned controls, and screenshots of its looks.
#include "app/form1.h"
#include "app/unit1_state.h"
#include "runtime/decimal_separator.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "tools/skin_gen/internal_skin.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

void saveShot(QWidget* window, const char* name)
{
    const char* artifacts = std::getenv("FLUXMIRA_ARTIFACTS");
    const QString dir = artifacts ? QString::fromUtf8(artifacts) : QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString file = dir + "/" + name;
    ASSERT_TRUE(window->grab().save(file, "PNG")) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << std::endl;
}

void hover(QWidget* w)
{
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    QEnterEvent enter(local, w->mapTo(w->window(), local), w->mapToGlobal(local));
    QApplication::sendEvent(w, &enter);
}

class SkinnedMainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
        form = std::make_unique<app::TForm1>();
        form->show();
        QApplication::processEvents();
    }

    std::unique_ptr<app::TForm1> form;
};

} // namespace

TEST_F(SkinnedMainWindow, LoadsTheInternalSkinWithItsStoredValues)
{
    skin::TkSkinManager* m = form->kSkinManager1;
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->IsDefault());
    EXPECT_TRUE(m->SkinActive());
    EXPECT_EQ(m->SkinName(), QString::fromUtf8(skin::kInternalSkinName));
    EXPECT_EQ(m->SkinInfo(), "10");
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_EQ(m->ThirdParty()[skin::tpButton], "TButton");
    EXPECT_EQ(m->ThirdParty()[skin::tpPanel], " ");
}

TEST_F(SkinnedMainWindow, WindowAndControlsAreSkinned)
{
    skin::TkxProvider* provider = skin::TkxProvider::ProviderOf(form.get());
    ASSERT_NE(provider, nullptr);
    EXPECT_TRUE(provider->Applied());
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint) << std::hex << form->windowFlags().toInt();
    EXPECT_EQ(form->frameGeometry().size(), QSize(425, 205));
    const int speedButton = form->kSkinManager1->GetSkinIndex("SPEEDBUTTON");
    for (app::TkSpeedButton* b : {form->Btn_Zero, form->Btn_Cal, form->kSpeedButton_Vkl})
        EXPECT_EQ(b->SkinData.SkinIndex, speedButton) << b->objectName().toStdString();
    EXPECT_EQ(form->kEdit_Freq->SkinData.SkinIndex, form->kSkinManager1->GetSkinIndex("EDIT"));
    // Standard labels take the skin's label colour; the skinned ones ask what lies beneath.
    EXPECT_EQ(form->Label_Status->palette().color(QPalette::WindowText), QColor(61, 61, 61));
    EXPECT_FALSE(form->Label_Status->autoFillBackground());
}

TEST_F(SkinnedMainWindow, DisabledOnButtonIsBlendedOverTheForm)
{
    form->kSpeedButton_Vkl->setEnabled(true);
    const QImage enabled = form->kSpeedButton_Vkl->grab().toImage();
    form->kSpeedButton_Vkl->setEnabled(false);
    const QImage disabled = form->kSpeedButton_Vkl->grab().toImage();
    EXPECT_NE(enabled, disabled);
    saveShot(form.get(), "fluxmira_skinned_on_disabled.png");
}

TEST_F(SkinnedMainWindow, Screenshots)
{
    saveShot(form.get(), "fluxmira_skinned_idle.png");
    form->kSpeedButton_Vkl->setEnabled(true);
    hover(form->Btn_Zero);
    EXPECT_NE(skin::TkHoverGlow::GlowOf(form->Btn_Zero), nullptr);
    EXPECT_EQ(form->Btn_Zero->CurrentState(), 1);
    saveShot(form.get(), "fluxmira_skinned_hover.png");
}
