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
}

void TcmDataPacket::SetPacketEnd(const std::string& value)
{
    fPacketEnd = value;
    fPacketEndLength = static_cast<std::int32_t>(value.size());
}

void TcmDataPacket::SetPacketLengthMax(std::int32_t value)
{
    value = std::max(value, kMinLengthMax);
    if (value == fPacketLengthMax)
        return;
    fPacketLengthMax = value;
    fDataBuffer.assign(std::max<std::size_t>(std::size_t(value), fEvent.Event().size()), 0);
    fDataLength = 0;
    // A marker partly seen belongs to the bytes just dropped.
    fEvent.Reset();
}

void TcmDataPacket::EnsureCapacity(std::size_t n)
{
    if (fDataBuffer.size() < n)
        fDataBuffer.resize(n, 0);
}

std::string TcmDataPacket::Data() const
{
    return std::string(reinterpret_cast<const char*>(fDataBuffer.data()), std::size_t(fDataLength));
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

void TcmDataPacket::Reset()
{
    fDataLength = 0;
    ++fResets;
    fOnPacketLengthOnce = OnPacketLength;
    if (!fPacketBegin.empty()) {
        fEvent.SetEvent(fPacketBegin);
        EnsureCapacity(fPacketBegin.size());
        fState = dpsWaitBegin;
    } else {
        fState = NextStateAfterBegin();
    }
}

TcmDataPacketState TcmDataPacket::NextStateAfterBegin()
{
    if (!fPacketEnd.empty()) {
        fEvent.SetEvent(fPacketEnd);
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
    return fDataLength > 0 || fEvent.IsPossible();
}

void TcmDataPacket::Collect(std::uint8_t ch)
{
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
        complete = fEvent.IsEvent(ch, fWildChar);
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

bool TcmDataPacket::BeginMatched(std::uint8_t ch)
{
    const bool matched = fEvent.IsEvent(ch, fWildChar);
    const auto markerLength = static_cast<std::int32_t>(fEvent.Event().size());
    // Keep the bytes as received: a wildcard position holds the byte that came.
    if (matched)
        fDataBuffer[std::size_t(markerLength - 1)] = ch;
    else if (fEvent.Position() > 1)
        fDataBuffer[std::size_t(fEvent.Position() - 2)] = ch;
    if (!matched)
        return false;
    fDataLength = markerLength;
    fState = NextStateAfterBegin();
    return fState == dpsInactive ||
           (fState == dpsWaitLength && fPacketLength > 0 && fDataLength >= fPacketLength);
}

void TcmDataPacket::Trim()
{
    if (fState == dpsWaitLength || !fPacketBegin.empty())
        return;
    if (fPacketLength > 0 && fPacketLength < fDataLength) {
        std::memmove(fDataBuffer.data(), fDataBuffer.data() + (fDataLength - fPacketLength),
                     std::size_t(fPacketLength));
        fDataLength = fPacketLength;
    }
}

// --- runs of bytes ------------------------------------------------------------

std::size_t TcmDataPacket::QuietLength(ByteFinder& finder, std::size_t from, std::size_t limit) const
{
    if (!fActive || fState == dpsInactive || fState == dpsWaitTimeout)
        return limit;
    if (fState == dpsWaitLength) {
        if (fOnPacketLengthOnce)
            return 0;
        const std::int64_t room = std::int64_t(fPacketLength) - fDataLength - 1;
        return room <= 0 ? 0 : std::min<std::size_t>(limit, std::size_t(room));
    }
    if (fEvent.IsPossible())
        return 0;
    const std::string& marker = fEvent.Event();
    if (marker.empty())
        return limit;
    const auto first = static_cast<std::uint8_t>(marker[0]);
    if (fWildChar != 0 && first == fWildChar)
        return 0;
    return std::min(limit, finder.Next(first, from) - from);
}

void TcmDataPacket::TakeQuiet(const std::uint8_t* data, std::size_t n)
{
    // Waiting for a begin marker collects nothing; its matcher stays at the start.
    if (!fActive || fState == dpsInactive || fState == dpsWaitBegin)
        return;
    while (n > 0) {
        if (fDataLength >= fPacketLengthMax) {
            fDataLength = 0;  // the overlong rule of Collect: this byte is dropped too
            ++data;
            --n;
            continue;
        }
        const std::size_t take = std::min(n, std::size_t(fPacketLengthMax - fDataLength));
        std::memcpy(fDataBuffer.data() + fDataLength, data, take);
        fDataLength += static_cast<std::int32_t>(take);
        data += take;
        n -= take;
    }
}

} // namespace dataproc
