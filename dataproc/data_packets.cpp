#include "dataproc/data_packets.h"

#include <algorithm>

namespace dataproc {

TcmDataPackets::~TcmDataPackets()
{
    for (auto& item : fItems)
        item->fCollection = nullptr;
}

TcmDataPackets::Walk::~Walk()
{
    if (--fPackets.fWalks == 0)
        fPackets.fRetired.clear();
}

void TcmDataPackets::SetItems(int index, const TcmDataPacket& source)
{
    if (TcmDataPacket* item = Items(index))
        item->Assign(source);
}

int TcmDataPackets::IndexOf(const TcmDataPacket* item) const
{
    for (std::size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

TcmDataPacket* TcmDataPackets::Add()
{
    return AddItem(nullptr, -1);
}

TcmDataPacket* TcmDataPackets::AddItem(TcmDataPacket* item, int index)
{
    std::unique_ptr<TcmDataPacket> owned;
    if (!item) {
        owned = std::make_unique<TcmDataPacket>();
    } else if (TcmDataPackets* from = item->fCollection) {
        owned = from->Release(from->IndexOf(item));
    } else {
        owned.reset(item);
    }
    TcmDataPacket* raw = owned.get();
    raw->fCollection = this;
    ++fChanges;
    const auto at = index < 0 || index > Count() ? fItems.end() : fItems.begin() + index;
    fItems.insert(at, std::move(owned));
    return raw;
}

std::unique_ptr<TcmDataPacket> TcmDataPackets::Release(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    std::unique_ptr<TcmDataPacket> item = std::move(fItems[std::size_t(index)]);
    fItems.erase(fItems.begin() + index);
    item->fCollection = nullptr;
    ++fChanges;
    return item;
}

void TcmDataPackets::Retire(std::unique_ptr<TcmDataPacket> item)
{
    if (!item)
        return;
    if (fWalks > 0)
        fRetired.push_back(std::move(item));
}

void TcmDataPackets::Delete(int index)
{
    Retire(Release(index));
}

void TcmDataPackets::Clear()
{
    while (!fItems.empty())
        Delete(Count() - 1);
}

void TcmDataPackets::Assign(const TcmDataPackets& source)
{
    if (&source == this)
        return;
    Clear();
    for (const auto& item : source.fItems)
        Add()->Assign(*item);
}

// --- bytes ------------------------------------------------------------------

int TcmDataPackets::IsPacket(std::uint8_t ch)
{
    Walk walk(*this);
    fIsPacketPossible = false;
    // Count() is read again each time: a length handler may change the list.
    for (int i = 0; i < Count(); ++i) {
        TcmDataPacket* item = fItems[std::size_t(i)].get();
        const std::uint32_t changes = fChanges;
        const bool complete = item->IsPacket(ch);
        if (changes != fChanges) {
            // The handler moved things: go on after this definition, wherever it is now.
            const int at = IndexOf(item);
            if (at < 0) {
                --i;  // deleted: the next one took its place
                continue;
            }
            i = at;
        }
        if (complete) {
            if (item->ResetOthers())
                ResetAllBut(i);
            return i;
        }
        fIsPacketPossible = fIsPacketPossible || item->IsPossible();
    }
    return -1;
}

void TcmDataPackets::Reset()
{
    for (auto& item : fItems)
        item->Reset();
}

void TcmDataPackets::ResetAllBut(int index)
{
    for (int i = 0; i < Count(); ++i)
        if (i != index)
            fItems[std::size_t(i)]->Reset();
}

int TcmDataPackets::FindTimeoutPacket()
{
    for (int i = 0; i < Count(); ++i) {
        TcmDataPacket& item = *fItems[std::size_t(i)];
        if (!item.Active() || !item.PacketEndByTimeout())
            continue;
        item.Trim();
        if (item.DataLength() > 0)
            return i;
    }
    return -1;
}

} // namespace dataproc
