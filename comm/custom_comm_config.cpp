// The driver settings record as the user and the driver see it: refreshing it
// from the driver and editing it in the port settings dialog.

#include "comm/custom_comm.h"
#include "comm/line_flags.h"
#include "comm/port_settings_dialog.h"

#include <QApplication>

namespace comm {

void TcmCustomComm::ReadPortConfig()
{
    WithHandle([&](platform::Handle h) {
        platform::CommConfig config;
        if (platform::GetCommConfig(h, config))
            CommCfg = config;
        platform::Dcb dcb;
        if (platform::GetCommState(h, dcb))
            CommCfg.dcb = dcb;
        return true;
    });
    fProtocol = line_flags::ProtocolOf(CommCfg.dcb.Flags);
    fRS485Mode = line_flags::Rs485Of(CommCfg.dcb.Flags);
}

bool TcmCustomComm::ConfigDialog()
{
    ReadPortConfig();
    if (!EditPortSettings(GetPortDisplayName(), CommCfg, QApplication::activeWindow()))
        return false;
    WithHandle([&](platform::Handle h) { return platform::SetCommState(h, CommCfg.dcb); });
    ReadPortConfig();
    return true;
}

} // namespace comm
