#pragma once
// The line settings the sensor needs on a freshly created port component
// (9600 baud, 8N1 by the component's defaults, no flow control), with every
// arrival of bytes reported.

namespace comm {
class TcmComm;
}

namespace app {

void Set_Sensor_Line(comm::TcmComm& comm);

} // namespace app
