// The port settings dialog, driven by real key and mouse events while the
// component shows it modally over a pseudo-terminal port.
#include "comm/port_settings_dialog.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/skin_manager.h"
#include "skin/internal/internal_skin.h"

#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

using namespace comm;
using comm::TcmPortSettingsDialog;

// Runs steps on the dialog as soon as it is the active modal window.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(TcmPortSettingsDialog&)> steps) : fSteps(std::move(steps))
    {
        fTimer.setInterval(5);
        QObject::connect(&fTimer, &QTimer::timeout, [this] { Poll(); });
        fTimer.start();
    }
    bool Ran() const { return fRan; }

private:
    void Poll()
    {
        auto* dialog = qobject_cast<TcmPortSettingsDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        fTimer.stop();
        fRan = true;
        QPointer<TcmPortSettingsDialog> guard(dialog);
        fSteps(*dialog);
        // A step that failed must not leave the modal loop waiting for ever.
        if (guard && guard->isVisible() && ::testing::Test::HasFailure())
            guard->reject();
    }

    std::function<void(TcmPortSettingsDialog&)> fSteps;
    QTimer fTimer;
    bool fRan = false;
};

void SaveScreenshot(QWidget& w, const char* name)
{
    const char* dir = std::getenv("FLUXMIRA_ARTIFACTS");
    const std::filesystem::path folder = dir && *dir ? dir : "artifacts";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(w.grab().save(QString::fromStdString((folder / name).string())));
}

void Activate(QWidget& w)
{
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Replaces the text of the focused field by typing.
void Retype(const char* text)
{
    Key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Types a rate into the baud rate field and confirms with Enter.
void ConfirmBaudRate(TcmPortSettingsDialog& d, const char* rate)
{
    Activate(d);
    Retype(rate);
    Key(Qt::Key_Return);
}

class ConfigDialogTest : public comm_test::PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        UseAppSettings();  // 9600 8N1, no flow control
    }

    bool SameDcb(const platform::Dcb& a, const platform::Dcb& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(ConfigDialogTest, ReadPortConfigTakesTheDriversStateAndDerivesTheFlowControl)
{
    OpenOrFail();
    struct Row {
        std::uint32_t flags;
        TStreamProtocol protocol;
        bool rs485;
    };
    const Row table[] = {{0x1311, spXonXoff, false}, {0x2015, spHardware, false}, {0x3011, spNone, true},
                         {0x1011, spNone, false}};
    for (const Row& row : table) {
        platform::Dcb dcb = com->Config().dcb;
        dcb.Flags = row.flags;
        dcb.BaudRate = 38400;
        ASSERT_TRUE(platform::SetCommState(com->DeviceHandle(), dcb));
        com->ReadPortConfig();
        EXPECT_EQ(com->BaudRate(), 38400u);
        EXPECT_EQ(com->StreamProtocol(), row.protocol) << std::hex << row.flags;
        EXPECT_EQ(com->RS485Mode(), row.rs485) << std::hex << row.flags;
    }
    // Closed, the component's own record is what there is to read.
    com->SetActive(false);
    com->SetStreamProtocol(spHardware);
    com->ReadPortConfig();
    EXPECT_EQ(com->StreamProtocol(), spHardware);
    EXPECT_EQ(com->BaudRate(), 38400u);
}

TEST_F(ConfigDialogTest, ChangedFromTheKeyboardAndConfirmedWithTheMouse)
{
    OpenOrFail();
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        EXPECT_EQ(d.windowTitle(), "COM5 Port Settings");
        EXPECT_EQ(d.BaudRateBox()->currentText(), "9600");
        EXPECT_EQ(d.DataBitsBox()->currentText(), "8");
        EXPECT_EQ(d.ParityBox()->currentText(), "None");
        EXPECT_EQ(d.StopBitsBox()->currentText(), "1");
        EXPECT_EQ(d.FlowControlBox()->currentText(), "None");
        ASSERT_EQ(QApplication::focusWidget(), d.BaudRateBox()) << "starts in the first field";
        Retype("19200");
        Key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), d.DataBitsBox()) << "Tab goes down the fields";
        Key(Qt::Key_Up);
        Key(Qt::Key_P, Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), d.ParityBox()) << "Alt+P";
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        Key(Qt::Key_S, Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), d.StopBitsBox()) << "Alt+S";
        Key(Qt::Key_End);
        Key(Qt::Key_F, Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), d.FlowControlBox()) << "Alt+F";
        Key(Qt::Key_End);
        EXPECT_EQ(d.DataBitsBox()->currentText(), "7");
        EXPECT_EQ(d.ParityBox()->currentText(), "Even");
        EXPECT_EQ(d.StopBitsBox()->currentText(), "2");
        EXPECT_EQ(d.FlowControlBox()->currentText(), "Hardware");
        SaveScreenshot(d, "port_settings_dialog.png");
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(com->ConfigDialog());
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(com->BaudRate(), 19200u);
    EXPECT_EQ(com->ByteSize(), 7);
    EXPECT_EQ(com->Parity(), pEven);
    EXPECT_EQ(com->StopBits(), sbTwo);
    EXPECT_EQ(com->StreamProtocol(), spHardware) << "follows the flow control chosen";
    EXPECT_FALSE(com->RS485Mode());
    EXPECT_TRUE(com->Config().dcb.Flags & platform::dcb_flags::fParity);
    const platform::TerminalSettings far = Far().Settings();
    EXPECT_EQ(far.baudRate, 19200u) << "applied to the open port at once";
    EXPECT_EQ(far.stopBits, 2u);
    EXPECT_TRUE(far.rtsCts);
}

