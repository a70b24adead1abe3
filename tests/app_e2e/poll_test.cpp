// The poll loop on the real window: readings, the overload flash, Off and On
// clicks nested in its waits, a pulled cable and a held close request.
#include "tests/app_e2e/window_fixture.h"

#include "app/overload.h"
#include "tests/app/live_window.h"
#include "comm/comm.h"

#include <QCoreApplication>

namespace {

using namespace std::chrono_literals;
using e2e::Sample;
using sensor_sim::PowerProfile;

long long countOf(const std::vector<std::string>& texts, const std::string& text)
{
    return std::count(texts.begin(), texts.end(), text);
}

std::vector<long long> arrivalGapsMs(const sensor_sim::CommandLog& log, const std::string& text)
{
    std::vector<long long> gaps;
    std::optional<std::chrono::steady_clock::time_point> last;
    for (const sensor_sim::LoggedCommand& entry : log.Entries()) {
        if (entry.command.text != text)
            continue;
        if (last)
            gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(entry.received - *last).count());
        last = entry.received;
    }
    return gaps;
}

class PollLoop : public e2e::WindowTest {
protected:
    sensor_sim::SensorSimulator& Sensor_With(const std::string& model, PowerProfile power)
    {
        sensor_sim::SimulatorConfig config;
        config.sensor.model = model;
        config.sensor.power = std::move(power);
        return Start_Sensor(config);
    }

    // Waits until the sensor has been polled `more` more times.
    e2e::Scenario& Polls(e2e::Scenario& s, std::uint64_t more)
    {
        auto target = std::make_shared<std::uint64_t>();
        s.Do("count polls", [this, target, more] { *target = Sensor().PollCount() + more; });
        return s.Then(std::to_string(more) + " more polls", [this, target] { return Sensor().PollCount() >= *target; });
    }
};

TEST_F(PollLoop, ShowsEachReadingFormattedForTheModelOncePerPass)
{
    Sensor_With("KVAM-32/2", PowerProfile::Sequence({"0.5", "1.5", "-3", "abc"}));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 5);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
    // A reply that is no number shows the caller's Reading of 0 in the
    // model's last range, a view that never stands before the first reading.
    for (const char* shown : {"500.0 mW", "1.500 W", "-3.000 W", "00.00 mW"})
        EXPECT_TRUE(s.Seen([&](const Sample& x) { return x.display == shown && x.caption == "Off"; })) << shown;
    // Each pass waits its full 600 ms for the answer. A poll that reaches
    // the sensor late (a busy machine) shortens the gap after it, so single
    // gaps get a scheduling margin and their mean the tight bound.
    const std::vector<long long> gaps = arrivalGapsMs(Sensor().Log(), "SENS:MEAS:POW?");
    ASSERT_FALSE(gaps.empty());
    long long total = 0;
    for (long long gap : gaps) {
        EXPECT_GE(gap, 450);
        EXPECT_LT(gap, 600 + 1500);
        total += gap;
    }
    EXPECT_GE(total / static_cast<long long>(gaps.size()), 585);
}

// The unit button is stored hidden; made visible it switches the running
// display between watts and dBm from the next pass on.
TEST_F(PollLoop, UnitButtonSwitchesTheRunningDisplayToDbmAndBack)
{
    Speed_Up(2);
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    form.Btn_W_dBm->show();
    e2e::Scenario s(form);
    Connect(s);
    s.Then("watts", [&] { return form.Label3->text() == "500.0 mW"; });
    s.Do("click W", [&] { e2e::PostClick(form.Btn_W_dBm); });
    s.Then("dBm", [&] { return form.Label3->text() == "26.99 dBm"; },
           [&] { EXPECT_EQ(form.Btn_W_dBm->text(), "dBm"); });
    s.Do("click dBm", [&] { e2e::PostClick(form.Btn_W_dBm); });
    s.Then("watts again", [&] { return form.Label3->text() == "500.0 mW"; },
           [&] { EXPECT_EQ(form.Btn_W_dBm->text(), "W"); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
}

TEST_F(PollLoop, OverloadWarningFlashesAboveTheLimitOnly)
{
    // KVAM-32/2 warns above 1.1 W; negative readings never warn.
    Sensor_With("KVAM-32/2", PowerProfile::Sequence({"1.2", "1.0", "-5"}));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 5);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));

    const QString warning = QString::fromUtf8(app::kOverloadWarning);
    int flashes = 0;
    for (const e2e::Span& span : s.StatusSpans()) {
        if (span.text != warning)
            continue;
        ++flashes;
        EXPECT_GE(span.ms, 195);
    }
    // A flash ends within its pass: no poll goes out while the warning stands.
    const auto polls = Sensor().Log().Entries();
    bool standing = false;
    e2e::Clock::time_point flashFrom{};
    for (const Sample& x : s.Timeline()) {
        if (x.status == warning && !standing) {
            standing = true;
            flashFrom = x.at;
        } else if (x.status != warning && standing) {
            standing = false;
            for (const sensor_sim::LoggedCommand& poll : polls)
                EXPECT_FALSE(poll.command.text == "SENS:MEAS:POW?" && poll.received > flashFrom && poll.received < x.at)
                    << "a poll went out while the warning stood";
        }
    }
    // Polls 1 and 4 answered 1.2 (poll 0 belongs to the first pass too).
    EXPECT_EQ(flashes, 2);
    EXPECT_TRUE(s.Seen([&](const Sample& x) {
        return x.status == warning && x.statusBold && x.statusColor == QColor(128, 0, 0);
    })) << "bold dark red while it flashes";
    EXPECT_FALSE(form.Label_Status->font().bold());
    EXPECT_EQ(form.Label_Status->text(), "i");
}

