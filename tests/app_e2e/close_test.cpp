// Closing the window while a click handler runs: the close is held until the
// handler has returned, then carried out while the pointer still rests on a
// button (its hover glow shown). Each sequence a user can take to get there
// must close the window cleanly; run under AddressSanitizer to see a freed
// widget read during the close.
#include "tests/app_e2e/window_fixture.h"

#include "tests/app/live_window.h"
#include "comm/comm.h"
#include "skin/manager/hover_glow.h"

#include <QApplication>

namespace {

using namespace std::chrono_literals;
using e2e::Sample;

class HeldClose : public e2e::WindowTest {
protected:
    sensor_sim::SensorSimulator& Polled_Sensor()
    {
        sensor_sim::SimulatorConfig config;
        config.sensor.power = sensor_sim::PowerProfile::Constant(0.5);
        return Start_Sensor(config);
    }

    // Close the window (held: the handler runs), click Off, and let the
    // held close happen.
    void Close_Then_Off(e2e::Scenario& s)
    {
        app::TForm1& form = Form();
        s.Do("close the window", [&] { form.close(); });
        s.Then("the close is held", [&] { return form.Close_Held(); });
        s.Do("click Off", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
        s.Then("the hover glow stands on Off", [&] { return skin::TkHoverGlow::GlowOf(form.kSpeedButton_Vkl) != nullptr; });
        s.Then("every handler has returned", [&] { return !form.Handler_Running(); });
    }

    void Expect_Closed()
    {
        for (int i = 0; i < 20 && Form().isVisible(); ++i)
            QApplication::processEvents();
        EXPECT_FALSE(Form().isVisible()) << "the held close is carried out";
        EXPECT_EQ(app_test::Unit1().Running, 0);
        // What the close deferred is cleaned up by the event loop.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        EXPECT_EQ(skin::TkHoverGlow::GlowOf(Form().kSpeedButton_Vkl), nullptr);
    }
};

TEST_F(HeldClose, AfterZeroingEndedUnderAsan)
{
    Speed_Up(2);  // faster, the connect's 700 ms handshake is missed on a loaded machine
    Polled_Sensor();
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click Zero", [&] { e2e::PostClick(form.Btn_Zero); });
    s.Then("zeroing confirmed", [&] { return s.Seen([](const Sample& x) { return x.status == "SENS:ZERO:OK"; }); });
    s.Then("a reading again", [&] { return form.Label3->text() == "500.0 mW"; });
    Close_Then_Off(s);
    ASSERT_TRUE(s.Run(30s));
    Expect_Closed();
}

TEST_F(HeldClose, AfterAnAcceptedFrequencyUnderAsan)
{
    Speed_Up(2);
    Polled_Sensor();
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click into the box and press Enter", [&] {
        e2e::PostClick(form.kEdit_Freq);
        e2e::PostKey(form.kEdit_Freq, Qt::Key_Return);
    });
    s.Then("accepted", [&] { return s.Seen([](const Sample& x) { return x.status == "SENS:FREQ:OK"; }); });
    s.Then("back to rest", [&] { return form.Label_Status->text() == "i"; });
    Close_Then_Off(s);
    ASSERT_TRUE(s.Run(30s));
    Expect_Closed();
}

TEST_F(HeldClose, AfterOffDuringTheScanUnderAsan)
{
    Speed_Up(2);
    Silent_Port(1);
    Polled_Sensor();
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    s.Do("click On", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("COM1 is tried", [&] { return form.Comm->Active() && form.Comm->ComPortNo() == 1; },
           [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("Off handled", [] { return app_test::Unit1().Running == 0; });
    s.Do("close the window", [&] { form.close(); });
    s.Then("the close is held", [&] { return form.Close_Held(); });
    s.Then("every handler has returned", [&] { return !form.Handler_Running(); });
    ASSERT_TRUE(s.Run(30s));
    Expect_Closed();
}

} // namespace
