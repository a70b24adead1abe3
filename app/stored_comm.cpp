#include "app/stored_comm.h"

#include "comm/comm.h"

namespace app {

void Apply_Stored_Comm_Settings(comm::TcmComm& c)
{
    c.SetActive(false);
    c.SetBaudRate(9600);
    c.SetParity(comm::pNone);
    c.SetStopBits(comm::sbOne);
    c.SetByteSize(8);
    c.SetComPortNo(1);
    c.SetComPort(comm::cpCOM1);
    c.SetTraceStates(0);
    c.SetEventChar(0);
    c.SetStreamProtocol(comm::spHardware);
    c.SetBufferInSize(8192);
    c.SetBufferOutSize(8192);
    c.SetTimeoutRead(0);
    c.SetTimeoutWrite(0);
    c.SetRS485Mode(false);
    c.SetEnumPorts(comm::epQuickAll);
    c.SetUseMainThread(true);
    c.SetKeepConnection(false);
    c.SetTerminalUsage(comm::tuNone);
    c.SetTerminalEcho(false);
}

} // namespace app
