// A calibration at real time: the program waits the whole minute.
#include "tests/app_e2e/window_fixture.h"

#include "app/unit1_state.h"

namespace {

using namespace std::chrono_literals;

class RealTimeCalibration : public e2e::WindowTest {};

TEST_F(RealTimeCalibration, WaitsTheWholeMinuteWithWaitShown)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Constant(0.5);
    Start_Sensor(config);
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click Cal", [&] { e2e::PostClick(form.Btn_Cal); });
    s.Then("confirmed", [&] { return s.Seen([](const e2e::Sample& x) { return x.status == "SENS:CAL:OK"; }); });
    s.Then("a reading again", [&] { return form.Label3->text() == "500.0 mW"; });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(90s));

    std::optional<e2e::Clock::time_point> waitFrom;
    std::optional<e2e::Clock::time_point> okAt;
    for (const e2e::Sample& x : s.Timeline()) {
        if (x.display == "Wait..." && !waitFrom)
            waitFrom = x.at;
        if (x.status == "SENS:CAL:OK" && !okAt)
            okAt = x.at;
    }
    ASSERT_TRUE(waitFrom && okAt);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(*okAt - *waitFrom).count();
    EXPECT_GE(waited, 59990);
    EXPECT_LT(waited, 60000 + 1500);
}

} // namespace
