// Finding the sensor: the automatic scan, the manual attempt, the
// identification and the ways they fail, on the real window and real ptys.
#include "tests/app_e2e/window_fixture.h"

#include "tests/app/live_window.h"
#include "comm/comm.h"

#include <atomic>
#include <thread>


namespace {

using namespace std::chrono_literals;
using e2e::Span;
using sensor_sim::CommandKind;
using sensor_sim::ReplyMode;

const QString kIdle = "i";

// The status texts other than the resting one, with how long each stood.
std::vector<Span> shownTexts(const e2e::Scenario& s)
{
    std::vector<Span> texts;
    for (const Span& span : s.StatusSpans())
        if (span.text != kIdle)
            texts.push_back(span);
    return texts;
}

long long countOf(const std::vector<std::string>& texts, const std::string& text)
{
    return std::count(texts.begin(), texts.end(), text);
}

class Connection : public e2e::WindowTest {};

TEST_F(Connection, AutomaticScanTriesPortsInOrderUntilTheSensorAnswers)
{
    Silent_Port(1);
    Start_Sensor();
    Silent_Port(4);
    app::TForm1& form = Open_Window();
    ASSERT_EQ(form.cmDeviceBox1->count(), 3);

    e2e::Scenario s(form);
    std::uint16_t portWhilePolling = 0;
    Connect(s).Do("note the port", [&] { portWhilePolling = form.Comm->ComPortNo(); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));

    const std::vector<Span> texts = shownTexts(s);
    ASSERT_EQ(texts.size(), 4u);
    const struct {
        const char* text;
        long long ms;
    } expected[] = {
        {"COM1 -  connection...", 1000},
        {"COM1 - device not found", 2000},
        {"COM3 -  connection...", 1000},
        {"COM3 - connect", 1000},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(texts[i].text, expected[i].text);
        EXPECT_GE(texts[i].ms, expected[i].ms - 30) << expected[i].text;
        EXPECT_LT(texts[i].ms, expected[i].ms + 1500) << expected[i].text;
    }
    // The handshake wait stands between the connection text and the verdict.
    const std::vector<Span> spans = s.StatusSpans();
    for (std::size_t i = 1; i + 1 < spans.size(); ++i) {
        if (spans[i - 1].text.endsWith("connection...")) {
            EXPECT_EQ(spans[i].text, kIdle);
            EXPECT_GE(spans[i].ms, 690);
            EXPECT_LT(spans[i].ms, 700 + 1500);
        }
    }
    // Caption "On" again after COM1, "Off" while COM3 is tried.
    bool onBetween = false;
    bool com1Failed = false;
    for (const e2e::Sample& sample : s.Timeline()) {
        com1Failed = com1Failed || sample.status == "COM1 - device not found";
        if (sample.status == "COM3 -  connection...") {
            EXPECT_EQ(sample.caption, "Off");
            break;
        }
        onBetween = onBetween || (com1Failed && sample.caption == "On");
    }
    EXPECT_TRUE(onBetween);
    EXPECT_TRUE(s.Seen([](const e2e::Sample& x) { return x.number == QString::fromUtf8("KVAM-32/2, \u211600123"); }));
    EXPECT_EQ(portWhilePolling, 3) << "COM4 is not tried";

    const std::vector<std::string> sent = Sensor().Log().Texts();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 4),
              (std::vector<std::string>{"KVAM", "READ:TIP?", "READ:NUMBER?", "SENS:MEAS:POW?"}));
    // The model and the serial number are each waited for 300 ms.
    const auto entries = Sensor().Log().Entries();
    for (std::size_t i = 1; i <= 2; ++i) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(entries[i + 1].received - entries[i].received).count();
        EXPECT_GE(ms, 300 - 50) << sent[i];  // the far end notes arrivals a little late at times
        EXPECT_LT(ms, 300 + 1500) << sent[i];
    }
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_FALSE(form.Comm->Active());
}

