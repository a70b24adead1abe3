#pragma once
// The packet protocol: a data processor that cuts the received bytes into
// packets after a list of definitions (DataPackets). Every byte is offered to
// the definitions in order; the first one it completes is reported through
// OnDataPacket and starts over. A pause of Timeout ms after the last chunk
// completes a definition that ends by a pause, or raises OnTimeout.
//
// Definitions start inactive: they are reset when the port opens (or by
// Reset()), so a protocol attached to a port that is already open ignores
// bytes until then.
//
// A handler's error becomes a fatal error (code 15, detail 1). The rest of
// the chunk is still cut and passed on; the first error is raised when the
// chunk is done.

#include "dataproc/custom_data_processor.h"
#include "dataproc/data_packets.h"
#include "runtime/reentrant_handler.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>

namespace dataproc {

// Raised once per packet: a handler that replaces itself while it runs must
// not cost every packet a copy of the handler.
using TcmDataPacketEvent = runtime::ReentrantHandler<void(QObject* sender, TcmDataPacket* packet)>;

class TcmDataProtocol : public TcmCustomDataProcessor {
    Q_OBJECT
public:
    explicit TcmDataProtocol(QObject* owner = nullptr);
    ~TcmDataProtocol() override;

    TcmDataPackets& DataPackets() { return fPackets; }
    const TcmDataPackets& DataPackets() const { return fPackets; }
    // Takes a copy of every definition of value.
    void SetDataPackets(const TcmDataPackets& value) { fPackets.Assign(value); }
    // Pause in ms after the last chunk; 0 (or less): no pause timing.
    std::int32_t Timeout() const { return fTimeout; }
    void SetTimeout(std::int32_t value) { fTimeout = value; }

    void DoProcessing(const std::uint8_t* data, std::uint32_t len, TIgnoreTypes& r) override;
    // Resets every definition.
    virtual void Reset();
    // Whether a packet is under way after the last byte.
    virtual bool IsPacketPossible() const { return fPackets.IsPacketPossible(); }

    TcmDataPacketEvent OnDataPacket;
    comm::TNotifyEvent OnTimeout;

protected:
    void DoMediumClosed() override;
    void DoMediumOpened() override;
    void DoAsyncTimeout(QObject* sender) override;

    virtual void DoDataPacket(int index);
    virtual void DoTimeout();
    // Offers one decoded byte to the definitions; the index of the completed one, or -1.
    virtual int ProcessByte(std::uint8_t ch);
    // Turns one received byte into 0..2 bytes in buffer; returns how many. Copies here.
    virtual int DecodeByte(std::uint8_t ch, std::array<std::uint8_t, 2>& buffer);
    // Runs of bytes may skip DecodeByte and ProcessByte only while both are
    // this class's own. A subclass that keeps both may return true.
    virtual bool CanScanInBulk() const;

    bool flSkipFurtherProcessing = false;
    std::array<std::uint8_t, 2> decodedBuffer{};

private:
    void CutBytewise(const std::uint8_t* data, std::uint32_t len);
    void CutInBulk(const std::uint8_t* data, std::uint32_t len);
    // Runs work; a raised error is kept for the end of the chunk.
    template <class F>
    void Captured(F&& work);
    // Reports the definition at index and starts it over.
    void PacketCompleted(int index);
    // The same for the lone definition after a whole packet was taken in bulk.
    void FramedCompleted(TcmDataPacket& packet);
    // Runs report, then, raised or not, stops the pause timer and starts
    // packet (if any, and still ours) over.
    template <class Report>
    void Completed(TcmDataPacket* packet, Report&& report);
    void ResetIfStillThere(TcmDataPacket* packet);
    // OnDataPacket for packet, a handler's error becoming a fatal error.
    void ReportPacket(TcmDataPacket& packet);
    [[gnu::noinline]] void LogPacket(const TcmDataPacket& packet);
    [[gnu::noinline]] void PacketHandlerFailed(const TcmDataPacket& packet, const std::exception& e);

    TcmDataPackets fPackets{this};
    std::int32_t fTimeout = 0;
    std::exception_ptr fChunkError;
};

// The protocol as forms use it: active from the start.
class TcmDataProcessor : public TcmDataProtocol {
    Q_OBJECT
public:
    explicit TcmDataProcessor(QObject* owner = nullptr);
};

} // namespace dataproc
