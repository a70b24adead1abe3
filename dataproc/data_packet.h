#pragma once
// One packet definition of a packet protocol: how a packet begins (a marker),
// how it ends (a marker, a length, a length a handler decides, or a pause),
// and the bytes collected for the packet being received.
//
// Bytes are offered one at a time (IsPacket). The collection may also take
// runs of bytes in bulk (packet_runs.cpp), with the same result as feeding
// them one by one.

#include "comm/event_matcher.h"
#include "dataproc/byte_finder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dataproc {

class TcmDataPacket;
class TcmDataPackets;

enum TcmDataPacketState : std::uint8_t { dpsInactive, dpsWaitBegin, dpsWaitLength, dpsWaitEnd, dpsWaitTimeout };

// Decides the length of the packet being collected: called for each byte
// while the definition waits for its length; IsHandled = true ends the calls
// for this packet (set PacketLength before).
using TcmDataPacketLengthEvent = std::function<void(TcmDataPacket* packet, std::uint8_t chData, bool& isHandled)>;


class TcmDataPacket {
public:
    static constexpr std::int32_t kDefaultLengthMax = 16384;
    static constexpr std::int32_t kMinLengthMax = 512;

    // A definition on its own; a collection adopts it through AddItem.
    TcmDataPacket();
    ~TcmDataPacket();
    TcmDataPacket(const TcmDataPacket&) = delete;
    TcmDataPacket& operator=(const TcmDataPacket&) = delete;

    bool Active() const { return fActive; }
    void SetActive(bool value) { fActive = value; }
    // Completing this packet resets every other definition.
    bool ResetOthers() const { return fResetOthers; }
    void SetResetOthers(bool value) { fResetOthers = value; }
    const std::string& Caption() const { return fCaption; }
    void SetCaption(const std::string& value) { fCaption = value; }
    // Markers take effect at the next Reset.
    const std::string& PacketBegin() const { return fPacketBegin; }
    void SetPacketBegin(const std::string& value);
    const std::string& PacketEnd() const { return fPacketEnd; }
    void SetPacketEnd(const std::string& value);
    std::int32_t PacketBeginLength() const { return fPacketBeginLength; }
    std::int32_t PacketEndLength() const { return fPacketEndLength; }
    // Bytes per packet; 0 or less: none.
    std::int32_t PacketLength() const { return fPacketLength; }
    void SetPacketLength(std::int32_t value) { fPacketLength = value; }
    // A pause in the data completes the packet.
    bool PacketEndByTimeout() const { return fByTimeout; }
    void SetPacketEndByTimeout(bool value) { fByTimeout = value; }
    std::int32_t Tag() const { return fTag; }
    void SetTag(std::int32_t value) { fTag = value; }
    // The marker byte that matches any byte; 0: none.
    std::uint8_t WildChar() const { return fWildChar; }
    void SetWildChar(std::uint8_t value) { fWildChar = value; }
    // Most bytes one packet may collect (at least 512). Changing it drops what was collected.
    std::int32_t PacketLengthMax() const { return fPacketLengthMax; }
    void SetPacketLengthMax(std::int32_t value);

    // The collected bytes. While OnDataPacket runs they may lie in the chunk
    // being received rather than in the packet's own buffer.
    std::string Data() const;
    const std::uint8_t* DataPtr() const { return fView ? fView : fDataBuffer.data(); }
    std::int32_t DataLength() const { return fDataLength; }
    TcmDataPacketState State() const { return fState; }

    TcmDataPackets* Collection() const { return fCollection; }
    int Index() const;
    // Caption unless it is blank, else the class name.
    std::string GetDisplayName() const;
    // Copies Active, ResetOthers, Caption, the markers and PacketLength.
    void Assign(const TcmDataPacket& source);

    // Drops what was collected and waits for the packet's start.
    void Reset();
    // Feeds one byte; true when it completes the packet. Never resets.
    bool IsPacket(std::uint8_t ch);
    // True while a packet is under way (bytes collected or a marker partly seen).
    bool IsPossible() const;
    // Keeps only the last PacketLength bytes when the packet has neither a
    // begin marker nor a length of its own to wait for.
    void Trim();

    TcmDataPacketLengthEvent OnPacketLength;

private:
    friend class TcmDataPackets;
    friend class TcmDataProtocol;

