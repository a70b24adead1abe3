// Sensor commands the poll loop sends on request: calibration, zeroing and
// the frequency, with their status texts and the frequency box's colours.
#include "tests/app_e2e/window_fixture.h"

#include "app/system_colors.h"
#include "tests/app/live_window.h"

#include <QAbstractButton>
#include <QApplication>

namespace {

using namespace std::chrono_literals;
using e2e::Sample;
using sensor_sim::CommandKind;
using sensor_sim::ReplyMode;

long long countOf(const std::vector<std::string>& texts, const std::string& text)
{
    return std::count(texts.begin(), texts.end(), text);
}

class Commands : public e2e::WindowTest {
protected:
    sensor_sim::SensorSimulator& Sensor_With(const std::string& model,
                                             std::map<CommandKind, sensor_sim::ReplyRule> rules = {})
    {
        sensor_sim::SimulatorConfig config;
        config.sensor.model = model;
        config.sensor.power = sensor_sim::PowerProfile::Constant(0.5);
        config.sensor.rules = std::move(rules);
        return Start_Sensor(config);
    }

    e2e::Scenario& Polls(e2e::Scenario& s, std::uint64_t more)
    {
        auto target = std::make_shared<std::uint64_t>();
        s.Do("count polls", [this, target, more] { *target = Sensor().PollCount() + more; });
        return s.Then(std::to_string(more) + " more polls", [this, target] { return Sensor().PollCount() >= *target; });
    }

    void Type(const QString& text)
    {
        Form().kEdit_Freq->selectAll();
        for (const QChar c : text)
            e2e::PostKey(Form().kEdit_Freq, c == ',' ? int(Qt::Key_Comma) : int(c.unicode()), QString(c));
    }

    QColor Box_Color(QPalette::ColorRole role) { return Form().kEdit_Freq->palette().color(role); }

    // From "Wait..." in the display to the status text that ends the wait.
    static long long waitedMs(const e2e::Scenario& s, const QString& status)
    {
        std::optional<e2e::Clock::time_point> from;
        for (const Sample& x : s.Timeline()) {
            if (x.display == "Wait..." && !from)
                from = x.at;
            if (x.status == status && from)
                return std::chrono::duration_cast<std::chrono::milliseconds>(x.at - *from).count();
        }
        return -1;
    }
};

TEST_F(Commands, CalibrationOfTheSmallestModelSendsNothing)
{
    Speed_Up(10);
    Sensor_With("KVAM-32/1");
    app::TForm1& form = Open_Window();
    int calClicks = 0;
    QObject::connect(form.Btn_Cal, &QAbstractButton::clicked, &form, [&] { ++calClicks; });
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click Cal", [&] { e2e::PostClick(form.Btn_Cal); });
    s.Then("the click arrived", [&] { return calClicks == 1; },
           [&] { EXPECT_EQ(app_test::Unit1().Cal_Request, 0) << "this model is never calibrated"; });
    Polls(s, 3);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(calClicks, 1);
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "SENS:CAL"), 0);
}

// Everything requested at once goes out in one pass, in a fixed order after
// the reading.
TEST_F(Commands, OnePassSendsTheRequestsInOrder)
{
    Speed_Up(20);
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("request everything", [&] {
        app::Unit1State& u = app_test::Unit1();
        u.Cal_Request = u.Zero_Request = u.Ref_On_Request = u.Ref_Off_Request = u.Freq_Request = 1;
    });
    s.Then("the frequency went out", [&] { return Sensor().Log().WaitFor("SENS:FREQ[0.02]", 0ms) >= 0; });
    Polls(s, 1);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));

    const std::vector<std::string> sent = Sensor().Log().Texts();
    const auto cal = std::find(sent.begin(), sent.end(), "SENS:CAL");
    ASSERT_NE(cal, sent.end());
    ASSERT_GE(sent.end() - cal, 6);
    EXPECT_EQ(std::vector<std::string>(cal - 1, cal + 6),
              (std::vector<std::string>{"SENS:MEAS:POW?", "SENS:CAL", "SENS:ZERO", "SENS:REF:ON", "SENS:REF:OFF",
                                        "SENS:FREQ[0.02]", "SENS:MEAS:POW?"}));
}

