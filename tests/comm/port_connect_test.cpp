// Checking the device's DSR answer to DTR, and adopting a handle opened elsewhere.
#include "tests/comm/line_fixture.h"

#include "runtime/error.h"

#include <atomic>

namespace {

using namespace comm;
using comm_test::LineTest;

using Connect = LineTest;

TEST_F(Connect, InitDeviceConnectRaisesRtsWhenDsrAnswers)
{
    OpenOrFail();
    Far().SetDtr(true);
    com->SetStateRTS(false);
    com->InitDeviceConnect();
    EXPECT_TRUE(Far().Dsr());
    EXPECT_TRUE(Far().Cts());
}

TEST_F(Connect, InitDeviceConnectWithoutDsrIsAFatalErrorAndLeavesDtrUpRtsDown)
{
    OpenOrFail();
    ExpectConnectError([&] { com->InitDeviceConnect(); });
    EXPECT_TRUE(com->Active());
    EXPECT_TRUE(Far().Dsr());
    EXPECT_FALSE(Far().Cts());

    com->OnFatalError = [](QObject*, std::uint32_t code, std::uint32_t detail, const std::string&, bool& raise) {
        EXPECT_EQ(code, 1u);
        EXPECT_EQ(detail, 0u);
        raise = false;
    };
    EXPECT_NO_THROW(com->InitDeviceConnect());
}

TEST_F(Connect, InitDeviceConnectOnAClosedPortDoesNothing)
{
    EXPECT_NO_THROW(com->InitDeviceConnect());
    EXPECT_FALSE(com->Active());
}

TEST_F(Connect, PulledCableDropsTheConnectionOnTheEventThread)
{
    std::atomic<int> closes{0};
    com->OnClose = [&](QObject*) { ++closes; };
    OpenOrFail();
    fModem->Unplug();
    ASSERT_TRUE(comm_test::PumpUntil([&] { return !com->Active(); }));
    EXPECT_EQ(closes.load(), 1);
}

TEST_F(Connect, ExtHandleIsAdoptedAndOwned)
{
    com->SetExtHandle(0);
    com->SetExtHandle(platform::kInvalidHandle);
    EXPECT_FALSE(com->Active()) << "0 and the invalid handle change nothing";

    const platform::Handle h = platform::OpenPort("COM20");
    ASSERT_NE(h, platform::kInvalidHandle);
    std::string received;
    com->OnAfterReceive = [&](TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        received.append(reinterpret_cast<const char*>(data), n);
    };
    com->SetExtHandle(h);
    ASSERT_TRUE(com->Active());
    EXPECT_EQ(com->DeviceHandle(), h);
    com->SendString("ext");
    EXPECT_EQ(Far().ReadExactly(3, 2000), "ext");
    Far().Write("in");
    ASSERT_TRUE(comm_test::PumpUntil([&] { return received == "in"; }));

    com->SetActive(false);
    std::uint32_t status = 0;
    EXPECT_FALSE(platform::GetCommModemStatus(h, status)) << "the component closed the handle it owned";
    EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidHandle);
    // The next open goes by the port number again.
    OpenOrFail();
    EXPECT_NE(com->DeviceHandle(), h);
}

TEST_F(Connect, ExtHandleReplacesAnOpenPort)
{
    platform::NullModem other("COM21");
    OpenOrFail();
    EXPECT_TRUE(Far().Dsr());
    const platform::Handle h = platform::OpenPort("COM21");
    ASSERT_NE(h, platform::kInvalidHandle);
    int closes = 0;
    com->OnClose = [&](QObject*) { ++closes; };
    com->SetExtHandle(h);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Far().Dsr()) << "COM20 was closed";
    EXPECT_EQ(com->DeviceHandle(), h);
    com->SendString("21");
    EXPECT_EQ(other.Far().ReadExactly(2, 2000), "21");
}

} // namespace
