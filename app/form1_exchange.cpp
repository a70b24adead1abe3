// The steps every exchange with the sensor is made of.
#include "app/form1.h"

#include "app/line_assembler.h"
#include "app/unit1_state.h"
#include "comm/comm.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

namespace app {

// The bytes go out as they are, without a line end; a closed port sends nothing.
void TForm1::Send_Command(const std::string& text)
{
    if (Comm)
        Comm->SendString(text);
}

// Takes the full time even when the answer came early: commands are paired
// with answers by time alone. Messages are handled throughout, sleeping while
// there are none.
void TForm1::Wait_Reply(std::uint32_t ms)
{
    runtime::ProcessMessagesUntil(runtime::GetTickCount() + ms);
}

void TForm1::Show_Status(const std::string& text)
{
    Label_Status->setText(QString::fromStdString(text));
    runtime::ProcessMessages();
}

void TForm1::CommAfterReceive(comm::TcmBaseIO* /*com*/, const std::uint8_t* buffer, std::uint32_t received)
{
    if (received == 0 || buffer == nullptr)
        return;
    Unit1State& u = Unit1();
    LineAssembler(u.Rx_Line, u.Rx_Match_Pos, u.Reply, u.Line_End).Feed(buffer, received);
}

} // namespace app
