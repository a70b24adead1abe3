// The main window drawn from its internal skin: the manager's stored
// values, the skinned controls, and screenshots of its looks.
#include "app/form1.h"
#include "tests/app/live_window.h"
#include "runtime/decimal_separator.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "tests/app/port_sandbox.h"
#include "tools/sensor_sim/sensor_simulator.h"
#include "skin/internal/internal_skin.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QTimer>

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
        app_test::Unit1().Reset();
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

// While the loop polls a simulated sensor, the window is shot and switched off.
TEST(SkinnedMainWindowPolling, ScreenshotWhilePolling)
{
    app_test::Unit1().Reset();
    runtime::SetDecimalSeparator(u'.');
    app_test::PortSandbox ports;
    sensor_sim::SimulatorConfig config;
    config.sensor.model = "KVAM-32/2";
    config.sensor.power = sensor_sim::PowerProfile::Constant(0.0123);
    sensor_sim::SensorSimulator sim(config);
    sim.Start();
    app::TForm1 form;
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(form.kSpeedButton_Vkl->isEnabled()) << "the simulated port is listed";

    bool shot = false;
    QTimer watch;
    int ticks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ++ticks;
        const auto commands = sim.Commands();
        const auto polls = std::count(commands.begin(), commands.end(), std::string("SENS:MEAS:POW?"));
        if (polls >= 3 && form.Label3->text() == "12.30 mW" && !shot) {
            saveShot(&form, "fluxmira_skinned_polling.png");
            shot = true;
        }
        if (shot || ticks > 100) {
            watch.stop();
            form.kSpeedButton_Vkl->click();  // Off
        }
    });
    watch.start(100);
    form.kSpeedButton_Vkl->click();  // On: returns when the loop has ended
    watch.stop();
    EXPECT_TRUE(shot) << "the window polled the simulated sensor and showed its reading";
    EXPECT_EQ(form.Label_Number->text(), "") << "switched off";
    EXPECT_EQ(app_test::Unit1().Running, 0);
}
