#pragma once
// The device list of an I/O component: pairs (entry text, device) kept in
// ascending, unique port-number order, each device's Index equal to its
// position. The list owns its devices unless told otherwise.

#include "discovery/enum/device.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace discovery {

// What a list box or another reader copies out of the list; the devices stay owned by the list.
using TcmDeviceEntries = std::vector<std::pair<std::string, TcmDevice*>>;

class TcmDeviceList {
public:
    explicit TcmDeviceList(comm::TcmBaseIO* parent) : fParent(parent) {}
    ~TcmDeviceList() { Clear(); }
    TcmDeviceList(const TcmDeviceList&) = delete;
    TcmDeviceList& operator=(const TcmDeviceList&) = delete;

    int Count() const { return int(fItems.size()); }
    // Nothing for an index outside 0..Count()-1.
    TcmDevice* Get(int index) const;
    const std::string& Text(int index) const { return fItems.at(std::size_t(index)).first; }
    int IndexOfDevice(const TcmDevice* device) const;
    int IndexOfDeviceData(int data) const;

    // Appends; returns the position.
    int Add(std::unique_ptr<TcmDevice> device);
    // Inserts in port-number order; a device whose number is taken is freed and -1 returned.
    int Insert(std::unique_ptr<TcmDevice> device);
    // Frees the devices when ClearWithFree() (the default), otherwise lets them go.
    void Clear();
    void CopyTo(TcmDeviceEntries& target) const;

    bool ClearWithFree() const { return fClearWithFree; }
    void SetClearWithFree(bool value) { fClearWithFree = value; }

private:
    int Place(std::size_t position, std::unique_ptr<TcmDevice> device);

    comm::TcmBaseIO* fParent;
    bool fClearWithFree = true;
    std::vector<std::pair<std::string, std::unique_ptr<TcmDevice>>> fItems;
};

} // namespace discovery
