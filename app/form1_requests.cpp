// The On/Off button and the requests the poll loop services.
#include "app/form1.h"

#include "app/unit1_state.h"

#include <QPalette>

namespace app {

void TForm1::kSpeedButton_VklClick()
{
    Run_Click_Handler([] {});
}

void TForm1::Btn_CalClick()
{
    Run_Click_Handler([] {
        Unit1State& u = Unit1();
        u.Cal_Request = u.Model == "KVAM-32/1" ? 0 : 1;
    });
}

void TForm1::Btn_ZeroClick()
{
    Run_Click_Handler([] { Unit1().Zero_Request = 1; });
}

// Marks the box as being edited, also while it is read-only.
void TForm1::kEdit_FreqClick()
{
    QPalette palette = kEdit_Freq->palette();
    palette.setColor(QPalette::Base, QColor(0, 0, 255));
    palette.setColor(QPalette::Text, Qt::white);
    kEdit_Freq->setPalette(palette);
}

void TForm1::kEdit_FreqKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        Unit1().Freq_Request = 1;
}

} // namespace app