TEST_F(Connection, OffDuringTheScanStopsItBeforeTheNextPort)
{
    Speed_Up(4);
    Silent_Port(1);
    Start_Sensor();
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    s.Do("click On", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("COM1 is tried", [&] { return form.Comm->Active() && form.Comm->ComPortNo() == 1; },
           [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("every handler has returned", [&] { return !form.Handler_Running(); });
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(Sensor().Log().Size(), 0u) << "COM3 is not opened after Off";
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_FALSE(form.Comm->Active());
}

// A device ahead of the sensor that echoes the handshake (no line end) or
// streams without line ends leaves bytes in the line being assembled; the
// sensor's port must still be judged by its own answer alone.
TEST_F(Connection, EchoingDeviceAheadOfTheSensorDoesNotHideIt)
{
    Speed_Up(4);
    sensor_sim::SimulatorConfig echoConfig;
    echoConfig.comNumber = 1;
    echoConfig.timeScale = 0.25;
    echoConfig.sensor.rules[CommandKind::Handshake] = {ReplyMode::Raw, "KVAM", {}};
    sensor_sim::SensorSimulator echo(echoConfig);
    echo.Start();
    Start_Sensor();
    app::TForm1& form = Open_Window();
    ASSERT_EQ(form.cmDeviceBox1->count(), 2);
    e2e::Scenario s(form);
    Connect(s);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(echo.Log().Texts(), (std::vector<std::string>{"KVAM"})) << "COM1 was tried first";
    EXPECT_TRUE(s.Seen([](const e2e::Sample& x) { return x.status == "COM3 - connect"; }));
    echo.Stop();
}

TEST_F(Connection, DeviceStreamingWithoutLineEndsDoesNotHideTheSensor)
{
    Speed_Up(4);
    platform::PseudoTerminal& streaming = Silent_Port(1);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop.load())
            if (!streaming.Write("0123456789abcdef"))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    Start_Sensor();
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Switch_Off(s);
    const bool ran = s.Run(20s);
    stop.store(true);
    streaming.CloseMaster();
    writer.join();
    ASSERT_TRUE(ran);
    EXPECT_TRUE(s.Seen([](const e2e::Sample& x) { return x.status == "COM3 - connect"; }));
    EXPECT_LE(app_test::Rx_Line().size(), 64u * 1024u);
}

TEST_F(Connection, ScanWithoutSensorEndsIdleAndTheNextClickScansAgain)
{
    Speed_Up(10);
    Silent_Port(1);
    Silent_Port(2);
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    s.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_EQ(form.Label_Status->text(), kIdle);
    EXPECT_FALSE(form.Comm->Active());
    std::vector<QString> texts;
    for (const Span& span : shownTexts(s))
        texts.push_back(span.text);
    EXPECT_EQ(texts, (std::vector<QString>{"COM1 -  connection...", "COM1 - device not found",
                                           "COM2 -  connection...", "COM2 - device not found"}));

    e2e::Scenario again(form);
    again.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(again.Run(20s));
    EXPECT_EQ(shownTexts(again).size(), 4u) << "a new scan";
}

TEST_F(Connection, ManualAttemptWithoutSensorReportsTheEntryAndReturnsToIdle)
{
    Silent_Port(1);
    Silent_Port(2);
    app::TForm1& form = Open_Window();
    Choose_Port("COM2");
    e2e::Scenario s(form);
    s.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(s.Run(20s));

    const std::vector<Span> texts = shownTexts(s);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "COM2- device not found");
    EXPECT_EQ(texts[1].text, "COM2 - disconnected");
    for (const Span& span : texts) {
        EXPECT_GE(span.ms, 970) << span.text.toStdString();
        EXPECT_LT(span.ms, 1000 + 1500) << span.text.toStdString();
    }
    EXPECT_EQ(form.Label_Status->text(), kIdle);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_FALSE(form.Comm->Active());
}

TEST_F(Connection, ManualAttemptFindsTheSensorOnTheChosenPortOnly)
{
    Speed_Up(10);
    Start_Sensor();
    Silent_Port(1);
    app::TForm1& form = Open_Window();
    Choose_Port("COM3");
    e2e::Scenario s(form);
    Connect(s);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    const std::vector<Span> texts = shownTexts(s);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, "COM3 - connect") << "no scan over COM1";
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "KVAM"), 1);
}

