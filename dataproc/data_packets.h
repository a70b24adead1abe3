#pragma once
// The packet definitions of one protocol, in the order they see each byte.
//
// Handlers run while the collection is being walked and may add, move or
// delete definitions. A definition deleted then stays alive (detached) until
// the outermost walk has ended, so nothing reads freed memory.

#include "dataproc/data_packet.h"

#include <memory>
#include <vector>

namespace dataproc {

class TcmDataProtocol;

class TcmDataPackets {
public:
    explicit TcmDataPackets(TcmDataProtocol* owner = nullptr) : fDataProcessor(owner) {}
    ~TcmDataPackets();
    TcmDataPackets(const TcmDataPackets&) = delete;
    TcmDataPackets& operator=(const TcmDataPackets&) = delete;

    TcmDataProtocol* Owner() const { return fDataProcessor; }
    int Count() const { return static_cast<int>(fItems.size()); }
    // Nothing for an index outside the collection.
    TcmDataPacket* Items(int index) const
    {
        return index >= 0 && index < Count() ? fItems[std::size_t(index)].get() : nullptr;
    }
    // Copies source's settings into the definition at index.
    void SetItems(int index, const TcmDataPacket& source);
    int IndexOf(const TcmDataPacket* item) const;

    TcmDataPacket* Add();
    // Moves item (a new one when nothing is given) here, at index or, when
    // index < 0 or past the end, at the end. An item of another collection leaves it.
    TcmDataPacket* AddItem(TcmDataPacket* item, int index);
    TcmDataPacket* Insert(int index) { return AddItem(nullptr, index); }
    void Delete(int index);
    void Clear();
    // Clears, then copies every definition of source (through Assign).
    void Assign(const TcmDataPackets& source);

    // Offers one byte to the definitions in order; the index of the one it
    // completes (those after it do not see the byte), or -1.
    int IsPacket(std::uint8_t ch);
    bool IsPacketPossible() const { return fIsPacketPossible; }
    void Reset();
    void ResetAllBut(int index);
    // The first active definition ending by a pause that holds bytes (trimmed), or -1.
    int FindTimeoutPacket();

    // Takes, in one go, the bytes from pos on that each definition would only
    // collect, and a marker or length completed right after them when no
    // other definition has anything to do with that byte.
    struct Step {
        std::size_t taken = 0;
        int completed = -1;      // the definition the last byte taken completed
        bool byteByByte = false;  // the byte after the ones taken needs IsPacket
    };
    Step Advance(ByteFinder& finder, const std::uint8_t* data, std::size_t pos, std::size_t len);
    // For a single definition waiting for its begin marker: the bytes up to
    // the end of the next whole packet when that lies in the chunk with
    // nothing on the way for the byte-by-byte rules, which it then completes
    // (viewing the chunk); 0 when it takes nothing. Advance does the rest.
    std::size_t TakeFramed(ByteFinder& finder, const std::uint8_t* data, std::size_t pos, std::size_t len);

    // Keeps deleted definitions alive while it exists.
    class Walk {
    public:
        explicit Walk(TcmDataPackets& packets) : fPackets(packets) { ++fPackets.fWalks; }
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;

    private:
        TcmDataPackets& fPackets;
    };

private:
    static constexpr std::size_t kMaxScanned = 8;  // more definitions go byte by byte at each event
    Step TakeQuietRun(const std::uint8_t* data, std::size_t n, bool byteByByte);
    std::unique_ptr<TcmDataPacket> Release(int index);
    void Retire(std::unique_ptr<TcmDataPacket> item);

    std::vector<std::unique_ptr<TcmDataPacket>> fItems;
    std::vector<std::unique_ptr<TcmDataPacket>> fRetired;
    bool fIsPacketPossible = false;
    int fWalks = 0;
    std::uint32_t fChanges = 0;  // adds and removals, so a walk notices a handler's edits
    TcmDataProtocol* fDataProcessor;
};

} // namespace dataproc
