#include "tools/packet_print/packet_printer.h"

#include "discovery/enum/device.h"
#include "platform/port_names.h"
#include "runtime/post.h"

namespace packet_print {

namespace {
// The device record that stands for a device path has this port number (no COM0 exists).
constexpr std::uint16_t kPathPortNumber = 0;
} // namespace

PacketPrinter::PacketPrinter(Options options, std::ostream& out, std::ostream& err)
    : fOptions(std::move(options)), fOut(out), fErr(err)
{
    SetUpPort();
    SetUpProtocol();
    fSendTimer.setInterval(int(fOptions.everyMs));
    connect(&fSendTimer, &QTimer::timeout, this, [this] { fProtocol.DoDataSend(fOptions.send); });
}

PacketPrinter::~PacketPrinter()
{
    fFinished = true;
    fComm.OnClose = nullptr;
    fComm.SetActive(false);
    fComm.SetDataProcessor(nullptr);
}

void PacketPrinter::SetUpPort()
{
    fComm.SetBaudRate(fOptions.baudRate);
    fComm.SetByteSize(8);
    fComm.SetParity(comm::pNone);
    fComm.SetStopBits(comm::sbOne);
    fComm.SetStreamProtocol(comm::spNone);
    fComm.SetUseMainThread(true);
    if (const auto number = platform::ComNumber(fOptions.port); number && *number > 0 && *number <= 0xFFFF) {
        fComm.SetComPortNo(static_cast<std::uint16_t>(*number));
    } else {
        // A device path: a device record names it, as the enumeration would.
        auto device = std::make_unique<discovery::TcmDevice>();
        device->SetData(kPathPortNumber);
        device->SetPortName(fOptions.port);
        device->SetNameFriendly(fOptions.port);
        fComm.DeviceInsert(std::move(device));
        fComm.SetComPortNo(kPathPortNumber);
    }
    fComm.OnFatalError = [this](QObject*, std::uint32_t, std::uint32_t, const std::string& msg, bool& raise) {
        ReportError(msg, raise);
    };
    // A lost port is noticed on the port's event thread.
    fComm.OnClose = [this](QObject*) { runtime::PostCall(this, [this] { PortClosed(); }); };
}

void PacketPrinter::SetUpProtocol()
{
    dataproc::TcmDataPacket& packet = *fProtocol.DataPackets().Add();
    packet.SetCaption("packet");
    packet.SetPacketBegin(fOptions.begin);
    packet.SetPacketEnd(fOptions.end);
    packet.SetPacketLength(fOptions.length);
    packet.SetWildChar(fOptions.wildChar);
    packet.SetPacketEndByTimeout(fOptions.pauseMs > 0);
    fProtocol.SetTimeout(fOptions.pauseMs);
    fProtocol.OnDataPacket = [this](QObject*, dataproc::TcmDataPacket* p) { Print(*p); };
    fProtocol.OnTimeout = [this](QObject*) {
        fErr << "-- no packet for " << fOptions.pauseMs << " ms" << std::endl;
    };
    fProtocol.OnFatalError = [this](QObject*, std::uint32_t, std::uint32_t, const std::string& msg, bool& raise) {
        ReportError(msg, raise);
    };
    fComm.SetDataProcessor(&fProtocol);
}

bool PacketPrinter::Start()
{
    fComm.SetActive(true);
    if (!fComm.Active())
        return false;
    if (!fOptions.send.empty()) {
        fProtocol.DoDataSend(fOptions.send);
        if (fOptions.everyMs > 0)
            fSendTimer.start();
    }
    return true;
}

void PacketPrinter::Print(const dataproc::TcmDataPacket& packet)
{
    if (fFinished)
        return;
    const std::string data = packet.Data();
    fOut << (fOptions.hex ? Hex(data) : Escape(data)) << std::endl;
    if (++fPackets == fOptions.count)
        Finish(false);
}

void PacketPrinter::ReportError(const std::string& message, bool& raiseException)
{
    fErr << "fluxmira-packet-print: " << message << std::endl;
    raiseException = false;
}

void PacketPrinter::PortClosed()
{
    if (fFinished)
        return;
    fErr << "fluxmira-packet-print: the port " << fOptions.port << " was lost" << std::endl;
    Finish(true);
}

void PacketPrinter::Finish(bool failed)
{
    fFinished = true;
    fSendTimer.stop();
    if (OnFinished)
        OnFinished(failed);
}

} // namespace packet_print
