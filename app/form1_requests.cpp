// The requests the poll loop services.
#include "app/form1.h"

#include <QPalette>

namespace app {

void TForm1::Btn_CalClick()
{
    Run_Click_Handler([this] { fSession.Request_Cal(); });
}

void TForm1::Btn_ZeroClick()
{
    Run_Click_Handler([this] { fSession.Request_Zero(); });
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
        fSession.Request_Frequency();
}

} // namespace app
