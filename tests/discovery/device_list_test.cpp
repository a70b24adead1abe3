// Ordered insertion into a component's device list.

#include "discovery/enum/device_list.h"

#include <gtest/gtest.h>

#include <vector>

using namespace discovery;

namespace {

std::unique_ptr<TcmDevice> Device(int data)
{
    auto device = std::make_unique<TcmDevice>();
    device->SetData(data);
    device->SetNameFriendly("COM" + std::to_string(data));
    return device;
}

std::vector<int> Datas(const TcmDeviceList& list)
{
    std::vector<int> datas;
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Get(i)->Index(), i);
        datas.push_back(list.Get(i)->Data());
    }
    return datas;
}

} // namespace

TEST(DeviceList, InsertKeepsAscendingUniqueNumbers)
{
    auto* owner = reinterpret_cast<comm::TcmBaseIO*>(0x10);
    TcmDeviceList list(owner);
    const struct {
        int Data;
        int Position;
    } steps[] = {{5, 0}, {9, 1}, {1, 0}, {7, 2}, {7, -1}, {1, -1}, {12, 4}};
    for (const auto& step : steps)
        EXPECT_EQ(list.Insert(Device(step.Data)), step.Position) << step.Data;
    EXPECT_EQ(Datas(list), (std::vector<int>{1, 5, 7, 9, 12}));
    EXPECT_EQ(list.Get(2)->Parent(), owner);
    EXPECT_EQ(list.Text(2), "COM7");
    EXPECT_EQ(list.IndexOfDeviceData(9), 3);
    EXPECT_EQ(list.IndexOfDeviceData(8), -1);
    EXPECT_EQ(list.IndexOfDevice(list.Get(4)), 4);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(5), nullptr);
}

TEST(DeviceList, AddAppendsAndTextIsTheNameAtEntry)
{
    TcmDeviceList list(nullptr);
    EXPECT_EQ(list.Add(Device(9)), 0);
    EXPECT_EQ(list.Add(Device(2)), 1);
    list.Get(1)->SetNameFriendly("renamed");
    TcmDeviceEntries copy{{"stale", nullptr}};
    list.CopyTo(copy);
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[1].first, "COM2");
    EXPECT_EQ(copy[1].second, list.Get(1));
    EXPECT_EQ(list.Insert(nullptr), -1);
}

TEST(DeviceList, ClearWithoutFreeLetsTheDevicesGo)
{
    TcmDeviceList list(nullptr);
    auto device = Device(3);
    TcmDevice* raw = device.get();
    list.Add(std::move(device));
    list.SetClearWithFree(false);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    std::unique_ptr<TcmDevice> owned(raw); // still alive, now ours
    EXPECT_EQ(owned->Data(), 3);
}
