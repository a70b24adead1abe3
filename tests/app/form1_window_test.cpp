// The main window on the offscreen platform: its stored form, its layout,
// its start and end, and the close request held while a handler runs.
#include "app/control_table.h"
#include "app/dpi_scaling.h"
#include "app/form1.h"
#include "app/system_colors.h"
#include "tests/app/live_window.h"
#include "comm/comm.h"
#include "discovery/box/device_box.h"
#include "runtime/decimal_separator.h"
#include "runtime/error.h"
#include "skin/manager/form_provider.h"
#include "tests/app/port_sandbox.h"
#include "tests/support/message_box_watcher.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

using app::TForm1;

// A control's bounds in the window's client area (below the skin's caption).
QRect clientGeometry(const TForm1& form, const QWidget* control)
{
    if (control->parentWidget() != &form)
        return control->geometry();
    return control->geometry().translated(-skin::TkxProvider::ClientOrigin(&form));
}

class Form1Window : public testing::Test {
protected:
    void SetUp() override
    {
        app_test::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
    }

    std::unique_ptr<TForm1> shownForm()
    {
        auto form = std::make_unique<TForm1>();
        form->show();
        QApplication::processEvents();
        return form;
    }
};

TEST_F(Form1Window, LaysOutByTheDpiTableAt96Ppi)
{
    auto form = shownForm();
    ASSERT_EQ(form->Ppi(), 96);
    EXPECT_EQ(form->frameGeometry().size(), QSize(425, 205));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the window is not resizable";
    EXPECT_EQ(clientGeometry(*form, form->Lbl_Freq), QRect(215, 147, 86, 16)) << "not its stored 200, 147, 64 wide";
    for (const app::DpiRow& row : app::Dpi_Table()) {
        if (!row.name)
            continue;
        const auto* control = form->findChild<QWidget*>(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(clientGeometry(*form, control), QRect(row.design.left, row.design.top, row.design.width, row.design.height))
            << row.name;
    }
    // Not in the DPI table: stored bounds.
    EXPECT_EQ(clientGeometry(*form, form->CheckBox1), QRect(62, 148, 46, 17));
    EXPECT_EQ(clientGeometry(*form, form->cmDeviceBox1), QRect(113, 143, 78, 26));
    EXPECT_EQ(clientGeometry(*form, form->kLabel1), QRect(377, 148, 29, 16));
    EXPECT_EQ(form->Label3->parentWidget(), form->Panel1);
}

// Run by ctest a second time with Qt's scaling off and a 120-ppi screen.
TEST_F(Form1Window, LaysOutByTheDpiTableAt120Ppi)
{
    auto form = shownForm();
    if (form->Ppi() != 120)
        GTEST_SKIP() << "screen at " << form->Ppi() << " ppi";
    EXPECT_EQ(form->frameGeometry().size(), QSize(531, 256));
    EXPECT_EQ(clientGeometry(*form, form->Lbl_Freq), QRect(269, 184, 108, 20));
    EXPECT_EQ(clientGeometry(*form, form->Panel1), QRect(12, 12, 445, 161));
    EXPECT_EQ(clientGeometry(*form, form->CheckBox1), QRect(78, 185, 58, 21)) << "stored bounds scaled by the same ratio";
    EXPECT_EQ(QFontInfo(form->Label3->font()).pixelSize(), 79);
}

TEST(DpiScaling, RoundsHalvesToEven)
{
    const struct {
        int design, ppi, scaled;
    } cases[] = {
        {10, 120, 12},   // 12.5
        {5, 120, 6},     // 6.25
        {145, 120, 181}, // 181.25
        {425, 120, 531}, // 531.25
        {205, 120, 256}, // 256.25
        {86, 120, 108},  // 107.5 -> 108
        {18, 120, 22},   // 22.5 -> 22
        {63, 144, 94},   // 94.5 -> 94
        {215, 96, 215},
        {3, 72, 2},      // 2.25
        {-13, 120, -16}, // -16.25
        {0, 120, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::Scale_For_Ppi(c.design, c.ppi), c.scaled) << c.design << " at " << c.ppi;
}

TEST_F(Form1Window, StartsIdle)
{
    auto form = shownForm();
    EXPECT_EQ(form->windowTitle(), "Fluxmira");
    // The skin draws the caption: minimise and close, no maximise.
    const skin::TkxProvider* frame = skin::TkxProvider::ProviderOf(form.get());
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->Layout().MinimizeButton.isEmpty());
    EXPECT_FALSE(frame->Layout().CloseButton.isEmpty());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->Label_Status->text(), "i");
    EXPECT_EQ(form->Label3->text(), "000.0 uW");
    EXPECT_EQ(form->Label_Number->text(), "");
    EXPECT_EQ(form->kSpeedButton_Vkl->text(), "On");
    EXPECT_FALSE(form->kSpeedButton_Vkl->isEnabled()) << "no port listed";
    EXPECT_TRUE(form->kEdit_Freq->isReadOnly());
    EXPECT_EQ(form->kEdit_Freq->text(), "0.02");
    EXPECT_FALSE(form->cmDeviceBox1->isVisible());
    EXPECT_FALSE(form->Btn_W_dBm->isVisible());
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->Lbl_Freq->text(), "Freq, GHz");
    EXPECT_EQ(form->kLabel1->text(), "V1.0");
    EXPECT_EQ(form->Panel1->palette().color(QPalette::Window), QColor(131, 195, 228));
    EXPECT_EQ(form->CheckBox1->palette().color(QPalette::Window), app::System_Color(app::SysColor::DarkShadow))
        << "the check box's stored colour";
    EXPECT_EQ(form->CheckBox1->palette().color(QPalette::WindowText), app::System_Color(app::SysColor::DarkShadow));
    EXPECT_EQ(app_test::Unit1().Running, 0);
    EXPECT_EQ(app_test::Unit1().dBm_Mode, 0);
}

