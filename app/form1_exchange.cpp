// The steps every exchange with the sensor is made of, as the window offers them.
#include "app/form1.h"

namespace app {

void TForm1::Send_Command(const std::string& text)
{
    fSession.Send_Command(text);
}

void TForm1::Wait_Reply(std::uint32_t ms)
{
    fSession.Wait_Reply(ms);
}

void TForm1::Show_Status(const std::string& text)
{
    fSession.Show_Status(text);
}

void TForm1::CommAfterReceive(comm::TcmBaseIO* /*com*/, const std::uint8_t* buffer, std::uint32_t received)
{
    fSession.Receive(buffer, received);
}

} // namespace app