// Each command of a pass goes out after the full wait of the one before:
// 200 ms after a reference command, 500 ms after the frequency (plus the
// second the accepted frequency's status stands).
TEST_F(Commands, ReferenceAndFrequencyCommandsTakeTheirWaits)
{
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("request the reference and a frequency", [&] {
        app::Unit1State& u = app_test::Unit1();
        u.Ref_On_Request = u.Ref_Off_Request = u.Freq_Request = 1;
    });
    s.Then("the frequency went out", [&] { return Sensor().Log().WaitFor("SENS:FREQ[0.02]", 0ms) >= 0; });
    Polls(s, 1);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));

    const auto entries = Sensor().Log().Entries();
    const struct {
        const char* from;
        const char* next;
        long long minMs;
    } gaps[] = {
        {"SENS:REF:ON", "SENS:REF:OFF", 200},
        {"SENS:REF:OFF", "SENS:FREQ[0.02]", 200},
        {"SENS:FREQ[0.02]", "SENS:MEAS:POW?", 500 + 1000},
    };
    for (const auto& gap : gaps) {
        const auto at = std::find_if(entries.begin(), entries.end(),
                                     [&](const sensor_sim::LoggedCommand& e) { return e.command.text == gap.from; });
        ASSERT_TRUE(at != entries.end() && at + 1 != entries.end()) << gap.from;
        EXPECT_EQ((at + 1)->command.text, gap.next);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>((at + 1)->received - at->received).count();
        EXPECT_GE(ms, gap.minMs - 50) << gap.from;  // the far end notes arrivals a little late at times
        EXPECT_LT(ms, gap.minMs + 1500) << gap.from;
    }
}

TEST_F(Commands, CalibrationFollowsTheDisplayStepAndShowsItsConfirmation)
{
    // Connecting at a scale whose answer windows hold on a busy machine;
    // the calibration and its wait run faster.
    Speed_Up(2);
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("speed up and click Cal", [&] {
        Speed_Up(20);
        e2e::PostClick(form.Btn_Cal);
    });
    s.Then("confirmed", [&] { return s.Seen([](const Sample& x) { return x.status == "SENS:CAL:OK"; }); });
    s.Then("a reading again", [&] { return form.Label3->text() == "500.0 mW"; });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));

    const std::vector<std::string> sent = Sensor().Log().Texts();
    const auto cal = std::find(sent.begin(), sent.end(), "SENS:CAL");
    ASSERT_NE(cal, sent.end());
    EXPECT_EQ(*(cal - 1), "SENS:MEAS:POW?");
    EXPECT_EQ(countOf(sent, "SENS:CAL"), 1);
    // A reading, then "Wait..." for the whole wait, the confirmation within it.
    bool readingShown = false;
    bool waitShown = false;
    for (const Sample& x : s.Timeline()) {
        readingShown = readingShown || x.display == "500.0 mW";
        if (x.display == "Wait...") {
            EXPECT_TRUE(readingShown);
            waitShown = true;
        }
        if (x.status == "SENS:CAL:OK") {
            EXPECT_TRUE(waitShown);
            EXPECT_EQ(x.display, "Wait...");
        }
    }
}

TEST_F(Commands, UnansweredCalibrationLeavesItsErrorInTheStatusLine)
{
    // The handshake and identification must be answered within their real
    // windows; only the minute of waiting in vain for the calibration (and
    // what follows it) runs forty times faster.
    Sensor_With("KVAM-32/2", {{CommandKind::Calibrate, {ReplyMode::Silent, {}, {}}}});
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("speed up and click Cal", [&] {
        Speed_Up(40);
        e2e::PostClick(form.Btn_Cal);
    });
    s.Then("refused", [&] { return form.Label_Status->text() == "SENS:CAL:ERROR"; });
    Polls(s, 3);
    s.Do("still shown", [&] { EXPECT_EQ(form.Label_Status->text(), "SENS:CAL:ERROR"); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "SENS:CAL"), 1) << "not retried";
}

TEST_F(Commands, ZeroingWaitsElevenSecondsAndConfirms)
{
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click Zero", [&] { e2e::PostClick(form.Btn_Zero); });
    s.Then("a reading again", [&] { return form.Label3->text() == "500.0 mW" && countOf(Sensor().Log().Texts(), "SENS:ZERO") == 1; });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(40s));
    const long long waited = waitedMs(s, "SENS:ZERO:OK");
    EXPECT_GE(waited, 11000 - 10);
    EXPECT_LT(waited, 11000 + 1500);
    bool okFor1s = false;
    for (const e2e::Span& span : s.StatusSpans())
        okFor1s = okFor1s || (span.text == "SENS:ZERO:OK" && span.ms >= 980 && span.ms < 1000 + 1500);
    EXPECT_TRUE(okFor1s);
}

