// The window's side of its measurement session: the session's events shown
// in the labels and buttons, and the port list it scans.
#include "app/form1.h"

#include "app/system_colors.h"
#include "comm/comm.h"
#include "discovery/box/device_box.h"
#include "runtime/message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QPalette>

namespace app {
namespace {

const char* const kNoPortSelected =
    "No port is selected.\nPick the sensor's port in the list, or check \"Auto\" to try every port.";

void setLabelLook(QLabel* label, bool bold, const QColor& color)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

void TForm1::Bind_Session()
{
    SensorSession& s = fSession;
    s.SetComm(Comm);
    s.OnStatus = [this](const std::string& text) { Label_Status->setText(QString::fromStdString(text)); };
    s.OnCaption = [this](const std::string& text) { kSpeedButton_Vkl->setText(QString::fromStdString(text)); };
    s.OnDisplay = [this](const std::string& text) { Label3->setText(QString::fromStdString(text)); };
    s.OnIdentity = [this](const std::string& text) { Label_Number->setText(QString::fromStdString(text)); };
    s.OnConnected = [this] { kEdit_Freq->setReadOnly(false); };
    s.OnOverloadLook = [this](bool on) {
        if (on)
            setLabelLook(Label_Status, true, QColor(128, 0, 0));
        else
            setLabelLook(Label_Status, false, System_Color(SysColor::DarkShadow));
    };
    s.OnChoosePorts = [this] { return Choose_Ports(); };
    s.OnPortEntry = [this](int index) { return cmDeviceBox1->itemText(index).toStdString(); };
    s.OnGetFrequency = [this] { return kEdit_Freq->text().toStdString(); };
    s.OnFrequencyAnswer = [this](bool accepted) {
        if (!accepted) {
            Set_Freq_Colors(QColor(255, 0, 0), Qt::white);
            return;
        }
        // Without focus the box shows no caret. Focus goes first: the skinned
        // edit takes its section's colours when it loses focus.
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
        Set_Freq_Colors(System_Color(SysColor::Window), System_Color(SysColor::DarkShadow));
    };
}

// "Auto" scans every listed port; otherwise the entry picked in the list.
PortChoice TForm1::Choose_Ports()
{
    if (CheckBox1->isChecked())
        return {PortChoice::Kind::Scan, {}, {}};
    if (cmDeviceBox1->currentIndex() < 0) {
        runtime::ShowMessageBox(kNoPortSelected, "Fluxmira", runtime::BoxIcon::Warning, this);
        return {PortChoice::Kind::None, {}, {}};
    }
    return {PortChoice::Kind::One, cmDeviceBox1->currentText().toStdString(), {}};
}

void TForm1::kSpeedButton_VklClick()
{
    Run_Click_Handler([this] { fSession.On_Off_Click(); });
}

void TForm1::Set_Freq_Colors(const QColor& background, const QColor& text)
{
    QPalette palette = kEdit_Freq->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    kEdit_Freq->setPalette(palette);
}

} // namespace app
