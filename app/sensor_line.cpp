#include "app/sensor_line.h"

#include "comm/comm.h"

namespace app {

void Set_Sensor_Line(comm::TcmComm& c)
{
    c.SetBaudRate(9600);
    c.SetStopBits(comm::sbOne);
    c.SetTraceStates(comm::TraceSet(comm::tsRxChar));
    c.SetStreamProtocol(comm::spNone);
}

} // namespace app
