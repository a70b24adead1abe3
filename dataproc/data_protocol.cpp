#include "dataproc/data_protocol.h"

#include "dataproc/protocol_steps.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

namespace dataproc {

namespace {
constexpr std::uint32_t kHandlerErrorCode = 15;
constexpr std::uint32_t kHandlerErrorDetail = 1;
} // namespace

TcmDataProtocol::TcmDataProtocol(QObject* owner) : TcmCustomDataProcessor(owner)
{
    sLogPrefix = "cmDataProt: ";
}

TcmDataProtocol::~TcmDataProtocol() = default;

TcmDataProcessor::TcmDataProcessor(QObject* owner) : TcmDataProtocol(owner)
{
    sLogPrefix = "cmDataProc: ";
    SetActive(true);
}

void TcmDataProtocol::Reset()
{
    fPackets.Reset();
}

void TcmDataProtocol::DoMediumOpened()
{
    flSkipFurtherProcessing = false;
    Reset();
    TcmCustomDataProcessor::DoMediumOpened();
}

void TcmDataProtocol::DoMediumClosed()
{
    TcmCustomDataProcessor::DoMediumClosed();
    flSkipFurtherProcessing = false;
    Reset();
    // Nothing is left to complete, and a closed port has no pause to report.
    StartAsyncTimer(0);
}

int TcmDataProtocol::DecodeByte(std::uint8_t ch, std::array<std::uint8_t, 2>& buffer)
{
    buffer[0] = ch;
    return 1;
}

bool TcmDataProtocol::CanScanInBulk() const
{
    const std::type_info& type = typeid(*this);
    return type == typeid(TcmDataProtocol) || type == typeid(TcmDataProcessor);
}

// --- cutting ------------------------------------------------------------------

void TcmDataProtocol::DoProcessing(const std::uint8_t* data, std::uint32_t len, TIgnoreTypes& r)
{
    std::int32_t t = fTimeout;
    std::exception_ptr error;
    if (Active() && fPackets.Count() > 0) {
        const std::exception_ptr outer = std::exchange(fChunkError, nullptr);
        {
            TcmDataPackets::Walk walk(fPackets);
            if (CanScanInBulk())
                CutInBulk(data, len);
            else
                CutBytewise(data, len);
        }
        error = std::exchange(fChunkError, outer);
        // A handler that switched the protocol off ends its pause timing too.
        if (!Active())
            t = 0;
        StartAsyncTimer(std::uint32_t(std::max(t, 0)));
        if (flSkipFurtherProcessing)
            r = TIgnoreTypes(1u << comm::itTerminal);
    }
    TcmCustomDataProcessor::DoProcessing(data, len, r);
    if (error)
        std::rethrow_exception(error);
}

void TcmDataProtocol::CutBytewise(const std::uint8_t* data, std::uint32_t len)
{
    for (std::uint32_t i = 0; i < len; ++i) {
        std::array<std::uint8_t, 2> decoded{};
        const int n = std::clamp(DecodeByte(data[i], decodedBuffer), 0, 2);
        std::copy_n(decodedBuffer.begin(), n, decoded.begin());  // a handler may feed bytes again
        for (int k = 0; k < n; ++k) {
            Captured([&] { ProcessByte(decoded[std::size_t(k)]); });
            if (!Active())
                return;
        }
    }
}

int TcmDataProtocol::ProcessByte(std::uint8_t ch)
{
    const int index = fPackets.IsPacket(ch);
    if (index >= 0)
        PacketCompleted(index);
    return index;
}

// --- events ---------------------------------------------------------------------

void TcmDataProtocol::DoDataPacket(int index)
{
    if (TcmDataPacket* packet = fPackets.Items(index))
        ReportPacket(*packet);
}

// Apart from DoDataPacket, which runs for every packet and need not pay for
// building texts it rarely builds.
void TcmDataProtocol::LogPacket(const TcmDataPacket& packet)
{
    WriteLog(comm::dlDebug, "DataPacket is detected: " + packet.GetDisplayName());
}

void TcmDataProtocol::PacketHandlerFailed(const TcmDataPacket& packet, const std::exception& e)
{
    DoFatalErrors(kHandlerErrorCode, kHandlerErrorDetail,
                  "EXCEPTION in DataPacket handler [" + packet.GetDisplayName() + "]" + e.what());
}

void TcmDataProtocol::DoTimeout()
{
    if (!OnTimeout)
        return;
    const comm::TNotifyEvent handler = OnTimeout;
    try {
        handler(this);
    } catch (const std::exception& e) {
        DoFatalErrors(kHandlerErrorCode, kHandlerErrorDetail, std::string("EXCEPTION in OnTimout handler.") + e.what());
    }
}

void TcmDataProtocol::DoAsyncTimeout(QObject* sender)
{
    TcmCustomDataProcessor::DoAsyncTimeout(sender);
    TcmDataPackets::Walk walk(fPackets);
    const int index = fPackets.FindTimeoutPacket();
    TcmDataPacket* packet = fPackets.Items(index);
    if (packet && packet->ResetOthers())
        fPackets.ResetAllBut(index);
    Completed(packet, [&] {
        if (!packet)
            DoTimeout();
        else if (OnDataPacket)
            DoDataPacket(index);
    });
}

} // namespace dataproc