TEST_F(Form1Window, FontsResolveToFreeFacesWithCyrillicAndNumeroSign)
{
    auto form = shownForm();
    const QFontInfo unicode(form->Label3->font());
    EXPECT_EQ(unicode.family(), "Liberation Sans");
    EXPECT_EQ(unicode.pixelSize(), 63);
    const QFontInfo heavy(form->font());
    EXPECT_EQ(heavy.family(), "DejaVu Sans");
    EXPECT_GE(heavy.weight(), QFont::Bold);
    const QString warning = QString::fromUtf8("У Б А В Ь    М О Щ Н О С Т Ь   ! ! !");
    const QString numero = QString::fromUtf8(", №");
    for (const QWidget* w : {static_cast<QWidget*>(form->Label_Status), static_cast<QWidget*>(form->Label_Number)}) {
        const QFontMetrics metrics(w->font());
        for (const QChar c : warning + numero)
            EXPECT_TRUE(metrics.inFont(c)) << w->objectName().toStdString() << " lacks U+" << std::hex << static_cast<int>(c.unicode());
    }
}

TEST_F(Form1Window, CommaSeparatorIsForcedToAPointAndRestoredAtTheEnd)
{
    runtime::SetDecimalSeparator(u',');
    {
        auto form = shownForm();
        EXPECT_EQ(runtime::DecimalSeparator(), u'.');
        app_test::Unit1().Model = "KVAM-32/2";
        app_test::Unit1().Reading = 1.5;
        EXPECT_EQ(form->Format_W("1.5"), "1.500 W");
        EXPECT_EQ(app_test::Unit1().Reading, 1.5) << "1.5 parses as one and a half";
    }
    EXPECT_EQ(runtime::DecimalSeparator(), u',');
}

TEST_F(Form1Window, OtherSeparatorsStayAsTheyAre)
{
    for (const char16_t separator : {u'.', u'\x066B'}) {
        runtime::SetDecimalSeparator(separator);
        {
            TForm1 form;
            EXPECT_EQ(runtime::DecimalSeparator(), separator);
        }
        EXPECT_EQ(runtime::DecimalSeparator(), separator);
    }
}

TEST_F(Form1Window, CloseRequestIsHeldUntilTheClickHandlerReturns)
{
    auto form = shownForm();
    bool visibleAfterRequest = false;
    bool heldDuringHandler = false;
    form->Run_Click_Handler([&] {
        QTimer::singleShot(20, form.get(), [&] { form->close(); });
        form->Wait_Reply(200);
        visibleAfterRequest = form->isVisible();
        heldDuringHandler = form->Close_Held();
        form->Run_Click_Handler([&] { form->Wait_Reply(50); });  // a nested handler does not release it
        EXPECT_TRUE(form->isVisible());
    });
    EXPECT_TRUE(visibleAfterRequest);
    EXPECT_TRUE(heldDuringHandler);
    EXPECT_TRUE(form->isVisible()) << "ends only from the message loop, after the handler";
    QApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Close_Held());
}