TEST_F(Commands, RefusedZeroingShowsItsError)
{
    Speed_Up(20);
    Sensor_With("KVAM-405", {{CommandKind::Zero, {ReplyMode::Text, "ERROR", {}}}});
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click Zero", [&] { e2e::PostClick(form.Btn_Zero); });
    s.Then("refused", [&] { return form.Label_Status->text() == "SENS:ZERO:ERROR"; });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
}

TEST_F(Commands, AcceptedFrequencyIsSentWithAPointAndRestoresTheBox)
{
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("click into the box", [&] { e2e::PostClick(form.kEdit_Freq); });
    s.Then("the box is being edited", [&] { return Box_Color(QPalette::Base) == QColor(0, 0, 255); }, [&] {
        EXPECT_EQ(Box_Color(QPalette::Text), QColor(Qt::white));
        EXPECT_FALSE(form.kEdit_Freq->isReadOnly());
        form.kEdit_Freq->setFocus();
        Type("1,5");
        e2e::PostKey(form.kEdit_Freq, Qt::Key_Return);
    });
    s.Then("accepted", [&] { return s.Seen([](const Sample& x) { return x.status == "SENS:FREQ:OK"; }); });
    s.Then("back to rest", [&] { return form.Label_Status->text() == "i"; }, [&] {
        EXPECT_EQ(Box_Color(QPalette::Base), app::System_Color(app::SysColor::Window));
        EXPECT_EQ(Box_Color(QPalette::Text), app::System_Color(app::SysColor::DarkShadow));
        EXPECT_EQ(QApplication::focusWidget(), nullptr) << "no caret anywhere";
    });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(30s));
    const std::vector<std::string> sent = Sensor().Log().Texts();
    EXPECT_EQ(countOf(sent, "SENS:FREQ[1.5]"), 1);
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& t) { return t.rfind("SENS:FREQ", 0) == 0; }), 1);
    bool okFor1s = false;
    for (const e2e::Span& span : s.StatusSpans())
        okFor1s = okFor1s || (span.text == "SENS:FREQ:OK" && span.ms >= 980 && span.ms < 1000 + 1500);
    EXPECT_TRUE(okFor1s);
}

TEST_F(Commands, RefusedFrequencyTurnsTheBoxRedUntilTheNextClick)
{
    Speed_Up(20);
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::Scenario s(form);
    Connect(s);
    s.Do("type abc", [&] {
        Type("abc");
        e2e::PostKey(form.kEdit_Freq, Qt::Key_Return);
    });
    s.Then("refused", [&] { return form.Label_Status->text() == "SENS:FREQ:ERROR"; });
    s.Then("red", [&] { return Box_Color(QPalette::Base) == QColor(255, 0, 0); }, [&] {
        EXPECT_EQ(Box_Color(QPalette::Text), QColor(Qt::white));
        e2e::PostClick(form.kEdit_Freq);
    });
    s.Then("blue again", [&] { return Box_Color(QPalette::Base) == QColor(0, 0, 255); });
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    EXPECT_EQ(countOf(Sensor().Log().Texts(), "SENS:FREQ[abc]"), 1) << "sent unchanged";
}

TEST_F(Commands, RequestsRaisedBeforeTheRunAreDroppedByTheClick)
{
    Speed_Up(20);
    Sensor_With("KVAM-32/2");
    app::TForm1& form = Open_Window();
    e2e::PostKey(form.kEdit_Freq, Qt::Key_Return);
    e2e::PostClick(form.Btn_Zero);
    QApplication::processEvents();
    ASSERT_EQ(app_test::Unit1().Freq_Request, 1);
    ASSERT_EQ(app_test::Unit1().Zero_Request, 1);
    e2e::Scenario s(form);
    Connect(s);
    Polls(s, 3);
    Switch_Off(s);
    ASSERT_TRUE(s.Run(20s));
    for (const std::string& text : Sensor().Log().Texts()) {
        EXPECT_NE(text.rfind("SENS:FREQ", 0), 0u);
        EXPECT_NE(text, "SENS:ZERO");
    }
}

} // namespace
