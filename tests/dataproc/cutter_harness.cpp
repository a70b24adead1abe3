#include "tests/dataproc/cutter_harness.h"

#include <cstdio>

namespace dataproc_test {

void Definition::ApplyTo(dataproc::TcmDataPacket& packet) const
{
    packet.SetPacketBegin(begin);
    packet.SetPacketEnd(end);
    packet.SetPacketLength(length);
    packet.SetPacketEndByTimeout(byTimeout);
    packet.SetWildChar(static_cast<std::uint8_t>(wild));
    packet.SetResetOthers(resetOthers);
    if (lengthMax > 0)
        packet.SetPacketLengthMax(lengthMax);
    packet.SetActive(active);
    packet.SetCaption(caption);
}

std::string Escaped(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (b < 0x20 || b >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else
            out += c;
    }
    return out;
}

std::ostream& operator<<(std::ostream& out, const Cut& cut)
{
    return out << "{" << cut.index << ", \"" << Escaped(cut.data) << "\"}";
}

std::unique_ptr<dataproc::TcmDataProcessor> MakeProtocol(bool bulk, const std::vector<Definition>& definitions)
{
    std::unique_ptr<dataproc::TcmDataProcessor> protocol =
        bulk ? std::make_unique<dataproc::TcmDataProcessor>() : std::make_unique<BytewiseProtocol>();
    for (const Definition& d : definitions)
        d.ApplyTo(*protocol->DataPackets().Add());
    protocol->Reset();
    return protocol;
}

CutRecorder::CutRecorder(dataproc::TcmDataProtocol& protocol)
{
    protocol.OnDataPacket = [this](QObject*, dataproc::TcmDataPacket* packet) {
        cuts.push_back({packet->Index(), packet->Data()});
    };
}

std::vector<std::string> Leftovers(const dataproc::TcmDataProtocol& protocol)
{
    std::vector<std::string> held;
    const dataproc::TcmDataPackets& packets = protocol.DataPackets();
    for (int i = 0; i < packets.Count(); ++i)
        held.push_back(packets.Items(i)->Data());
    return held;
}

void Feed(dataproc::TcmDataProtocol& protocol, const std::vector<std::string>& chunks)
{
    for (const std::string& chunk : chunks)
        protocol.DataReceive(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                             static_cast<std::uint32_t>(chunk.size()));
}

} // namespace dataproc_test