    // The bulk path (packet_runs.cpp), driven by the collection.
    // What the chunk holds for this definition from `from` on: `quiet` bytes
    // it would only collect, then, when `event` is set, a byte that completes
    // its marker or its length (with nothing but collecting on the way).
    struct Run {
        std::size_t quiet;
        bool event;
    };
    Run Scan(ByteFinder& finder, const std::uint8_t* data, std::size_t from, std::size_t len) const;
    // Takes n bytes, at most the run's quiet ones, as IsPacket would one by one.
    void TakeQuiet(const std::uint8_t* data, std::size_t n);
    // Takes the quiet bytes and the event byte (n = quiet + 1) as IsPacket
    // would; true when the packet is complete.
    bool TakeEvent(const std::uint8_t* data, std::size_t n);
    // Whether the event byte of a run completes the packet (a begin marker may only start it).
    bool EventCompletes() const;
    // For a definition alone in its list: takes runs and their events from
    // `from` on until the packet is complete, the chunk ends, or a byte needs
    // IsPacket (the one after those taken). Returns how many bytes it took.
    std::size_t TakeAlone(ByteFinder& finder, const std::uint8_t* data, std::size_t from, std::size_t len,
                          bool& complete);
    // For a definition alone in its list that waits for its begin marker:
    // takes a whole packet from `from` on when both markers and the bytes
    // between lie in the chunk and none of them needs the byte-by-byte rules.
    // The packet then views the chunk instead of copying it. Returns the bytes
    // taken, or 0 when it takes nothing.
    std::size_t TakeFramed(ByteFinder& finder, const std::uint8_t* data, std::size_t from, std::size_t len);
    // Copies a packet that views the chunk into its own buffer.
    void OwnData();

    TcmDataPacketState NextStateAfterBegin();
    [[gnu::noinline]] void RearmLengthHandler();
    void Collect(std::uint8_t ch);
    bool LengthReached(std::uint8_t ch);
    bool BeginMatched(std::uint8_t ch);
    // Feeds a byte of the begin marker's matcher, keeping it as received.
    bool MatchBeginByte(std::uint8_t ch);
    // Collect for n bytes.
    void Append(const std::uint8_t* data, std::size_t n);
    static bool MarkerFollows(const std::uint8_t* data, std::size_t at, std::size_t len, const std::string& marker,
                              std::uint8_t wild);
    void Arm(comm::TCommEventNew& matcher, const std::string& marker, bool& changed);
    [[gnu::noinline]] void TakeMarker(comm::TCommEventNew& matcher, const std::string& marker, bool& changed);
    void EnsureCapacity(std::size_t n);

    std::string fCaption;
    std::string fPacketBegin;
    std::string fPacketEnd;
    std::int32_t fPacketLength = 0;
    bool fActive = true;
    bool fResetOthers = false;
    // One matcher per marker, so starting a packet copies no marker.
    comm::TCommEventNew fBeginEvent;
    comm::TCommEventNew fEndEvent;
    comm::TCommEventNew* fEvent = &fBeginEvent;  // the one the state waits on
    bool fBeginChanged = true;
    bool fEndChanged = true;
    TcmDataPacketState fState = dpsInactive;
    std::vector<std::uint8_t> fDataBuffer;
    const std::uint8_t* fView = nullptr;  // the collected bytes when they lie in the chunk
    std::int32_t fDataLength = 0;
    bool fByTimeout = false;
    TcmDataPacketLengthEvent fOnPacketLengthOnce;
    std::int32_t fPacketLengthMax = kDefaultLengthMax;
    std::int32_t fTag = 0;
    std::int32_t fPacketBeginLength = 0;
    std::int32_t fPacketEndLength = 0;
    std::uint8_t fWildChar = 0;
    TcmDataPackets* fCollection = nullptr;
    std::uint32_t fResets = 0;  // tells a length handler's caller that the handler reset the packet
};

// Inline: every packet completed starts its definition over on the way to the next.

inline void TcmDataPacket::Arm(comm::TCommEventNew& matcher, const std::string& marker, bool& changed)
{
    // The matchers keep their marker from packet to packet; a changed one is taken now.
    if (changed) [[unlikely]]
        TakeMarker(matcher, marker, changed);
    else
        matcher.Reset();
    fEvent = &matcher;
}

inline void TcmDataPacket::Reset()
{
    fView = nullptr;
    fDataLength = 0;
    ++fResets;
    if (OnPacketLength || fOnPacketLengthOnce)
        RearmLengthHandler();
    if (!fPacketBegin.empty()) {
        Arm(fBeginEvent, fPacketBegin, fBeginChanged);
        fState = dpsWaitBegin;
    } else {
        fState = NextStateAfterBegin();
    }
}

} // namespace dataproc
