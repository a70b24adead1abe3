#include "discovery/enum/device_list.h"

namespace discovery {

TcmDevice* TcmDeviceList::Get(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return fItems[std::size_t(index)].second.get();
}

int TcmDeviceList::IndexOfDevice(const TcmDevice* device) const
{
    for (int i = 0; i < Count(); ++i)
        if (fItems[std::size_t(i)].second.get() == device)
            return i;
    return -1;
}

int TcmDeviceList::IndexOfDeviceData(int data) const
{
    for (int i = 0; i < Count(); ++i)
        if (fItems[std::size_t(i)].second->Data() == data)
            return i;
    return -1;
}

int TcmDeviceList::Add(std::unique_ptr<TcmDevice> device)
{
    if (!device)
        return -1;
    return Place(fItems.size(), std::move(device));
}

int TcmDeviceList::Insert(std::unique_ptr<TcmDevice> device)
{
    if (!device)
        return -1;
    if (fItems.empty() || fItems.back().second->Data() < device->Data())
        return Add(std::move(device));
    for (std::size_t i = 0; i < fItems.size(); ++i) {
        const int data = fItems[i].second->Data();
        if (data == device->Data())
            return -1;
        if (data > device->Data())
            return Place(i, std::move(device));
    }
    return -1;
}

int TcmDeviceList::Place(std::size_t position, std::unique_ptr<TcmDevice> device)
{
    device->fParent = fParent;
    std::string text = device->NameFriendly();
    fItems.insert(fItems.begin() + std::ptrdiff_t(position), {std::move(text), std::move(device)});
    for (std::size_t i = position; i < fItems.size(); ++i)
        fItems[i].second->fIndex = int(i);
    return int(position);
}

void TcmDeviceList::Clear()
{
    if (!fClearWithFree)
        for (auto& item : fItems)
            (void)item.second.release();
    fItems.clear();
}

void TcmDeviceList::CopyTo(TcmDeviceEntries& target) const
{
    target.clear();
    for (const auto& [text, device] : fItems)
        target.emplace_back(text, device.get());
}

} // namespace discovery
