#include "dataproc/data_packet.h"

#include "dataproc/data_packets.h"

#include <algorithm>
#include <cstring>

namespace dataproc {

TcmDataPacket::TcmDataPacket() : fDataBuffer(std::size_t(kDefaultLengthMax), 0) {}

TcmDataPacket::~TcmDataPacket()
{
    fActive = false;
}

void TcmDataPacket::SetPacketBegin(const std::string& value)
{
    fPacketBegin = value;
    fPacketBeginLength = static_cast<std::int32_t>(value.size());
    fBeginChanged = true;
}

void TcmDataPacket::SetPacketEnd(const std::string& value)
{
    fPacketEnd = value;
    fPacketEndLength = static_cast<std::int32_t>(value.size());
    fEndChanged = true;
}

void TcmDataPacket::TakeMarker(comm::TCommEventNew& matcher, const std::string& marker, bool& changed)
{
    matcher.SetEvent(marker);
    EnsureCapacity(marker.size());  // a begin marker is kept in the buffer as it comes
    changed = false;
}

void TcmDataPacket::SetPacketLengthMax(std::int32_t value)
{
    value = std::max(value, kMinLengthMax);
    if (value == fPacketLengthMax)
        return;
    fPacketLengthMax = value;
    fDataBuffer.assign(std::max<std::size_t>(std::size_t(value), fBeginEvent.Event().size()), 0);
    fView = nullptr;
    fDataLength = 0;
    // A marker partly seen belongs to the bytes just dropped.
    fEvent->Reset();
}

void TcmDataPacket::EnsureCapacity(std::size_t n)
{
    if (fDataBuffer.size() < n)
        fDataBuffer.resize(n, 0);
}

std::string TcmDataPacket::Data() const
{
    return std::string(reinterpret_cast<const char*>(DataPtr()), std::size_t(fDataLength));
}

void TcmDataPacket::OwnData()
{
    if (!fView)
        return;
    std::memcpy(fDataBuffer.data(), fView, std::size_t(fDataLength));
    fView = nullptr;
}

int TcmDataPacket::Index() const
{
    return fCollection ? fCollection->IndexOf(this) : -1;
}

std::string TcmDataPacket::GetDisplayName() const
{
    const bool blank = std::all_of(fCaption.begin(), fCaption.end(),
                                   [](char c) { return static_cast<unsigned char>(c) <= ' '; });
    return blank ? std::string("TcmDataPacket") : fCaption;
}

void TcmDataPacket::Assign(const TcmDataPacket& source)
{
    if (&source == this)
        return;
    fActive = source.fActive;
    fResetOthers = source.fResetOthers;
    fCaption = source.fCaption;
    SetPacketBegin(source.fPacketBegin);
    SetPacketEnd(source.fPacketEnd);
    fPacketLength = source.fPacketLength;
}

// --- the state machine ----------------------------------------------------

// Apart from Reset, which runs for every packet: most definitions have no
// length handler, and copying one needs a frame Reset need not set up.
void TcmDataPacket::RearmLengthHandler()
{
    fOnPacketLengthOnce = OnPacketLength;
}

TcmDataPacketState TcmDataPacket::NextStateAfterBegin()
{
    if (!fPacketEnd.empty()) {
        Arm(fEndEvent, fPacketEnd, fEndChanged);
        return dpsWaitEnd;
    }
    if (fPacketLength > 0 || fOnPacketLengthOnce)
        return dpsWaitLength;
    if (fByTimeout)
        return dpsWaitTimeout;
    return dpsInactive;
}

bool TcmDataPacket::IsPossible() const
{
    return fDataLength > 0 || fEvent->IsPossible();
}

void TcmDataPacket::Collect(std::uint8_t ch)
{
    OwnData();
    if (fDataLength >= fPacketLengthMax) {
        // Overlong: what was collected is dropped, collecting starts again after this byte.
        fDataLength = 0;
        return;
    }
    fDataBuffer[std::size_t(fDataLength++)] = ch;
}

bool TcmDataPacket::IsPacket(std::uint8_t ch)
{
    if (!fActive || fState == dpsInactive)
        return false;
    if (fState != dpsWaitBegin)
        Collect(ch);
    bool complete = false;
    switch (fState) {
    case dpsWaitTimeout:
    case dpsInactive:
        return false;
    case dpsWaitLength:
        complete = LengthReached(ch);
        break;
    case dpsWaitBegin:
        complete = BeginMatched(ch);
        break;
    case dpsWaitEnd:
        complete = fEvent->IsEvent(ch, fWildChar);
        break;
    }
    if (complete)
        Trim();
    return complete;
}

bool TcmDataPacket::LengthReached(std::uint8_t ch)
{
    if (fOnPacketLengthOnce) {
        // Moved out while it runs: the handler may reset this packet, which arms a new copy.
        TcmDataPacketLengthEvent handler = std::move(fOnPacketLengthOnce);
        fOnPacketLengthOnce = nullptr;
        const std::uint32_t resets = fResets;
        bool isHandled = false;
        handler(this, ch, isHandled);
        if (!isHandled) {
            if (resets == fResets)
                fOnPacketLengthOnce = std::move(handler);
            return false;
        }
    }
    return fDataLength >= fPacketLength;
}

bool TcmDataPacket::MatchBeginByte(std::uint8_t ch)
{
    OwnData();
    const bool matched = fEvent->IsEvent(ch, fWildChar);
    // Keep the bytes as received: a wildcard position holds the byte that came.
    if (matched)
        fDataBuffer[fEvent->Event().size() - 1] = ch;
    else if (fEvent->Position() > 1)
        fDataBuffer[std::size_t(fEvent->Position() - 2)] = ch;
    return matched;
}

bool TcmDataPacket::BeginMatched(std::uint8_t ch)
{
    if (!MatchBeginByte(ch))
        return false;
    fDataLength = static_cast<std::int32_t>(fEvent->Event().size());
    fState = NextStateAfterBegin();
    return fState == dpsInactive ||
           (fState == dpsWaitLength && fPacketLength > 0 && fDataLength >= fPacketLength);
}

void TcmDataPacket::Trim()
{
    if (fState == dpsWaitLength || !fPacketBegin.empty())
        return;
    if (fPacketLength > 0 && fPacketLength < fDataLength) {
        OwnData();
        std::memmove(fDataBuffer.data(), fDataBuffer.data() + (fDataLength - fPacketLength),
                     std::size_t(fPacketLength));
        fDataLength = fPacketLength;
    }
}

} // namespace dataproc
