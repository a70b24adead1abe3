// The window's exchange through a real serial port component on a
// pseudo-terminal: the far end of the pty plays the sensor.
#include "app/form1.h"
#include "app/reply_number.h"
#include "tests/app/live_window.h"
#include "comm/comm.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "runtime/decimal_separator.h"
#include "runtime/tick.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using app::TForm1;

constexpr unsigned kPort = 7;

class Form1OnPort : public testing::Test {
protected:
    void SetUp() override
    {
        app_test::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
        setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
        platform::RegisterPort(kPort, fSensor.SlavePath());
    }

    void TearDown() override
    {
        if (fAnswer.joinable())
            fAnswer.join();
    }

    std::unique_ptr<TForm1> openForm()
    {
        auto form = std::make_unique<TForm1>();
        form->show();
        form->Comm->SetComPortNo(kPort);
        form->Comm->SetActive(true);
        EXPECT_TRUE(form->Comm->Active());
        return form;
    }

    // The sensor answers the next command after delayMs.
    void answerAfter(std::string command, std::string answer, int delayMs)
    {
        fAnswer = std::thread([this, command, answer, delayMs] {
            const std::string got = fSensor.ReadExactly(command.size(), 3000);
            fReceived = got;
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            fSensor.Write(answer);
        });
    }

    testing_support::TempDir fDir;
    platform::PseudoTerminal fSensor;
    std::thread fAnswer;
    std::string fReceived;
};

TEST_F(Form1OnPort, PortHasTheSensorsLineSettings)
{
    TForm1 form;
    ASSERT_TRUE(form.Comm);
    const comm::TcmComm& c = *form.Comm;
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(c.BaudRate(), 9600u);
    EXPECT_EQ(c.ByteSize(), 8);
    EXPECT_EQ(c.Parity(), comm::pNone);
    EXPECT_EQ(c.StopBits(), comm::sbOne);
    EXPECT_EQ(c.StreamProtocol(), comm::spNone);
    EXPECT_EQ(c.TraceStates(), comm::TraceSet(comm::tsRxChar));
    EXPECT_EQ(c.ComPortNo(), 1);
    EXPECT_EQ(c.EnumPorts(), comm::epQuickAll);
    EXPECT_TRUE(c.UseMainThread());
    EXPECT_FALSE(c.KeepConnection());
    EXPECT_TRUE(c.OnAfterReceive);

    form.Comm->SetComPortNo(kPort);
    form.Comm->SetActive(true);
    const platform::TerminalSettings line = fSensor.Settings();
    EXPECT_EQ(line.baudRate, 9600u);
    EXPECT_EQ(line.byteSize, 8u);
    EXPECT_EQ(line.parity, 'N');
    EXPECT_EQ(line.stopBits, 1u);
    EXPECT_FALSE(line.rtsCts);
    EXPECT_FALSE(line.xonXoffOutput);
}

TEST_F(Form1OnPort, LinesAssembleFromReceiveEvents)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;  // written with a pause between them
        std::string reply;
    };
    const Case cases[] = {
        {"one event", {"KVAM\r\n"}, "KVAM"},
        {"one byte per event", {"K", "V", "A", "M", "\r", "\n"}, "KVAM"},
        {"bytes across commands", {"OK\r\n12", "3.4\r\n"}, "123.4"},
        {"lone CR dropped", {"A\rB\r\n"}, "AB"},
        {"two lines in one wait", {"1.0\r\n", "2.0\r\n"}, "2.0"},
        {"empty line", {"OK\r\n", "\r\n"}, ""},
    };
    auto form = openForm();
    int events = 0;
    const comm::TOnReceived bound = form->Comm->OnAfterReceive;
    form->Comm->OnAfterReceive = [&](comm::TcmBaseIO* com, const std::uint8_t* buffer, std::uint32_t received) {
        ++events;
        bound(com, buffer, received);
    };
    for (const Case& c : cases) {
        app_test::Unit1().Reply = "stale";
        events = 0;
        for (const std::string& chunk : c.chunks) {
            const int before = events;
            ASSERT_TRUE(fSensor.Write(chunk));
            // The next chunk goes out only once this one was delivered, so no two share an event.
            const std::uint32_t deadline = runtime::GetTickCount() + 2000;
            while (events == before && runtime::GetTickCount() < deadline)
                form->Wait_Reply(2);
        }
        EXPECT_EQ(app_test::Unit1().Reply, c.reply) << c.name;
        EXPECT_EQ(app_test::Rx_Line(), "") << c.name;
        EXPECT_EQ(events, static_cast<int>(c.chunks.size())) << c.name << ": one receive event per chunk";
    }
}

