// The exchange steps of the main window: waits that keep the window
// responsive without spinning, and the status line.
#include "app/form1.h"
#include "tests/app/live_window.h"
#include "runtime/decimal_separator.h"
#include "runtime/tick.h"
#include "tests/app/gui_helpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <ctime>
#include <iostream>

namespace {

using app::TForm1;

class Form1Exchange : public testing::Test {
protected:
    void SetUp() override
    {
        app_test::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
        form.show();
        QApplication::processEvents();
    }

    TForm1 form;
};

TEST_F(Form1Exchange, WaitLastsItsFullTimeAndHandlesAClickInside)
{
    bool handledInside = false;
    QTimer::singleShot(20, &form, [&] { app_test::PostClick(form.Btn_Zero); });
    QTimer::singleShot(400, &form, [&] { handledInside = app_test::Unit1().Zero_Request == 1; });
    const std::uint32_t start = runtime::GetTickCount();
    form.Wait_Reply(700);
    const std::uint32_t elapsed = runtime::GetTickCount() - start;
    EXPECT_GE(elapsed, 700u);
    EXPECT_LT(elapsed, 700u + 1500u);
    EXPECT_TRUE(handledInside) << "the posted click ran during the wait";
}

TEST_F(Form1Exchange, LongWaitSleepsInsteadOfSpinning)
{
    const double cpuBefore = app_test::ProcessCpuMs();
    const std::uint32_t start = runtime::GetTickCount();
    form.Wait_Reply(10000);
    const double cpuMs = app_test::ProcessCpuMs() - cpuBefore;
    EXPECT_GE(runtime::GetTickCount() - start, 10000u);
    EXPECT_LT(cpuMs, 500.0) << "5 % of one core over 10 s; a busy loop takes all of it";
    std::cout << "CPU time of a 10 s wait: " << cpuMs << " ms" << std::endl;
}

TEST_F(Form1Exchange, ShowStatusSetsTheTextAndPumpsOnce)
{
    bool pumped = false;
    QTimer::singleShot(0, &form, [&] { pumped = true; });
    form.Show_Status("COM3 - connect");
    EXPECT_EQ(form.Label_Status->text(), "COM3 - connect");
    EXPECT_TRUE(pumped);
}

} // namespace
