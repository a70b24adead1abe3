// The port list: its table of port numbers and the mode check box.
#include "app/form1.h"

#include "app/unit1_state.h"
#include "runtime/number_text.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>

namespace app {

void TForm1::FormActivate()
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
    const std::string rest = entry.size() > 3 ? entry.substr(3) : std::string();
    return static_cast<std::uint16_t>(runtime::StrToInt(rest));
}

void TForm1::CheckBox1Click()
{
    Run_Click_Handler([this] {
        if (CheckBox1->isChecked()) {
            cmDeviceBox1->hide();
            return;
        }
        cmDeviceBox1->show();
        if (cmDeviceBox1->count() > 0)
            cmDeviceBox1->setCurrentIndex(0);
    });
}

} // namespace app
