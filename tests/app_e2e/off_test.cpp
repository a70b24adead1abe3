// Off clicked in every wait and pause of a run: the run ends and the port is
// closed, as another program opening the device sees it.
#include "tests/app_e2e/window_fixture.h"

#include "tests/app/live_window.h"
#include "comm/comm.h"
#include "platform/serial.h"

namespace {

using namespace std::chrono_literals;
using e2e::Sample;

// Where the Off click lands.
enum class Landing {
    ConnectionPause,  // "COMx -  connection..." stands (a blocking pause)
    Handshake,        // the handshake's wait
    NotFoundPause,    // "COMx - device not found" stands
    ConnectPause,     // "COMx - connect" stands
    ModelWait,        // the wait for "READ:TIP?"
    NumberWait,       // the wait for "READ:NUMBER?"
    PollWait,
    ReferenceWait,
    ZeroWait,
    CalibrationWait,
    FrequencyWait,
};

struct OffCase {
    const char* name;
    Landing landing;
    // At most 4: the run must still connect on a loaded machine, and its
    // handshake waits only 700 ms divided by this.
    double speedUp;
};

void PrintTo(const OffCase& c, std::ostream* os)
{
    *os << c.name;
}

class OffInEveryWait : public e2e::WindowTest, public testing::WithParamInterface<OffCase> {
protected:
    // True when another program can take the port now.
    static bool Port_Free(const std::string& name)
    {
        const platform::Handle h = platform::OpenPort(name);
        if (h == platform::kInvalidHandle)
            return false;
        platform::CloseHandle(h);
        return true;
    }

    // The command whose wait the click lands in, raised once the run polls.
    void Request(Landing landing)
    {
        app::TForm1& form = Form();
        switch (landing) {
        case Landing::ReferenceWait: app_test::Unit1().Ref_On_Request = 1; break;
        case Landing::ZeroWait: e2e::PostClick(form.Btn_Zero); break;
        case Landing::CalibrationWait: e2e::PostClick(form.Btn_Cal); break;
        case Landing::FrequencyWait: e2e::PostKey(form.kEdit_Freq, Qt::Key_Return); break;
        default: break;
        }
    }

    static const char* Command_Of(Landing landing)
    {
        switch (landing) {
        case Landing::Handshake: return "KVAM";
        case Landing::ModelWait: return "READ:TIP?";
        case Landing::NumberWait: return "READ:NUMBER?";
        case Landing::PollWait: return "SENS:MEAS:POW?";
        case Landing::ReferenceWait: return "SENS:REF:ON";
        case Landing::ZeroWait: return "SENS:ZERO";
        case Landing::CalibrationWait: return "SENS:CAL";
        case Landing::FrequencyWait: return "SENS:FREQ[0.02]";
        default: return nullptr;
        }
    }

    static const char* Status_Of(Landing landing)
    {
        switch (landing) {
        case Landing::ConnectionPause: return "COM3 -  connection...";
        case Landing::NotFoundPause: return "COM1 - device not found";
        case Landing::ConnectPause: return "COM3 - connect";
        default: return nullptr;
        }
    }
};

TEST_P(OffInEveryWait, EndsTheRunWithThePortClosed)
{
    const OffCase& c = GetParam();
    Speed_Up(c.speedUp);
    if (c.landing == Landing::NotFoundPause)
        Silent_Port(1);
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Constant(0.5);
    Start_Sensor(config);
    app::TForm1& form = Open_Window();
    const bool polling = c.landing >= Landing::PollWait;

    e2e::Scenario s(form);
    auto sentAtOff = std::make_shared<std::size_t>(0);
    auto lastAtOff = std::make_shared<std::string>();
    auto clickOff = [&, sentAtOff, lastAtOff] {
        const std::vector<std::string> sent = Sensor().Log().Texts();
        *sentAtOff = sent.size();
        *lastAtOff = sent.empty() ? "" : sent.back();
        e2e::PostClick(form.kSpeedButton_Vkl);
    };
    // The command's wait counts from the first time it goes out after this:
    // a poll sent before the request has its wait behind it.
    auto sentBefore = std::make_shared<std::size_t>(0);
    if (polling) {
        Connect(s);
        s.Do("request the command", [&, sentBefore] {
            *sentBefore = Sensor().Log().Size();
            Request(c.landing);
        });
    } else {
        s.Do("click On", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    }
    if (const char* status = Status_Of(c.landing)) {
        s.When_Painted(std::string("click Off while ") + status + " stands",
                       [status](const Sample& x) { return x.status == status; }, clickOff);
    } else {
        const std::string command = Command_Of(c.landing);
        s.Then("click Off when " + command + " has gone out",
               [&, command, sentBefore] { return Sensor().Log().WaitFor(command, 0ms, *sentBefore) >= 0; }, clickOff);
    }
    s.Then("Off handled", [] { return app_test::Unit1().Running == 0; }, [&] {
        EXPECT_FALSE(form.Comm->Active());
        EXPECT_TRUE(Port_Free(Sensor().PortName())) << "the port is closed at once";
    });
    s.Then("every handler has returned", [&] { return !form.Handler_Running(); });
    s.Wait(300ms);
    ASSERT_TRUE(s.Run(60s));

    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_EQ(form.Label3->text(), "000.0 uW");
    EXPECT_FALSE(form.Comm->Active());
    EXPECT_TRUE(Port_Free(Sensor().PortName())) << "nobody holds the sensor's port";
    if (c.landing == Landing::NotFoundPause) {
        EXPECT_TRUE(Port_Free("COM1"));
    }
    const std::vector<std::string> sent = Sensor().Log().Texts();
    EXPECT_EQ(sent.size(), *sentAtOff) << "nothing is sent after Off; last: " << (sent.empty() ? "" : sent.back());
    if (const char* command = Command_Of(c.landing)) {
        EXPECT_EQ(*lastAtOff, command) << "the click lands in this command's wait";
    }
    if (c.landing == Landing::ConnectionPause || c.landing == Landing::NotFoundPause) {
        EXPECT_TRUE(sent.empty()) << "the sensor's port is never opened";
    }
    EXPECT_EQ(Boxes().count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, OffInEveryWait,
    testing::Values(OffCase{"ConnectionPause", Landing::ConnectionPause, 2},
                    OffCase{"Handshake", Landing::Handshake, 1},
                    OffCase{"NotFoundPause", Landing::NotFoundPause, 2},
                    OffCase{"ConnectPause", Landing::ConnectPause, 2},
                    OffCase{"ModelWait", Landing::ModelWait, 1},
                    OffCase{"NumberWait", Landing::NumberWait, 1},
                    OffCase{"PollWait", Landing::PollWait, 2},
                    OffCase{"ReferenceWait", Landing::ReferenceWait, 1},
                    OffCase{"ZeroWait", Landing::ZeroWait, 4},
                    OffCase{"CalibrationWait", Landing::CalibrationWait, 4},
                    OffCase{"FrequencyWait", Landing::FrequencyWait, 1}),
    [](const testing::TestParamInfo<OffCase>& info) { return std::string(info.param.name); });

} // namespace