// A reply within the 80-bit range but beyond a double is stored as infinity:
// no range shows it, and it is above every limit.
TEST_F(PollLoop, ReplyBeyondADoubleShowsTheEmptyViewAndWarns)
{
    Speed_Up(2);
    Sensor_With("KVAM-32/2", PowerProfile::Sequence({"0.5", "1e400"}));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 4);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
    const QString warning = QString::fromUtf8(app::kOverloadWarning);
    bool readingShown = false;
    bool emptyAfterReading = false;
    for (const Sample& x : s.Timeline()) {
        readingShown = readingShown || x.display == "500.0 mW";
        emptyAfterReading = emptyAfterReading || (readingShown && x.display == "000.0 uW" && x.caption == "Off");
        EXPECT_NE(x.display, "00.00 mW") << "1e400 is a number";
    }
    EXPECT_TRUE(emptyAfterReading);
    EXPECT_TRUE(s.Seen([&](const Sample& x) { return x.status == warning; })) << "the overload warning flashes";
}

TEST_F(PollLoop, OffDuringThePollWaitClosesThePortAtOnceAndOnFindsTheSensorAgain)
{
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    std::size_t sentBeforeOff = 0;
    Connect(s);
    Polls(s, 1);
    s.Do("click Off in the wait", [&] {
        sentBeforeOff = Sensor().Log().Size();
        e2e::PostClick(form.kSpeedButton_Vkl);
    });
    s.Then("Off handled", [] { return app_test::Unit1().Running == 0; }, [&] {
        EXPECT_FALSE(form.Comm->Active()) << "closed at once";
        EXPECT_TRUE(form.Handler_Running()) << "the pass is still finishing";
        EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
        EXPECT_EQ(form.Label3->text(), "000.0 uW");
        EXPECT_EQ(form.Label_Number->text(), "");
    });
    s.Then("the old pass ends", [&] { return !form.Handler_Running(); });
    s.Wait(1000ms);
    s.Do("nothing more was sent", [&] {
        EXPECT_EQ(Sensor().Log().Size(), sentBeforeOff);
        EXPECT_EQ(form.Label3->text(), "000.0 uW") << "the stopped pass shows no reading";
    });
    Connect(s);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "KVAM"), 2);
}

TEST_F(PollLoop, OnWhileTheOldPassFinishesStartsANewRunInsideIt)
{
    Speed_Up(4);
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 1);
    s.Do("click Off in the wait", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("Off handled", [] { return app_test::Unit1().Running == 0; },
           [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("the new run polls", [&] { return Sensor().Log().WaitFor("KVAM", 0ms, 1) > 0 && app_test::Unit1().Running == 1; });
    Polls(s, 3);
    s.Do("the old handler is still below", [&] { EXPECT_TRUE(form.Handler_Running()); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s)) << "both loops end after Off";
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "KVAM"), 2);
    EXPECT_FALSE(form.Comm->Active());
}

TEST_F(PollLoop, NestedOnThatFindsNoSensorAlsoEndsTheOldLoop)
{
    Speed_Up(4);
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 1);
    s.Do("click Off in the wait", [&] { e2e::PostClick(form.kSpeedButton_Vkl); });
    s.Then("Off handled", [] { return app_test::Unit1().Running == 0; }, [&] {
        Sensor().SetRule(sensor_sim::CommandKind::Handshake, {sensor_sim::ReplyMode::Silent, {}, {}});
        e2e::PostClick(form.kSpeedButton_Vkl);
    });
    // The stopped loop must not go on polling under an idle window (it would
    // also hold a close request for ever).
    s.Then("every handler has returned", [&] { return !form.Handler_Running(); });
    ASSERT_TRUE(s.Run(30s));
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(form.kSpeedButton_Vkl->text(), "On");
    EXPECT_FALSE(form.Comm->Active());
    EXPECT_EQ(Boxes().count(), 0);
}

TEST_F(PollLoop, PulledCableKeepsTheProgramRunningAndTheSensorIsFoundAgainOnceBack)
{
    Speed_Up(2);
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Then("a reading", [&] { return form.Label3->text() == "500.0 mW"; }, [&] { Sensor().PullCable(); });
    s.Then("the empty reading", [&] { return form.Label3->text() == "000.0 uW"; });
    s.Wait(1500ms);
    s.Do("still running", [&] {
        EXPECT_EQ(app_test::Unit1().Running, 1);
        EXPECT_EQ(form.kSpeedButton_Vkl->text(), "Off");
        EXPECT_EQ(form.Label3->text(), "000.0 uW");
        ASSERT_TRUE(Sensor().PlugCable());
    });
    Switch_Off(s);
    s.Then("the old run ended", [&] { return !form.Handler_Running(); });
    Connect(s);
    s.Then("a reading again", [&] { return form.Label3->text() == "500.0 mW"; });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(40s));
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "KVAM"), 2);
}

TEST_F(PollLoop, CloseRequestIsHeldUntilTheLoopHasEnded)
{
    // Connecting runs in real time, so that its short answer windows hold on
    // a busy machine; the polls the held close waits through run faster.
    Sensor_With("KVAM-32/2", PowerProfile::Constant(0.5));
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("speed up and close the window", [&] {
        Speed_Up(4);
        form.close();
    });
    Polls(s, 2);
    s.Do("still open and polling", [&] {
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.Close_Held());
        EXPECT_EQ(app_test::Unit1().Running, 1);
    });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
    for (int i = 0; i < 10 && form.isVisible(); ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible()) << "closed once the handler returned";
}

} // namespace