TEST_F(Form1OnPort, PartLineWaitsForTheNextCommand)
{
    auto form = openForm();
    ASSERT_TRUE(fSensor.Write("OK\r\n12"));
    form->Wait_Reply(100);
    EXPECT_EQ(app_test::Unit1().Reply, "OK");
    EXPECT_EQ(app_test::Rx_Line(), "12");
    app_test::Unit1().Reply.clear();
    ASSERT_TRUE(fSensor.Write("3.4\r\n"));
    form->Wait_Reply(100);
    EXPECT_EQ(app_test::Unit1().Reply, "123.4");
}

TEST_F(Form1OnPort, SendCommandWritesExactlyTheText)
{
    auto form = openForm();
    form->Send_Command("SENS:MEAS:POW?");
    EXPECT_EQ(fSensor.Read(500), "SENS:MEAS:POW?");
    EXPECT_EQ(fSensor.Read(100), "") << "nothing appended";
}

TEST_F(Form1OnPort, CommandOnAClosedPortSendsNothing)
{
    auto form = openForm();
    form->Comm->SetActive(false);
    form->Send_Command("KVAM");
    const std::uint32_t start = runtime::GetTickCount();
    form->Wait_Reply(300);
    EXPECT_GE(runtime::GetTickCount() - start, 300u);
    EXPECT_EQ(fSensor.Read(100), "");
    EXPECT_EQ(app_test::Unit1().Reply, "");
}

TEST_F(Form1OnPort, WaitTakesItsFullTimeAfterAnEarlyAnswerAndStaysResponsive)
{
    auto form = openForm();
    bool clickHandledInside = false;
    answerAfter("KVAM", "KVAM\r\n", 20);
    QTimer::singleShot(100, form.get(), [&] { app_test::PostClick(form->Btn_Zero); });
    QTimer::singleShot(400, form.get(), [&] { clickHandledInside = app_test::Unit1().Zero_Request == 1; });
    std::string replyAt100;
    QTimer::singleShot(150, form.get(), [&] { replyAt100 = app_test::Unit1().Reply; });

    app_test::Unit1().Reply.clear();
    const std::uint32_t start = runtime::GetTickCount();
    form->Send_Command("KVAM");
    form->Wait_Reply(700);
    const std::uint32_t elapsed = runtime::GetTickCount() - start;

    EXPECT_EQ(replyAt100, "KVAM") << "the answer arrived early";
    EXPECT_GE(elapsed, 700u);
    EXPECT_LT(elapsed, 700u + 1500u);
    EXPECT_EQ(app_test::Unit1().Reply, "KVAM");
    EXPECT_TRUE(clickHandledInside);
    fAnswer.join();
    EXPECT_EQ(fReceived, "KVAM");
}

TEST_F(Form1OnPort, LongWaitWithThePortOpenSleeps)
{
    auto form = openForm();
    const double cpuBefore = app_test::ProcessCpuMs();
    form->Wait_Reply(10000);
    const double cpuMs = app_test::ProcessCpuMs() - cpuBefore;
    EXPECT_LT(cpuMs, 500.0) << "5 % of one core over 10 s";
    std::cout << "CPU time of a 10 s wait with the port open: " << cpuMs << " ms" << std::endl;
}

TEST_F(Form1OnPort, CommaSystemSeparatorRoundTrip)
{
    runtime::SetDecimalSeparator(u',');
    {
        auto form = openForm();
        EXPECT_EQ(runtime::DecimalSeparator(), u'.');
        app_test::Unit1().Model = "KVAM-32/2";
        answerAfter("SENS:MEAS:POW?", "1.5\r\n", 20);
        app_test::Unit1().Reply.clear();
        form->Send_Command("SENS:MEAS:POW?");
        form->Wait_Reply(300);
        ASSERT_EQ(app_test::Unit1().Reply, "1.5");
        app_test::Unit1().Reading = app::Reply_To_Number(app_test::Unit1().Reply);
        EXPECT_EQ(app_test::Unit1().Reading, 1.5);
        EXPECT_EQ(form->Format_W(app_test::Unit1().Reply), "1.500 W");
        EXPECT_EQ(form->Format_dBm("1.5"), "31.76 dBm");
    }
    EXPECT_EQ(runtime::DecimalSeparator(), u',');
}

TEST_F(Form1OnPort, WindowClosesThePortWhenItGoes)
{
    auto form = openForm();
    QPointer<comm::TcmComm> port = form->Comm;
    form.reset();
    EXPECT_TRUE(port.isNull()) << "owned by the window";
    EXPECT_TRUE(fSensor.Write("late\r\n"));
}

} // namespace
