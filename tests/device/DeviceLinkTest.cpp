#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "device/DeviceLink.h"
#include "device/VirtualMouse.h"
#include "tests/device/FakeTransport.h"

namespace trq::device {
namespace {

using test::FakeTransport;
using namespace std::chrono_literals;

constexpr CollectionId kStandardMouse{0x0001, 0x0002};

// `count` collections of other devices.
std::vector<HidDeviceInfo> Others(std::size_t count) {
    std::vector<HidDeviceInfo> list;
    for (std::size_t i = 0; i < count; ++i)
        list.push_back(FakeTransport::Other("other" + std::to_string(i)));
    return list;
}

TEST(FindMouse, NoMouseLeavesEverythingEmpty) {
    FakeTransport transport;
    transport.list = Others(5);
    DeviceLink link(transport);
    EXPECT_FALSE(link.FindMouse());
    EXPECT_FALSE(link.DevicePresent());
    EXPECT_EQ(link.DevicePath(), "");
    EXPECT_TRUE(transport.opens.empty());
    EXPECT_EQ(link.ReadSlot().state, SlotState::NotAttempted);
    EXPECT_EQ(link.WriteSlot().state, SlotState::NotAttempted);
}

TEST(FindMouse, OpensBothCollectionsAndStopsAtTheSecond) {
    FakeTransport transport;
    transport.list = {FakeTransport::Other("kbd"),
                      FakeTransport::Mouse("m-std", kStandardMouse),
                      FakeTransport::Mouse("m-read", kReadCollection, 8, 0),
                      FakeTransport::Other("pad"),
                      FakeTransport::Mouse("m-write", kWriteCollection, 0, 300),
                      FakeTransport::Mouse("m-after", kStandardMouse)};
    DeviceLink link(transport);
    EXPECT_TRUE(link.FindMouse());
    EXPECT_TRUE(link.DevicePresent());
    EXPECT_EQ(link.DevicePath(), "m-write") << "the collection after the second is not looked at";
    ASSERT_EQ(transport.opens.size(), 2u);
    EXPECT_EQ(transport.opens[0], std::make_pair(std::string("m-read"), OpenMode::Read));
    EXPECT_EQ(transport.opens[1], std::make_pair(std::string("m-write"), OpenMode::Write));

    const HandleSlot read = link.ReadSlot();
    EXPECT_EQ(read.state, SlotState::Open);
    EXPECT_NE(read.handle, nullptr);
    EXPECT_EQ(read.reportLength, 8u);
    EXPECT_EQ(link.WriteSlot().reportLength, kReportBufferSize) << "cut to the buffer";
}

TEST(FindMouse, LooksAtOneHundredIndicesOnly) {
    struct Case {
        const char* what;
        std::size_t firstMouseIndex;  // read collection here, write collection next
        bool wantResult;
        SlotState wantRead, wantWrite;
    };
    const Case cases[] = {
        {"both inside", 98, true, SlotState::Open, SlotState::Open},
        // The last index looked at was the mouse, so the result is true with one slot.
        {"write collection beyond", 99, true, SlotState::Open, SlotState::NotAttempted},
        {"both beyond", 100, false, SlotState::NotAttempted, SlotState::NotAttempted},
    };
    for (const Case& c : cases) {
        FakeTransport transport;
        transport.list = Others(c.firstMouseIndex);
        transport.list.push_back(FakeTransport::Mouse("m-read", kReadCollection));
        transport.list.push_back(FakeTransport::Mouse("m-write", kWriteCollection));
        for (const HidDeviceInfo& info : Others(20))
            transport.list.push_back(info);
        DeviceLink link(transport);
        EXPECT_EQ(link.FindMouse(), c.wantResult) << c.what;
        EXPECT_EQ(link.ReadSlot().state, c.wantRead) << c.what;
        EXPECT_EQ(link.WriteSlot().state, c.wantWrite) << c.what;
    }
}

TEST(FindMouse, ResultIsWhatTheLastListedCollectionGaveWhenNotStopped) {
    FakeTransport transport;
    transport.list = {FakeTransport::Mouse("m-read", kReadCollection), FakeTransport::Other("kbd")};
    DeviceLink link(transport);
    EXPECT_FALSE(link.FindMouse());
    EXPECT_EQ(link.DevicePath(), "m-read");
    EXPECT_EQ(link.ReadSlot().state, SlotState::Open);
}

TEST(FindMouse, FailedOpenMarksTheSlotAndStillCounts) {
    FakeTransport transport;
    transport.list = {FakeTransport::Mouse("m-read", kReadCollection),
                      FakeTransport::Mouse("m-write", kWriteCollection),
                      FakeTransport::Mouse("m-later", kReadCollection)};
    transport.failingOpens = {"m-write"};
    DeviceLink link(transport);
    EXPECT_TRUE(link.FindMouse());
    EXPECT_EQ(link.WriteSlot().state, SlotState::OpenFailed);
    EXPECT_EQ(link.WriteSlot().handle, nullptr);
    EXPECT_EQ(transport.opens.size(), 2u) << "the search stopped at the failed open";
}

TEST(FindMouse, ASearchWithoutTheMouseKeepsTheOldHandles) {
    FakeTransport transport;
    transport.list = {FakeTransport::Mouse("m-read", kReadCollection),
                      FakeTransport::Mouse("m-write", kWriteCollection)};
    DeviceLink link(transport);
    ASSERT_TRUE(link.FindMouse());
    const std::shared_ptr<HidHandle> write = link.WriteSlot().handle;

    transport.list = Others(3);
    EXPECT_FALSE(link.FindMouse());
    EXPECT_EQ(link.WriteSlot().handle, write);
    EXPECT_EQ(link.DevicePath(), "m-write");
}

// A second search must reopen both collections even though the old slots are filled: after a
// re-plug those hold the dead handles of the old device.
TEST(FindMouse, ASecondSearchReopensBothCollections) {
    FakeTransport transport;
    transport.list = {FakeTransport::Mouse("m-read", kReadCollection),
                      FakeTransport::Mouse("m-write", kWriteCollection)};
    DeviceLink link(transport);
    ASSERT_TRUE(link.FindMouse());
    const std::shared_ptr<HidHandle> oldRead = link.ReadSlot().handle;
    const std::shared_ptr<HidHandle> oldWrite = link.WriteSlot().handle;
    ASSERT_TRUE(link.FindMouse());
    EXPECT_EQ(transport.opens.size(), 4u);
    EXPECT_NE(link.ReadSlot().handle, oldRead);
    EXPECT_NE(link.WriteSlot().handle, oldWrite);
}

class HotplugTest : public ::testing::Test {
  protected:
    void SetUp() override {
        transport.list = {
            FakeTransport::Mouse(R"(\\?\HID#VID_AB&PID_CD&MI_01#7&1&0000)", kReadCollection),
            FakeTransport::Mouse(R"(\\?\HID#VID_AB&PID_CD&MI_01#7&1&0001)", kWriteCollection)};
        ASSERT_TRUE(link.FindMouse());
    }