TEST_F(Connection, ManualAttemptWithNothingSelectedSaysSoAndStaysIdle)
{
    Silent_Port(1);
    app::TForm1& form = Open_Window();
    Choose_Port("COM1");
    form.cmDeviceBox1->setCurrentIndex(-1);
    e2e::Scenario s(form);
    s.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(s.Run(10s));
    ASSERT_EQ(Boxes().count(), 1);
    EXPECT_TRUE(Boxes().texts()[0].startsWith("No port is selected.")) << Boxes().texts()[0].toStdString();
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_FALSE(form.Comm->Active());
}

TEST_F(Connection, PortThatCannotBeOpenedEndsTheClickWithTheOpenErrorAndTheNextClickReturnsToIdle)
{
    Start_Sensor();
    app::TForm1& form = Open_Window();
    ASSERT_EQ(form.cmDeviceBox1->count(), 1);
    Sensor().PullCable();  // COM3 is listed but gone
    e2e::Scenario s(form);
    s.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(s.Run(10s));
    ASSERT_EQ(Boxes().count(), 1);
    const QString text = Boxes().texts()[0];
    EXPECT_TRUE(text.startsWith("Device \"COM3\" Open Error !!!\r")) << text.toStdString();
    EXPECT_GT(text.size(), QString("Device \"COM3\" Open Error !!!\r").size()) << "the system's reason follows";
    EXPECT_EQ(app_test::Unit1().Running, 1);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "Off");

    e2e::Scenario off(form);
    Switch_Off(off);
    ASSERT_TRUE(off.Run(10s));
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_EQ(form.Label3->text(), "000.0 uW");
    EXPECT_EQ(Boxes().count(), 1);
}

struct IdentityCase {
    const char* name;
    bool modelAnswered;
    const char* serial;
    const char* shown;
};

class Identification : public e2e::WindowTest, public testing::WithParamInterface<IdentityCase> {};

TEST_P(Identification, ShowsModelAndSerialNumberWithFiveDigits)
{
    const IdentityCase& c = GetParam();
    sensor_sim::SimulatorConfig config;
    config.sensor.serialNumber = c.serial;
    if (!c.modelAnswered)
        config.sensor.rules[CommandKind::ReadModel] = {ReplyMode::Silent, {}, {}};
    Start_Sensor(config);
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    // Identification answers within windows that hold on a busy machine;
    // switching off runs faster.
    Speed_Up(2);
    Connect(s);
    s.Do("speed up", [&] { Speed_Up(10); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_TRUE(s.Seen([&](const e2e::Sample& x) { return x.number == QString::fromUtf8(c.shown); }));
    EXPECT_EQ(form.Label_Number->text(), "") << "Off clears it";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Identification,
    testing::Values(IdentityCase{"Short", true, "123", "KVAM-32/2, \u211600123"},
                    IdentityCase{"Long", true, "123456", "KVAM-32/2, \u2116123456"},
                    IdentityCase{"Fraction", true, "12.6", "KVAM-32/2, \u211600013"},
                    IdentityCase{"NoModel", false, "5", ", \u211600005"}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return std::string(info.param.name); });

TEST_F(Connection, SerialNumberThatIsNoNumberEndsTheClickWithTheConversionError)
{
    Speed_Up(10);
    sensor_sim::SimulatorConfig config;
    config.sensor.serialNumber = "abc";
    Start_Sensor(config);
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    s.Click_And_Wait("click On", form.kSpeedButton_Vkl);
    ASSERT_TRUE(s.Run(10s));
    ASSERT_EQ(Boxes().count(), 1);
    EXPECT_TRUE(Boxes().texts()[0].contains("abc")) << Boxes().texts()[0].toStdString();
    EXPECT_EQ(app_test::Unit1().Running, 1);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "Off");
    EXPECT_EQ(form.Label_Number->text(), "");
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "SENS:MEAS:POW?"), 0) << "polling does not start";

    e2e::Scenario off(form);
    Switch_Off(off);
    ASSERT_TRUE(off.Run(10s));
    EXPECT_FALSE(form.Comm->Active());
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
}

} // namespace
