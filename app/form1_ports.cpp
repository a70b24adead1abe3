// The port list: its table of port numbers and the mode check box.
#include "app/form1.h"

#include "app/port_number.h"
#include "app/sensor_line.h"
#include "comm/comm.h"
#include "discovery/box/device_box.h"

#include <QCheckBox>

#include <algorithm>

namespace app {

void TForm1::FormActivate()
{
    cmDeviceBox1->Reload();
    Fill_Port_Table();
}

// Port_Count and Port_Table from the box's items; a parse error stops the
// refill where it happened and leaves the On button as it was.
void TForm1::Fill_Port_Table()
{
    Unit1State& u = Unit1();
    u.Port_Count = static_cast<std::uint16_t>(cmDeviceBox1->count());
    if (u.Port_Count == 0)
        return;
    // A longer list than the table holds is listed but not scanned beyond it.
    const int rows = std::min<int>(u.Port_Count, static_cast<int>(kPortTableSize));
    for (int i = 0; i < rows; ++i)
        u.Port_Table[i] = Parse_Port_Number(cmDeviceBox1->itemText(i).toStdString());
    kSpeedButton_Vkl->setEnabled(true);
}

std::uint16_t TForm1::Parse_Port_Number(const std::string& entry)
{
    return app::Parse_Port_Number(entry);
}

void TForm1::CheckBox1Click()
{
    Run_Click_Handler([this] {
        if (CheckBox1->isChecked()) {
            cmDeviceBox1->hide();
            return;
        }
        cmDeviceBox1->show();
        Reload_COM_PORT();
        // From code: the component's port number stays until the user picks.
        cmDeviceBox1->setCurrentIndex(cmDeviceBox1->count() > 0 ? 0 : -1);
    });
}

void TForm1::Reload_COM_PORT()
{
    cmDeviceBox1->SetcmComm(nullptr);
    if (Comm) {
        Comm->SetActive(false);
        delete Comm;
    }
    // A fresh component starts from its defaults, not from the stored settings.
    Comm = new comm::TcmComm(this);
    Set_Sensor_Line(*Comm);
    Comm->OnAfterReceive = [this](comm::TcmBaseIO* com, const std::uint8_t* buffer, std::uint32_t received) {
        CommAfterReceive(com, buffer, received);
    };
    cmDeviceBox1->clear();
    fSession.SetComm(Comm);
    cmDeviceBox1->SetcmComm(Comm);
    cmDeviceBox1->Reload();
    Fill_Port_Table();
}

} // namespace app