TEST_F(ConfigDialogTest, EscapeCancelsAndNothingChanges)
{
    OpenOrFail();
    const platform::Dcb before = com->Config().dcb;
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        Retype("300");
        Key(Qt::Key_Tab);
        Key(Qt::Key_Up);
        Key(Qt::Key_Escape);
    });
    EXPECT_FALSE(com->ConfigDialog());
    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(SameDcb(com->Config().dcb, before));
    EXPECT_EQ(com->StreamProtocol(), spNone);
    EXPECT_EQ(Far().Settings().baudRate, 9600u);
}

TEST_F(ConfigDialogTest, EnterInTheBaudRateFieldConfirms)
{
    OpenOrFail();
    DialogDriver driver([](TcmPortSettingsDialog& d) { ConfirmBaudRate(d, "250000"); });
    EXPECT_TRUE(com->ConfigDialog());
    EXPECT_EQ(com->BaudRate(), 250000u);
    EXPECT_EQ(Far().Settings().baudRate, 250000u);
}

TEST_F(ConfigDialogTest, AnEmptyBaudRateCannotBeConfirmed)
{
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        Key(Qt::Key_A, Qt::ControlModifier);
        Key(Qt::Key_Delete);
        QTest::keyClicks(QApplication::focusWidget(), "x0");  // neither is accepted as a first digit
        EXPECT_FALSE(d.OkButton()->isEnabled());
        Key(Qt::Key_Return);
        EXPECT_TRUE(d.isVisible()) << "Enter does nothing while the rate is not a number";
        QTest::keyClicks(QApplication::focusWidget(), "4800");
        EXPECT_TRUE(d.OkButton()->isEnabled());
        Key(Qt::Key_Return);
    });
    EXPECT_TRUE(com->ConfigDialog());
    EXPECT_EQ(com->BaudRate(), 4800u);
}

TEST_F(ConfigDialogTest, NoSuchPortBehavesLikeACancel)
{
    com->SetComPortNo(9);
    const platform::Dcb before = com->Config().dcb;
    DialogDriver driver([](TcmPortSettingsDialog& d) { d.reject(); });
    EXPECT_FALSE(com->ConfigDialog());
    comm_test::PumpFor(30);
    EXPECT_FALSE(driver.Ran()) << "no dialog was shown";
    EXPECT_TRUE(SameDcb(com->Config().dcb, before));
}

TEST_F(ConfigDialogTest, AClosedPortKeepsTheEditForItsNextOpen)
{
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        Key(Qt::Key_F, Qt::AltModifier);
        Key(Qt::Key_Down);  // Xon / Xoff
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(com->ConfigDialog());
    EXPECT_EQ(com->StreamProtocol(), spXonXoff);
    OpenOrFail();
    const platform::TerminalSettings far = Far().Settings();
    EXPECT_TRUE(far.xonXoffInput && far.xonXoffOutput);
}

TEST_F(ConfigDialogTest, SettingsTheDialogDoesNotShowSurviveAConfirm)
{
    com->SetRS485Mode(true);
    OpenOrFail();
    DialogDriver driver([](TcmPortSettingsDialog& d) { ConfirmBaudRate(d, "38400"); });
    EXPECT_TRUE(com->ConfigDialog());
    EXPECT_EQ(com->BaudRate(), 38400u);
    EXPECT_TRUE(com->RS485Mode()) << "the RTS toggle stays when the flow control was not touched";
}

TEST_F(ConfigDialogTest, RestoreDefaultsShowsTheDriversDefaults)
{
    com->SetBaudRate(115200);
    com->SetByteSize(5);
    com->SetStreamProtocol(spHardware);
    OpenOrFail();
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        QTest::keyClick(&d, Qt::Key_R, Qt::AltModifier);
        EXPECT_TRUE(comm_test::PumpUntil([&] { return d.BaudRateBox()->currentText() == "9600"; }, 2000));
        EXPECT_EQ(d.DataBitsBox()->currentText(), "8");
        EXPECT_EQ(d.FlowControlBox()->currentText(), "None");
        Key(Qt::Key_Escape);
    });
    EXPECT_FALSE(com->ConfigDialog());
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(com->BaudRate(), 115200u);
}

TEST_F(ConfigDialogTest, TheProgramsSkinDressesItLikeAnyDialog)
{
    auto manager = std::make_unique<skin::TkSkinManager>();
    manager->BeginLoading();
    manager->SetInternalSkins({skin::InternalStoredSkin()});
    manager->SetSkinDirectory("D:\\Nowhere\\Skins");
    manager->SetSkinName(QString::fromUtf8(skin::kInternalSkinName));
    manager->Loaded();
    ASSERT_TRUE(manager->SkinActive());
    OpenOrFail();
    DialogDriver driver([](TcmPortSettingsDialog& d) {
        Activate(d);
        ASSERT_TRUE(comm_test::PumpUntil([&] { return skin::TkxProvider::ProviderOf(&d) != nullptr; }, 2000));
        EXPECT_EQ(skin::TkxProvider::ProviderOf(&d)->ProviderKind(), skin::TkxProvider::Kind::Dialog);
        QApplication::processEvents();
        SaveScreenshot(d, "port_settings_dialog_skinned.png");
        Key(Qt::Key_Escape);
    });
    EXPECT_FALSE(com->ConfigDialog());
    EXPECT_TRUE(driver.Ran());
}

} // namespace
