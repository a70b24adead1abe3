#include "tools/sensor_sim/sensor_simulator.h"

#include "tests/tools/sim_port_fixture.h"

#include <system_error>
#include <thread>

namespace sensor_sim_test {
namespace {

using namespace sensor_sim;
using namespace std::chrono_literals;
using K = CommandKind;

class SensorSimulatorTest : public SimPortFixture {
protected:
    void StartSimulator(SimulatorConfig config = {})
    {
        fSim = std::make_unique<SensorSimulator>(config);
        fSim->Start();
        ASSERT_TRUE(Open(fSim->PortName()));
    }

    void TearDown() override
    {
        Close();
        if (fSim)
            fSim->Stop();
    }

    std::unique_ptr<SensorSimulator> fSim;
};

TEST_F(SensorSimulatorTest, AnswersTheHandshakeOnTheRegisteredPort)
{
    StartSimulator();
    EXPECT_EQ(platform::ResolvePortName("COM3"), fSim->DevicePath());
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "KVAM\r\n");
    EXPECT_EQ(fSim->Log().Texts(), std::vector<std::string>{"KVAM"});
    ASSERT_TRUE(fSim->LineSettings());
    EXPECT_TRUE(fSim->LineSettings()->raw);
}

TEST_F(SensorSimulatorTest, IdentifiesAndPollsWithAnswersSplitIntoBytes)
{
    SimulatorConfig config;
    config.sensor.model = "KVAM-32/4";
    config.sensor.serialNumber = "42";
    config.sensor.power = PowerProfile::Sequence({"1.5", "-2"});
    config.splitAnswers = true;
    StartSimulator(config);
    const std::pair<const char*, const char*> exchanges[] = {
        {"READ:TIP?", "KVAM-32/4\r\n"}, {"READ:NUMBER?", "42\r\n"},
        {"SENS:MEAS:POW?", "1.5\r\n"},  {"SENS:MEAS:POW?", "-2\r\n"},
        {"SENS:FREQ[0.02]", "OK\r\n"},  {"SENS:FREQ[abc]", "ERROR\r\n"},
    };
    for (const auto& [command, answer] : exchanges) {
        ASSERT_TRUE(Send(command));
        EXPECT_EQ(Receive(std::string(answer).size()), answer) << command;
    }
    EXPECT_EQ(fSim->PollCount(), 2u);
}

TEST_F(SensorSimulatorTest, AnswersAfterTheScaledDelay)
{
    SimulatorConfig config;
    config.sensor.rules[K::Calibrate] = {ReplyMode::Text, "ERROR", 400};
    config.timeScale = 0.5;
    StartSimulator(config);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Send("SENS:CAL"));
    EXPECT_EQ(Receive(7), "ERROR\r\n");
    const double elapsed = MsSince(start);
    EXPECT_GE(elapsed, 195.0);
    EXPECT_LT(elapsed, 600.0);
}

TEST_F(SensorSimulatorTest, SilentCommandGetsNothingAndRulesChangeWhileRunning)
{
    StartSimulator();
    fSim->SetRule(K::Handshake, {ReplyMode::Silent, {}, {}});
    ASSERT_TRUE(Open(fSim->PortName(), 300));
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "");
    fSim->ClearRule(K::Handshake);
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "KVAM\r\n");
}

TEST_F(SensorSimulatorTest, UnfinishedCommandIsLoggedAfterAPause)
{
    StartSimulator();
    ASSERT_TRUE(Send("KVA"));
    EXPECT_EQ(fSim->WaitForCommand("KVA", 2s), 0);
    EXPECT_EQ(fSim->Log().Entries()[0].command.kind, K::Unknown);
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "KVAM\r\n");
}

TEST_F(SensorSimulatorTest, WaitForCommandTimesOutWhenNothingCame)
{
    StartSimulator();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fSim->Log().WaitFor("SENS:CAL", 100ms), -1);
    EXPECT_GE(MsSince(start), 95.0);
}

TEST_F(SensorSimulatorTest, PulledCableLosesThePortAndComesBackUnderTheSameName)
{
    StartSimulator();
    const std::string firstPath = fSim->DevicePath();
    fSim->PullCable();
    EXPECT_FALSE(fSim->CablePlugged());
    EXPECT_FALSE(platform::ResolvePortName("COM3"));
    EXPECT_FALSE(Send("KVAM") && Receive(6) == "KVAM\r\n");

    ASSERT_TRUE(fSim->PlugCable());
    EXPECT_TRUE(platform::ResolvePortName("COM3"));
    ASSERT_TRUE(Open("COM3"));
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "KVAM\r\n");
    EXPECT_FALSE(firstPath.empty());
}

TEST_F(SensorSimulatorTest, ScheduledPullAndReturn)
{
    SimulatorConfig config;
    config.pullCableAfterMs = 100;
    config.cableBackAfterMs = 200;
    StartSimulator(config);
    const auto start = std::chrono::steady_clock::now();
    while (fSim->CablePlugged() && MsSince(start) < 5000)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(fSim->CablePlugged());
    while (!fSim->CablePlugged() && MsSince(start) < 5000)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(fSim->CablePlugged());
    EXPECT_GE(MsSince(start), 250.0);
    ASSERT_TRUE(Open("COM3"));
    ASSERT_TRUE(Send("KVAM"));
    EXPECT_EQ(Receive(6), "KVAM\r\n");
}

TEST_F(SensorSimulatorTest, StopRemovesThePortNameAndStartComesBack)
{
    StartSimulator();
    Close();
    fSim->Stop();
    EXPECT_FALSE(platform::ResolvePortName("COM3"));
    fSim->Stop();
    fSim->Start();
    ASSERT_TRUE(Open("COM3"));
    ASSERT_TRUE(Send("READ:TIP?"));
    EXPECT_EQ(Receive(11), "KVAM-32/2\r\n");
    EXPECT_EQ(fSim->Commands(), std::vector<std::string>{"READ:TIP?"});
}

TEST_F(SensorSimulatorTest, LeavesANameOfAnExistingDeviceAlone)
{
    StartSimulator();
    const std::string first = fSim->DevicePath();
    SensorSimulator second;
    try {
        second.Start();
        ADD_FAILURE() << "a second simulator took COM3 over";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::file_exists);
    }
    EXPECT_EQ(platform::ResolvePortName("COM3"), first);

    SimulatorConfig config;
    config.replaceExisting = true;
    SensorSimulator third(config);
    third.Start();
    EXPECT_EQ(platform::ResolvePortName("COM3"), third.DevicePath());
    fSim->Stop();  // the name is third's now and stays
    EXPECT_EQ(platform::ResolvePortName("COM3"), third.DevicePath());
}

TEST_F(SensorSimulatorTest, TakesADanglingNameOver)
{
    platform::RegisterPort(3, fDir.path() / "gone");
    StartSimulator();
    EXPECT_EQ(platform::ResolvePortName("COM3"), fSim->DevicePath());
}

} // namespace
} // namespace sensor_sim_test