    FakeTransport transport;
    DeviceLink link{transport};
};

TEST_F(HotplugTest, RemovalOfTheMouseIgnoresLetterCase) {
    EXPECT_TRUE(link.OnDeviceRemoved(R"(\\?\hid#vid_ab&pid_cd&mi_01#7&1&0001)"));
    EXPECT_FALSE(link.DevicePresent());
    EXPECT_EQ(link.WriteSlot().state, SlotState::Open) << "handles stay for the close command";
}

TEST_F(HotplugTest, RemovalOfAnotherDeviceChangesNothing) {
    EXPECT_FALSE(link.OnDeviceRemoved(R"(\\?\HID#VID_12&PID_34#1&2&0000)"));
    EXPECT_FALSE(link.OnDeviceRemoved(R"(\\?\HID#VID_AB&PID_CD&MI_01#7&1&00011)"));
    EXPECT_TRUE(link.DevicePresent());
}

TEST_F(HotplugTest, ArrivalSearchesOnlyForTheMissingMouse) {
    const std::string path = R"(\\?\HID#VID_AB&PID_CD&MI_01#7&1&0001)";
    EXPECT_FALSE(link.OnDeviceArrival(path)) << "present: no search";
    ASSERT_TRUE(link.OnDeviceRemoved(path));
    EXPECT_FALSE(link.OnDeviceArrival("other")) << "another device: no search";
    EXPECT_EQ(transport.enumerations, 1);

    EXPECT_TRUE(link.OnDeviceArrival(R"(\\?\hid#VID_AB&PID_CD&MI_01#7&1&0001)"));
    EXPECT_EQ(transport.enumerations, 2);
    EXPECT_TRUE(link.DevicePresent());
}

TEST(DeviceLinkHotplug, NothingMatchesBeforeAMouseWasSeen) {
    FakeTransport transport;
    DeviceLink link(transport);
    EXPECT_FALSE(link.OnDeviceRemoved(""));
    EXPECT_FALSE(link.OnDeviceArrival(""));
    EXPECT_EQ(transport.enumerations, 0);
}

TEST(WaitForReadHandle, WakesWhenASearchOpensTheReadCollection) {
    VirtualMouse mouse;
    DeviceLink link(mouse);
    std::jthread reader;
    std::promise<std::shared_ptr<HidHandle>> got;
    reader =
        std::jthread([&](std::stop_token stop) { got.set_value(link.WaitForReadHandle(stop)); });
    std::this_thread::sleep_for(20ms);  // let it block; the result is the same if it did not
    ASSERT_TRUE(link.FindMouse());
    const std::shared_ptr<HidHandle> handle = got.get_future().get();
    EXPECT_EQ(handle, link.ReadSlot().handle);
}

TEST(WaitForReadHandle, StopEndsTheWaitAndAStaleHandleIsNotReturned) {
    VirtualMouse mouse;
    DeviceLink link(mouse);
    ASSERT_TRUE(link.FindMouse());
    const std::shared_ptr<HidHandle> stale = link.ReadSlot().handle;

    std::promise<std::shared_ptr<HidHandle>> got;
    std::jthread reader(
        [&](std::stop_token stop) { got.set_value(link.WaitForReadHandle(stop, stale.get())); });
    std::this_thread::sleep_for(20ms);
    reader.request_stop();
    EXPECT_EQ(got.get_future().get(), nullptr);
}

// The whole removal and arrival road with the virtual mouse: the reader waits for the new
// handle, the new handles read and send.
TEST(DeviceLinkWithVirtualMouse, FollowsUnplugAndPlug) {
    VirtualMouse mouse;
    DeviceLink link(mouse);
    ASSERT_TRUE(link.FindMouse());
    EXPECT_EQ(link.DevicePath(), VirtualMouse::kFeaturePath);
    EXPECT_EQ(link.ReadSlot().reportLength, VirtualMouse::kReportLength);
    EXPECT_EQ(link.WriteSlot().reportLength, VirtualMouse::kReportLength);
    const std::shared_ptr<HidHandle> oldRead = link.ReadSlot().handle;

    std::vector<std::pair<HotplugEvent, std::string>> events;
    mouse.WatchHotplug(
        [&](HotplugEvent event, const std::string& path) { events.emplace_back(event, path); });
    mouse.Unplug();
    for (const auto& [event, path] : events) {
        if (event == HotplugEvent::Removal) link.OnDeviceRemoved(path);
    }
    EXPECT_FALSE(link.DevicePresent());
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(oldRead->Read(buffer, -1ms).status, ReadStatus::Disconnected);

    std::promise<std::shared_ptr<HidHandle>> got;
    std::jthread reader(
        [&](std::stop_token stop) { got.set_value(link.WaitForReadHandle(stop, oldRead.get())); });
    events.clear();
    mouse.Plug();
    bool found = false;
    for (const auto& [event, path] : events) {
        if (event == HotplugEvent::Arrival) found = link.OnDeviceArrival(path) || found;
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(link.DevicePresent());

    const std::shared_ptr<HidHandle> newRead = got.get_future().get();
    ASSERT_NE(newRead, nullptr);
    EXPECT_NE(newRead, oldRead);
    const std::array<std::uint8_t, 8> close{7, 0x20, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(link.WriteSlot().handle->SendFeatureReport(close));
    ASSERT_TRUE(mouse.EmitInput(std::array<std::uint8_t, 3>{6, 245, 1}));
    EXPECT_EQ(newRead->Read(buffer, -1ms).status, ReadStatus::Ok);
}

}  // namespace
}  // namespace trq::device
