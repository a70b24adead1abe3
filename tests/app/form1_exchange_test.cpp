// The exchange steps of the main window: waits that keep the window
// responsive without spinning, and the status line.
#include "app/form1.h"
#include "app/unit1_state.h"
#include "runtime/decimal_separator.h"
#include "runtime/tick.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <ctime>
#include <iostream>

namespace {

using app::TForm1;

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// A click as the window system delivers it: posted press and release.
void postClick(QWidget* button)
{
    const QPointF pos(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(pos);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        auto* event = new QMouseEvent(type, pos, global, Qt::LeftButton,
                                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                      Qt::NoModifier);
        QCoreApplication::postEvent(button, event);
    }
}

class Form1Exchange : public testing::Test {
protected:
    void SetUp() override
    {
        app::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
        form.show();
        QApplication::processEvents();
    }

    TForm1 form;
};

TEST_F(Form1Exchange, WaitLastsItsFullTimeAndHandlesAClickInside)
{
    bool handledInside = false;
    QTimer::singleShot(20, &form, [&] { postClick(form.Btn_Zero); });
    QTimer::singleShot(400, &form, [&] { handledInside = app::Unit1().Zero_Request == 1; });
    const std::uint32_t start = runtime::GetTickCount();
    form.Wait_Reply(700);
    const std::uint32_t elapsed = runtime::GetTickCount() - start;
    EXPECT_GE(elapsed, 700u);
    EXPECT_LT(elapsed, 900u);
    EXPECT_TRUE(handledInside) << "the posted click ran during the wait";
}

TEST_F(Form1Exchange, LongWaitSleepsInsteadOfSpinning)
{
    const double cpuBefore = processCpuMs();
    const std::uint32_t start = runtime::GetTickCount();
    form.Wait_Reply(10000);
    const double cpuMs = processCpuMs() - cpuBefore;
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
