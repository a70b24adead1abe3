#pragma once
// The serial port component's values in the window's stored form.

namespace comm {
class TcmComm;
}

namespace app {

// Applies the stored settings; the component is in its loading state meanwhile.
void Apply_Stored_Comm_Settings(comm::TcmComm& comm);

} // namespace app
