// The reading display and its unit switch.
#include "app/form1.h"

#include "app/reading_format.h"
#include "runtime/pump.h"

namespace app {

std::string TForm1::Format_W(const std::string& reply)
{
    return app::Format_W(Unit1(), reply);
}

std::string TForm1::Format_dBm(const std::string& reply)
{
    return app::Format_dBm(Unit1(), reply);
}

void TForm1::Btn_W_dBmClick()
{
    Run_Click_Handler([this] {
        Unit1State& u = Unit1();
        if (u.dBm_Mode == 1) {
            Btn_W_dBm->setText("W");
            u.dBm_Mode = 0;
            runtime::ProcessMessages();
        } else {
            Btn_W_dBm->setText("dBm");
            u.dBm_Mode = 1;
        }
    });
}

} // namespace app
