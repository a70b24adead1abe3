#pragma once
// The protocol's per-packet steps, for its two files that run them
// (data_protocol.cpp and the bulk path in packet_runs.cpp), so that both
// inline them: they run once per packet.

#include "dataproc/data_protocol.h"

namespace dataproc {

template <class F>
void TcmDataProtocol::Captured(F&& work)
{
    try {
        work();
    } catch (...) {
        // The other packets of the chunk still count; the first error is raised at its end.
        if (!fChunkError)
            fChunkError = std::current_exception();
    }
}

template <class Report>
void TcmDataProtocol::Completed(TcmDataPacket* packet, Report&& report)
{
    try {
        report();
    } catch (...) {
        StartAsyncTimer(0);
        ResetIfStillThere(packet);
        throw;
    }
    StartAsyncTimer(0);
    ResetIfStillThere(packet);
}

inline void TcmDataProtocol::ResetIfStillThere(TcmDataPacket* packet)
{
    // The handler may have moved or deleted it; one that lives on elsewhere
    // must not view the chunk once the chunk is gone.
    if (packet && packet->Collection() == &fPackets) [[likely]]
        packet->Reset();
    else if (packet)
        packet->OwnData();
}

inline void TcmDataProtocol::ReportPacket(TcmDataPacket& packet)
{
    if (Log())
        LogPacket(packet);
    if (!OnDataPacket)
        return;
    try {
        OnDataPacket(this, &packet);
    } catch (const std::exception& e) {
        PacketHandlerFailed(packet, e);
    }
}

} // namespace dataproc
