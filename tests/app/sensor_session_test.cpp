// The measurement session without any window, against the simulator.
#include "app/overload.h"
#include "tests/app/session_fixture.h"

#include <algorithm>
#include <chrono>

namespace session_test {
namespace {

using namespace std::chrono_literals;
using sensor_sim::CommandKind;
using sensor_sim::ReplyMode;

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(SessionTest, ScanReportsEachPortAndIdentifiesTheSensor)
{
    Silent_Port(1);
    Start_Sensor();
    List_Ports({1, 3, 4});
    stopAfter = 2;
    session.On_Off_Click();

    const std::vector<std::string> connection(statuses.begin(), statuses.begin() + 8);
    EXPECT_EQ(connection, (std::vector<std::string>{"COM1 -  connection...", "i", "COM1 - device not found", "i",
                                                    "COM3 -  connection...", "i", "COM3 - connect", "i"}));
    EXPECT_FALSE(contains(statuses, "COM4 -  connection...")) << "the scan ends at the sensor";
    EXPECT_EQ(captions.front(), "Off");
    EXPECT_EQ(identity, "") << "switched off: the identity is cleared";
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_EQ(readings[0].model, "KVAM-32/2");
    EXPECT_TRUE(readings[0].isNumber);
    EXPECT_DOUBLE_EQ(readings[0].watts, 0.001);
    EXPECT_EQ(readings[0].text, "01.00 mW");
    EXPECT_EQ(session.State().Running, 0);
    EXPECT_EQ(session.State().Model, "KVAM-32/2");
    const auto commands = Sensor().Commands();
    ASSERT_GE(commands.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 4),
              (std::vector<std::string>{"KVAM", "READ:TIP?", "READ:NUMBER?", "SENS:MEAS:POW?"}));
}

TEST_F(SessionTest, IdentityShowsModelAndSerialNumber)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.serialNumber = "12.6";
    Start_Sensor(config);
    List_Ports({3});
    std::string shown;
    session.OnIdentity = [&](const std::string& t) {
        if (!t.empty())
            shown = t;
    };
    stopAfter = 1;
    session.On_Off_Click();
    EXPECT_EQ(shown, "KVAM-32/2, \u211600013");
}

TEST_F(SessionTest, OnePortWithoutSensorEndsIdle)
{
    Silent_Port(5);
    session.OnChoosePorts = [] { return app::PortChoice{app::PortChoice::Kind::One, "COM5", {}}; };
    session.On_Off_Click();
    EXPECT_EQ(statuses, (std::vector<std::string>{"COM5- device not found", "COM5 - disconnected", "i"}));
    EXPECT_EQ(captions, (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(session.State().Running, 0);
    EXPECT_TRUE(readings.empty());
}

TEST_F(SessionTest, NoPortChosenTriesNothing)
{
    session.OnChoosePorts = [] { return app::PortChoice{app::PortChoice::Kind::None, {}, {}}; };
    session.On_Off_Click();
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(session.State().Running, 0);
}

// A device path with a port number of the owner's choosing, as fluxmira-log opens it.
TEST_F(SessionTest, PortNumberGivenWithTheEntry)
{
    Start_Sensor();
    session.OnChoosePorts = [] { return app::PortChoice{app::PortChoice::Kind::One, "sensor", 3}; };
    stopAfter = 1;
    session.On_Off_Click();
    EXPECT_TRUE(contains(statuses, "sensor - connect"));
    EXPECT_EQ(readings.size(), 1u);
}

TEST_F(SessionTest, RequestedCommandsFollowTheReadingInOrder)
{
    Start_Sensor();
    List_Ports({3});
    session.OnGetFrequency = [] { return std::string("1,5"); };
    bool accepted = false;
    session.OnFrequencyAnswer = [&](bool ok) { accepted = ok; };
    session.OnConnected = [this] {
        session.Request_Cal();
        session.Request_Zero();
        session.Request_Reference(true);
        session.Request_Reference(false);
        session.Request_Frequency();
    };
    stopAfter = 2;
    session.On_Off_Click();

    const auto commands = Sensor().Commands();
    const std::vector<std::string> pass(commands.begin() + 3, commands.begin() + 9);
    EXPECT_EQ(pass, (std::vector<std::string>{"SENS:MEAS:POW?", "SENS:CAL", "SENS:ZERO", "SENS:REF:ON", "SENS:REF:OFF",
                                              "SENS:FREQ[1.5]"}));
    EXPECT_EQ(answers, (std::vector<std::string>{"SENS:CAL OK", "SENS:ZERO OK", "SENS:FREQ[1.5] OK"}));
    EXPECT_TRUE(accepted);
    for (const char* text : {"SENS:CAL:OK", "SENS:ZERO:OK", "SENS:FREQ:OK"})
        EXPECT_TRUE(contains(statuses, text)) << text;
    EXPECT_TRUE(contains(displays, "Wait...")) << "the display waits for calibration and zeroing";
}

TEST_F(SessionTest, RefusedCommandsReportErrors)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.rules[CommandKind::Frequency] = {ReplyMode::Text, "ERROR", {}};
    config.sensor.rules[CommandKind::Zero] = {ReplyMode::Silent, {}, {}};
    Start_Sensor(config);
    List_Ports({3});
    session.OnGetFrequency = [] { return std::string("abc"); };
    std::vector<bool> freqAnswers;
    session.OnFrequencyAnswer = [&](bool ok) { freqAnswers.push_back(ok); };
    session.OnConnected = [this] {
        session.Request_Zero();
        session.Request_Frequency();
    };
    stopAfter = 2;
    session.On_Off_Click();
    EXPECT_EQ(answers, (std::vector<std::string>{"SENS:ZERO ERROR", "SENS:FREQ[abc] ERROR"}));
    EXPECT_EQ(freqAnswers, std::vector<bool>{false});
    EXPECT_TRUE(contains(statuses, "SENS:ZERO:ERROR"));
    EXPECT_TRUE(contains(statuses, "SENS:FREQ:ERROR"));
}

TEST_F(SessionTest, CalibrationIsNeverRequestedForTheSmallestModel)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.model = "KVAM-32/1";
    Start_Sensor(config);
    List_Ports({3});
    session.OnReading = [this](const app::SensorReading& r) {
        readings.push_back(r);
        session.Request_Cal();
        if (readings.size() >= 2)
            session.Switch_Off();
    };
    session.On_Off_Click();
    EXPECT_EQ(Sensor().WaitForCommand("SENS:CAL", 0ms), -1);
}

