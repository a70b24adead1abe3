// The window's port list on real widgets: activation, the Auto check box and
// the rebuilt port component, over ports registered in the test's own
// port-name directory.
#include "app/form1.h"
#include "tests/app/live_window.h"
#include "comm/comm.h"
#include "discovery/box/device_box.h"
#include "runtime/decimal_separator.h"
#include "tests/app/port_sandbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QTest>

#include <memory>

namespace {

using app::TForm1;

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

class Form1Ports : public testing::Test {
protected:
    void SetUp() override
    {
        app_test::Unit1().Reset();
        runtime::SetDecimalSeparator(u'.');
    }

    std::unique_ptr<TForm1> ShownForm()
    {
        auto form = std::make_unique<TForm1>();
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        return form;
    }

    // Switching away from the window and back.
    void Reactivate(TForm1& form)
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QApplication::processEvents();
        form.activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(form.isActiveWindow());
    }

    void ClickAuto(TForm1& form)
    {
        QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
        QApplication::processEvents();
    }

    app_test::PortSandbox fPorts;
};

} // namespace

TEST_F(Form1Ports, UncheckingAutoListsAPortAddedAfterTheStart)
{
    fPorts.RegisterPty(3);
    fPorts.RegisterPty(1);
    auto form = ShownForm();
    EXPECT_EQ(Items(*form->cmDeviceBox1), (QStringList{"COM1", "COM3"}));
    EXPECT_TRUE(form->kSpeedButton_Vkl->isEnabled());

    fPorts.RegisterPty(5);
    Reactivate(*form);
    EXPECT_EQ(app_test::Unit1().Port_Count, 2) << "a loaded list is not searched again";

    const QPointer<comm::TcmComm> before = form->Comm;
    ClickAuto(*form);
    ASSERT_FALSE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->cmDeviceBox1->isVisible());
    EXPECT_EQ(Items(*form->cmDeviceBox1), (QStringList{"COM1", "COM3", "COM5"}));
    EXPECT_EQ(form->cmDeviceBox1->currentIndex(), 0);
    const auto& u = app_test::Unit1();
    EXPECT_EQ(u.Port_Count, 3);
    EXPECT_EQ(u.Port_Table[0], 1);
    EXPECT_EQ(u.Port_Table[1], 3);
    EXPECT_EQ(u.Port_Table[2], 5);
    EXPECT_TRUE(before.isNull()) << "the old component is destroyed";
    ASSERT_TRUE(form->Comm);
    EXPECT_EQ(form->cmDeviceBox1->cmComm(), form->Comm.data());
    EXPECT_EQ(form->Comm->BaudRate(), 9600u);
    EXPECT_EQ(form->Comm->StreamProtocol(), comm::spNone);
    EXPECT_FALSE(form->Comm->Active());

    ClickAuto(*form);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->cmDeviceBox1->isVisible());
    EXPECT_EQ(u.Port_Table[2], 5);
}

TEST_F(Form1Ports, WithoutPortsOnStaysOffUntilAPortShowsUpAtTheNextActivation)
{
    auto form = ShownForm();
    EXPECT_EQ(app_test::Unit1().Port_Count, 0);
    EXPECT_EQ(form->cmDeviceBox1->count(), 0);
    EXPECT_FALSE(form->kSpeedButton_Vkl->isEnabled());

    fPorts.RegisterPty(7);
    Reactivate(*form);
    EXPECT_EQ(app_test::Unit1().Port_Count, 1);
    EXPECT_EQ(app_test::Unit1().Port_Table[0], 7);
    EXPECT_TRUE(form->kSpeedButton_Vkl->isEnabled());
}

TEST_F(Form1Ports, UncheckingAutoWithoutPortsShowsAnEmptyBox)
{
    auto form = ShownForm();
    ClickAuto(*form);
    EXPECT_TRUE(form->cmDeviceBox1->isVisible());
    EXPECT_EQ(form->cmDeviceBox1->count(), 0);
    EXPECT_EQ(form->cmDeviceBox1->currentIndex(), -1);
    EXPECT_EQ(app_test::Unit1().Port_Count, 0);
    EXPECT_FALSE(form->kSpeedButton_Vkl->isEnabled());
}

TEST_F(Form1Ports, RebuildingClosesAnOpenPortAndTheNewOneStaysClosed)
{
    fPorts.RegisterPty(2);
    auto form = ShownForm();
    form->Comm->SetComPortNo(2);
    form->Comm->SetActive(true);
    ASSERT_TRUE(form->Comm->Active());
    ClickAuto(*form);
    ASSERT_TRUE(form->Comm);
    EXPECT_FALSE(form->Comm->Active());
    // The box's pick sets the new component's port.
    form->cmDeviceBox1->setCurrentIndex(0);
    form->cmDeviceBox1->Change();
    EXPECT_EQ(form->Comm->ComPortNo(), 2);
}
