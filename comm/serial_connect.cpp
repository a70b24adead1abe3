// Connecting to the device on the port: the DTR/DSR check and adopting a
// handle opened elsewhere.
#include "comm/custom_serial_comm.h"

namespace comm {

void TcmCustomSerialComm::InitDeviceConnect()
{
    if (!IsOpen())
        return;
    ClearDeviceBuffers();
    SetStateDTR(true);
    SetStateRTS(false);
    if (WaitForSignal(msDSR, 200)) {
        SetStateRTS(true);
        WriteLog(dlDetail, "The device connection was succesful tested");
    } else {
        RaiseFatalError(1, 0, "Device Connect Initialization Error", false);
    }
}

void TcmCustomSerialComm::SetExtHandle(platform::Handle aHandle)
{
    if (aHandle == 0 || aHandle == platform::kInvalidHandle)
        return;
    if (IsOpen())
        ClosePort();
    fExtHandle = aHandle;
    OpenPort();
}

} // namespace comm