TEST_F(Form1Window, HeldCloseEndsTheMessageLoopOnceTheHandlerReturns)
{
    auto form = shownForm();
    bool visibleAtHandlerEnd = false;
    QTimer::singleShot(0, form.get(), [&] {
        form->Run_Click_Handler([&] {
            QTimer::singleShot(20, form.get(), [&] { form->close(); });
            form->Wait_Reply(300);
            visibleAtHandlerEnd = form->isVisible();
        });
    });
    bool timedOut = false;
    QTimer::singleShot(5000, qApp, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    EXPECT_FALSE(timedOut) << "the message loop ended with the window";
    EXPECT_TRUE(visibleAtHandlerEnd);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Window, CloseWithoutHandlerEndsAtOnce)
{
    auto form = shownForm();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Window, ErrorLeavingAHandlerIsReportedAndTheProgramGoesOn)
{
    auto form = shownForm();
    testing_support::MessageBoxWatcher watcher;
    form->Run_Click_Handler([] { throw runtime::ConvertError("'x' is not a valid floating point value"); });
    ASSERT_EQ(watcher.count(), 1);
    EXPECT_EQ(watcher.texts().front(), "'x' is not a valid floating point value");
    EXPECT_FALSE(form->Handler_Running());
    form->Btn_ZeroClick();
    EXPECT_EQ(app_test::Unit1().Zero_Request, 1);
}

TEST_F(Form1Window, ActivationFillsThePortTable)
{
    app_test::PortSandbox ports;
    auto form = shownForm();
    for (unsigned n : {12u, 1u, 3u})
        ports.RegisterNode(n);
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(form->isActiveWindow());
    EXPECT_EQ(app_test::Unit1().Port_Count, 0);
    form->activateWindow();  // switching back to the window
    QApplication::processEvents();
    ASSERT_TRUE(form->isActiveWindow());
    const auto& u = app_test::Unit1();
    EXPECT_EQ(u.Port_Count, 3);
    EXPECT_EQ(u.Port_Table[0], 1);
    EXPECT_EQ(u.Port_Table[1], 3);
    EXPECT_EQ(u.Port_Table[2], 12);
    EXPECT_TRUE(form->kSpeedButton_Vkl->isEnabled());
}

TEST_F(Form1Window, EntryThatIsNoPortStopsTheActivationWithAReport)
{
    auto form = shownForm();
    // An entry another discovery mode could give: the component's list holds it as it is.
    form->Comm->DeviceListClear();
    int data = 0;
    for (const char* text : {"COM1", "COMx", "COM5"}) {
        auto device = std::make_unique<discovery::TcmDevice>();
        device->SetNameFriendly(text);
        device->SetData(++data);
        form->Comm->DeviceInsert(std::move(device));
    }
    testing_support::MessageBoxWatcher watcher;
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    form->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(watcher.count(), 1);
    EXPECT_EQ(watcher.texts().front(), "'x' is not a valid integer value");
    EXPECT_EQ(app_test::Unit1().Port_Table[0], 1);
    EXPECT_EQ(app_test::Unit1().Port_Table[2], 0) << "nothing after the failing entry";
    EXPECT_FALSE(form->kSpeedButton_Vkl->isEnabled());
}

TEST_F(Form1Window, PortTableIsNeverWrittenBeyondItsSize)
{
    app_test::PortSandbox ports;
    for (unsigned i = 1; i <= 200; ++i)
        ports.RegisterNode(i);
    auto form = shownForm();
    form->FormActivate();
    EXPECT_EQ(app_test::Unit1().Port_Count, 200);
    EXPECT_EQ(app_test::Unit1().Port_Table[127], 128);
}

TEST_F(Form1Window, ParsePortNumber)
{
    TForm1 form;
    EXPECT_EQ(form.Parse_Port_Number("COM3"), 3);
    EXPECT_EQ(form.Parse_Port_Number("COM12"), 12);
    EXPECT_EQ(form.Parse_Port_Number("COM65539"), 3) << "truncated to 16 bits";
    EXPECT_THROW(form.Parse_Port_Number(""), runtime::ConvertError);
    EXPECT_THROW(form.Parse_Port_Number("COM"), runtime::ConvertError);
    EXPECT_THROW(form.Parse_Port_Number("COM3 (USB)"), runtime::ConvertError);
    // A port number is digits only: no blanks, no sign.
    for (const char* entry : {"COM-1", "COM+3", "COM 3", "COM  12", "COM\t3", "COM-0"})
        EXPECT_THROW(form.Parse_Port_Number(entry), runtime::ConvertError) << entry;
}

// A click into the frequency box marks it as being edited: every left
// click, the first one that gives it the focus included; no other button.
TEST_F(Form1Window, OnlyLeftClicksIntoTheFrequencyBoxTurnItBlue)
{
    auto form = shownForm();
    form->activateWindow();
    QApplication::processEvents();
    auto base = [&] { return form->kEdit_Freq->palette().color(QPalette::Base); };
    ASSERT_NE(base(), QColor(0, 0, 255));
    ASSERT_FALSE(form->kEdit_Freq->hasFocus());
    QTest::mouseClick(form->kEdit_Freq, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(form->kEdit_Freq->hasFocus());
    EXPECT_EQ(base(), QColor(0, 0, 255)) << "the first left click, before any run";
    EXPECT_EQ(form->kEdit_Freq->palette().color(QPalette::Text), QColor(Qt::white));
    // Once more while focused: still blue.
    QTest::mouseClick(form->kEdit_Freq, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(base(), QColor(0, 0, 255));

    // The first click into a window that is not active: the window gets
    // active (and the box its focus) only after the button went up.
    form->kEdit_Freq->setPalette(QApplication::palette());
    form->kEdit_Freq->clearFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(form->isActiveWindow());
    QTest::mouseClick(form->kEdit_Freq, Qt::LeftButton);
    QApplication::processEvents();
    form->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(form->kEdit_Freq->hasFocus());
    EXPECT_EQ(base(), QColor(0, 0, 255)) << "the first click into an inactive window";
    other.hide();
    form->activateWindow();
    QApplication::processEvents();

    // Other buttons never mark the box, focused or not.
    for (const bool focused : {true, false}) {
        form->kEdit_Freq->setPalette(QApplication::palette());
        if (!focused)
            form->kEdit_Freq->clearFocus();
        QApplication::processEvents();
        ASSERT_EQ(form->kEdit_Freq->hasFocus(), focused);
        const QColor before = base();
        for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mouseClick(form->kEdit_Freq, button);
            QApplication::processEvents();
            EXPECT_NE(base(), QColor(0, 0, 255)) << "button " << button << (focused ? ", focused" : "");
        }
        EXPECT_EQ(base(), before);
    }
}

TEST_F(Form1Window, UnitButtonSwitchesBetweenWattsAndDbm)
{
    TForm1 form;
    form.Btn_W_dBmClick();
    EXPECT_EQ(form.Btn_W_dBm->text(), "dBm");
    EXPECT_EQ(app_test::Unit1().dBm_Mode, 1);
    form.Btn_W_dBmClick();
    EXPECT_EQ(form.Btn_W_dBm->text(), "W");
    EXPECT_EQ(app_test::Unit1().dBm_Mode, 0);
}

TEST_F(Form1Window, ReceivedBytesAssembleIntoReply)
{
    TForm1 form;
    const std::string bytes = "OK\r\n12";
    form.CommAfterReceive(nullptr, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(app_test::Unit1().Reply, "OK");
    form.CommAfterReceive(nullptr, nullptr, 0);
    const std::string rest = "3.4\r\n";
    form.CommAfterReceive(nullptr, reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    EXPECT_EQ(app_test::Unit1().Reply, "123.4");
}

TEST_F(Form1Window, ScreenshotOfTheIdleWindow)
{
    auto form = shownForm();
    const char* artifacts = std::getenv("FLUXMIRA_ARTIFACTS");
    const QString dir = artifacts ? QString::fromUtf8(artifacts) : QDir::currentPath();
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString file = dir + "/fluxmira_idle.png";
    const QPixmap shot = form->grab();
    ASSERT_EQ(shot.size(), form->size());
    ASSERT_TRUE(shot.save(file, "PNG")) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << std::endl;

    // The shot shows the idle window: the panel in its colour, the reading
    // display's text drawn in dark pixels on it.
    const QImage image = shot.toImage();
    const QRect panel(form->Panel1->mapTo(form.get(), QPoint()), form->Panel1->size());
    EXPECT_EQ(QColor(image.pixel(panel.left() + 6, panel.bottom() - 4)), QColor(131, 195, 228));
    const QRect display(form->Label3->mapTo(form.get(), QPoint()), form->Label3->size());
    int dark = 0;
    for (int y = display.top(); y <= display.bottom(); ++y)
        for (int x = display.left(); x <= display.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 200) << "\"000.0 uW\" is drawn";
}

} // namespace
