// The bulk path of the packet cutter: runs of bytes that only add to what a
// definition collects, and the marker or length completed right after them,
// taken at once instead of byte by byte, and the protocol's loop over a chunk
// that drives it. The helpers are inline: everything that calls them is in
// this file, so a packet's whole way through inlines into that loop.

#include "dataproc/data_packets.h"
#include "dataproc/data_protocol.h"
#include "dataproc/protocol_steps.h"

#include <algorithm>
#include <cstring>

namespace dataproc {

// Whether the whole marker lies in the chunk at `at`, where the finder has
// already matched its first byte (never the wildcard); `wild`, when not 0,
// matches any byte.
inline bool TcmDataPacket::MarkerFollows(const std::uint8_t* data, std::size_t at, std::size_t len,
                                         const std::string& marker, std::uint8_t wild)
{
    if (at + marker.size() > len)
        return false;
    // Markers are a few bytes: a call to memcmp would cost more than the loop.
    for (std::size_t i = 1; i < marker.size(); ++i) {
        const auto expected = static_cast<std::uint8_t>(marker[i]);
        if (data[at + i] != expected && (wild == 0 || expected != wild))
            return false;
    }
    return true;
}

[[gnu::always_inline]] inline TcmDataPacket::Run TcmDataPacket::Scan(ByteFinder& finder, const std::uint8_t* data, std::size_t from,
                                              std::size_t len) const
{
    const std::size_t limit = len - from;
    if (!fActive)
        return {limit, false};
    switch (fState) {
    case dpsWaitBegin:
    case dpsWaitEnd: {
        if (fEvent->IsPossible())
            return {0, false};
        const std::string& marker = fEvent->Event();
        if (marker.empty())
            return {limit, false};
        const auto first = static_cast<std::uint8_t>(marker[0]);
        if (fWildChar != 0 && first == fWildChar)
            return {0, false};
        // Before the first byte of the marker the matcher stays at its start.
        const std::size_t at = finder.Next(first, from);
        if (at >= len)
            return {limit, false};
        if (MarkerFollows(data, at, len, marker, fWildChar))
            return {at + marker.size() - 1 - from, true};
        return {at - from, false};
    }
    case dpsWaitLength: {
        if (fOnPacketLengthOnce || fDataLength >= fPacketLength)
            return {0, false};
        const auto room = std::size_t(fPacketLength - fDataLength - 1);
        if (room >= limit)
            return {limit, false};
        // Past PacketLengthMax the collected bytes are dropped on the way: one by one then.
        return {room, fPacketLength <= fPacketLengthMax};
    }
    case dpsInactive:
    case dpsWaitTimeout:
        break;
    }
    return {limit, false};
}

inline void TcmDataPacket::Append(const std::uint8_t* data, std::size_t n)
{
    OwnData();
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

inline void TcmDataPacket::TakeQuiet(const std::uint8_t* data, std::size_t n)
{
    if (!fActive || fState == dpsInactive)
        return;
    if (fState != dpsWaitBegin)
        Append(data, n);
    if (fState != dpsWaitBegin && fState != dpsWaitEnd)
        return;
    // Only the last bytes can have started the marker: the ones before its
    // first byte leave the matcher where it is.
    const std::size_t markerLength = fEvent->Event().size();
    const std::size_t tail = std::min(n, markerLength > 0 ? markerLength - 1 : 0);
    for (std::size_t i = n - tail; i < n; ++i) {
        if (fState == dpsWaitBegin)
            MatchBeginByte(data[i]);
        else
            fEvent->IsEvent(data[i], fWildChar);
    }
}

inline bool TcmDataPacket::EventCompletes() const
{
    if (fState != dpsWaitBegin)
        return true;
    // What BeginMatched decides once the marker is in.
    if (!fPacketEnd.empty())
        return false;
    if (fPacketLength > 0 || fOnPacketLengthOnce)
        return fPacketLength > 0 && std::int64_t(fEvent->Event().size()) >= fPacketLength;
    return !fByTimeout;
}

[[gnu::always_inline]] inline bool TcmDataPacket::TakeEvent(const std::uint8_t* data, std::size_t n)
{
    bool complete = true;
    if (fState == dpsWaitBegin) {
        const std::size_t markerLength = fEvent->Event().size();
        std::copy_n(data + n - markerLength, markerLength, fDataBuffer.begin());  // a marker is short
        fDataLength = static_cast<std::int32_t>(markerLength);
        fState = NextStateAfterBegin();
        complete = fState == dpsInactive ||
                   (fState == dpsWaitLength && fPacketLength > 0 && fDataLength >= fPacketLength);
    } else {
        // The end marker's matcher completes and starts over: it stays at its start.
        Append(data, n);
    }
    if (complete && fPacketBegin.empty())
        Trim();
    return complete;
}

inline std::size_t TcmDataPacket::TakeAlone(ByteFinder& finder, const std::uint8_t* data, std::size_t from,
                                            std::size_t len, bool& complete)
{
    complete = false;
    std::size_t pos = from;
    while (pos < len) {
        const Run run = Scan(finder, data, pos, len);
        if (!run.event) {
            TakeQuiet(data + pos, run.quiet);
            return pos + run.quiet - from;
        }
        complete = TakeEvent(data + pos, run.quiet + 1);
        pos += run.quiet + 1;
        if (complete)
            break;
    }
    return pos - from;
}

inline std::size_t TcmDataPacket::TakeFramed(ByteFinder& finder, const std::uint8_t* data, std::size_t from, std::size_t len)
{
    // Markers applied, none of them partly seen, and no wildcard to honour.
    if (!fActive || fState != dpsWaitBegin || fEvent != &fBeginEvent || fBeginEvent.IsPossible() ||
        fBeginChanged || fEndChanged || fWildChar != 0 || fPacketBegin.empty() || fPacketEnd.empty())
        return 0;
    const std::string& begin = fPacketBegin;
    const std::string& end = fPacketEnd;
    // Only the first byte of each marker moves its matcher off its start, so
    // the first place it occurs must hold the whole marker.
    const std::size_t at = finder.Next(static_cast<std::uint8_t>(begin[0]), from);
    if (!MarkerFollows(data, at, len, begin, 0))
        return 0;
    // Not remembered: the finder answers only for places at or after those it
    // was asked about, and the general path may yet ask from `from`.
    const std::size_t endAt = finder.Find(static_cast<std::uint8_t>(end[0]), at + begin.size());
    if (!MarkerFollows(data, endAt, len, end, 0))
        return 0;
    const std::size_t size = endAt + end.size() - at;
    if (size > std::size_t(fPacketLengthMax))
        return 0;  // the overlong rule drops bytes on the way
    // Where the byte-by-byte path leaves a packet its end marker completed.
    fEvent = &fEndEvent;
    fEndEvent.Reset();
    fState = dpsWaitEnd;
    fView = data + at;
    fDataLength = static_cast<std::int32_t>(size);
    return endAt + end.size() - from;
}

inline std::size_t TcmDataPackets::TakeFramed(ByteFinder& finder, const std::uint8_t* data, std::size_t pos, std::size_t len)
{
    if (fItems.size() != 1)
        return 0;
    const std::size_t taken = fItems.front()->TakeFramed(finder, data, pos, len);
    if (taken > 0)
        fIsPacketPossible = false;
    return taken;
}

TcmDataPackets::Step TcmDataPackets::TakeQuietRun(const std::uint8_t* data, std::size_t n, bool byteByByte)
{
    bool possible = false;
    for (const auto& item : fItems) {
        item->TakeQuiet(data, n);
        possible = possible || item->IsPossible();
    }
    fIsPacketPossible = possible;
    return {n, -1, byteByByte};
}

inline TcmDataPackets::Step TcmDataPackets::Advance(ByteFinder& finder, const std::uint8_t* data, std::size_t pos,
                                                    std::size_t len)
{
    const std::size_t limit = len - pos;
    const std::size_t count = fItems.size();
    if (count == 1) {
        // Nobody else to agree with: the definition takes what it can on its own.
        TcmDataPacket& only = *fItems.front();
        bool complete = false;
        const std::size_t taken = only.TakeAlone(finder, data, pos, len, complete);
        fIsPacketPossible = !complete && only.IsPossible();
        return {taken, complete ? 0 : -1, !complete && taken < limit};
    }
    TcmDataPacket::Run runs[kMaxScanned];  // left uninitialised: filled below, once per chunk position
    std::size_t quiet = limit;
    for (std::size_t i = 0; i < count; ++i) {
        const TcmDataPacket::Run run = fItems[i]->Scan(finder, data, pos, len);
        if (i < kMaxScanned)
            runs[i] = run;
        quiet = std::min(quiet, run.quiet);
    }
    if (quiet == limit)
        return TakeQuietRun(data + pos, quiet, false);
    if (count > kMaxScanned)
        return TakeQuietRun(data + pos, quiet, true);
    // The first definition in order to reach the byte after the quiet run decides it.
    std::size_t first = 0;
    while (runs[first].quiet != quiet)
        ++first;
    if (!runs[first].event)
        return TakeQuietRun(data + pos, quiet, true);
    const bool completes = fItems[first]->EventCompletes();
    for (std::size_t j = 0; j < count; ++j) {
        // The others must only collect that byte too; after a completion the later ones never see it.
        const bool seesByte = j < first || (j > first && !completes);
        if (j != first && seesByte && runs[j].quiet == quiet)
            return TakeQuietRun(data + pos, quiet, true);
    }
    bool possible = false;
    for (std::size_t j = 0; j < count; ++j) {
        TcmDataPacket& item = *fItems[j];
        if (j == first)
            item.TakeEvent(data + pos, quiet + 1);
        else
            item.TakeQuiet(data + pos, j > first && completes ? quiet : quiet + 1);
        if (j < first || !completes)
            possible = possible || item.IsPossible();
    }
    fIsPacketPossible = possible;
    if (!completes)
        return {quiet + 1, -1, false};
    if (fItems[first]->ResetOthers())
        ResetAllBut(int(first));
    return {quiet + 1, int(first), false};
}

// --- the protocol's bulk cutting ---------------------------------------------

void TcmDataProtocol::CutInBulk(const std::uint8_t* data, std::uint32_t len)
{
    ByteFinder finder(data, len);
    std::size_t pos = 0;
    while (pos < len) {
        // Whole packets of a lone definition go without the general stepping.
        if (const std::size_t taken = fPackets.TakeFramed(finder, data, pos, len)) {
            pos += taken;
            Captured([this] { FramedCompleted(*fPackets.Items(0)); });
            if (!Active())
                return;
            continue;
        }
        const TcmDataPackets::Step step = fPackets.Advance(finder, data, pos, len);
        pos += step.taken;
        if (step.completed >= 0)
            Captured([&] { PacketCompleted(step.completed); });
        else if (step.byteByByte)
            Captured([&] { ProcessByte(data[pos++]); });
        if (!Active())
            return;
    }
}

void TcmDataProtocol::PacketCompleted(int index)
{
    Completed(fPackets.Items(index), [&] { DoDataPacket(index); });
}

inline void TcmDataProtocol::FramedCompleted(TcmDataPacket& packet)
{
    // Bulk cutting runs for this class itself only (CanScanInBulk), so
    // DoDataPacket is known to be ours: report without looking the packet up.
    Completed(&packet, [&] { ReportPacket(packet); });
}

} // namespace dataproc