TEST_F(SessionTest, OverloadFlashesTheWarningEachPass)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Sequence({"1.2", "1.0", "1.1"});
    Start_Sensor(config);
    List_Ports({3});
    stopAfter = 3;
    session.On_Off_Click();
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), std::string(app::kOverloadWarning)), 2)
        << "1.2 and 1.1 lie above the limit of 1.1 W, 1.0 does not";
    EXPECT_EQ(looks, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(readings[0].text, "1.200 W") << "the reading is still shown";
}

TEST_F(SessionTest, UnansweredPollShowsTheIdleText)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Sequence({"abc"});
    Start_Sensor(config);
    List_Ports({3});
    session.State().dBm_Mode = 0;
    stopAfter = 1;
    session.On_Off_Click();
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_FALSE(readings[0].isNumber);
    EXPECT_EQ(readings[0].reply, "abc");
    EXPECT_EQ(readings[0].text, "00.00 mW") << "formatted from the reading 0 the session set";
}

TEST_F(SessionTest, DbmModeShowsTheLevel)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Constant(1);
    Start_Sensor(config);
    List_Ports({3});
    session.OnConnected = [this] { session.State().dBm_Mode = 1; };
    stopAfter = 1;
    session.On_Off_Click();
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].text, "30.00 dBm");
}

// Readings come no sooner than the pass interval, and the wait ends with the run.
TEST_F(SessionTest, PassIntervalSpacesThePolls)
{
    Start_Sensor();
    List_Ports({3});
    session.SetPassIntervalMs(2000);
    std::vector<std::uint32_t> at;
    session.OnReading = [&](const app::SensorReading&) {
        at.push_back(runtime::GetTickCount());
        if (at.size() >= 3)
            session.Switch_Off();
    };
    session.On_Off_Click();
    ASSERT_EQ(at.size(), 3u);
    for (std::size_t i = 1; i < at.size(); ++i) {
        EXPECT_GE(at[i] - at[i - 1], 1990u);
        EXPECT_LT(at[i] - at[i - 1], 4000u);
    }
}

// The cable pulled while polling: the port is lost, the passes go on unanswered.
TEST_F(SessionTest, LostSensorLeavesUnansweredPasses)
{
    Start_Sensor();
    List_Ports({3});
    session.OnReading = [&](const app::SensorReading& r) {
        readings.push_back(r);
        if (readings.size() == 1)
            Sensor().PullCable();
        if (readings.size() >= 3)
            session.Switch_Off();
    };
    session.On_Off_Click();
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_TRUE(readings[0].isNumber);
    EXPECT_EQ(readings[2].reply, "");
    EXPECT_EQ(readings[2].text, "000.0 uW");
    EXPECT_FALSE(session.Comm()->Active()) << "the lost device closed the port";
}

} // namespace
} // namespace session_test
