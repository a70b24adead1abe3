#pragma once
// The example of the packet protocol at work: a serial port component with a
// packet processor attached, printing every packet it cuts. Errors of the
// port and the processor are printed instead of raised, as a console program
// has nobody to show a message box to.

#include "comm/comm.h"
#include "dataproc/data_protocol.h"
#include "tools/packet_print/options.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <ostream>

namespace packet_print {

class PacketPrinter : public QObject {
    Q_OBJECT
public:
    PacketPrinter(Options options, std::ostream& out, std::ostream& err);
    ~PacketPrinter() override;

    // Opens the port and sends the first command; false when the port cannot be opened.
    bool Start();
    std::uint32_t Packets() const { return fPackets; }

    // The packets asked for are printed, or the port was lost (failed = true).
    std::function<void(bool failed)> OnFinished;

private:
    void SetUpPort();
    void SetUpProtocol();
    void Print(const dataproc::TcmDataPacket& packet);
    void ReportError(const std::string& message, bool& raiseException);
    void PortClosed();
    void Finish(bool failed);

    Options fOptions;
    std::ostream& fOut;
    std::ostream& fErr;
    comm::TcmComm fComm;
    dataproc::TcmDataProcessor fProtocol;
    QTimer fSendTimer;
    std::uint32_t fPackets = 0;
    bool fFinished = false;
};

} // namespace packet_print
