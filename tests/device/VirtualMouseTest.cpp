#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "device/MouseProtocol.h"
#include "device/VirtualMouse.h"

namespace trq::device {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Direction = VirtualMouse::Direction;

Bytes ButtonMap(std::uint8_t id, std::uint8_t action) {
    return {7, 0x10, id, action, 0, 0, 0, 0};
}
Bytes DpiLevel(int current, std::uint8_t mask) {
    return {7, 0x09, static_cast<std::uint8_t>(0x40 + current), 0x18, mask, 0, 0, 0};
}

class VirtualMouseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reader = mouse.Open(VirtualMouse::kInputPath, OpenMode::Read);
        writer = mouse.Open(VirtualMouse::kFeaturePath, OpenMode::Write);
        ASSERT_NE(reader, nullptr);
        ASSERT_NE(writer, nullptr);
    }

    void Send(const Bytes& report) { ASSERT_TRUE(writer->SendFeatureReport(report)); }

    // The next input report, or the read's status as a one-byte vector {0xEE, status}.
    Bytes Next(HidHandle& handle, std::chrono::milliseconds timeout = 0ms) {
        std::array<std::uint8_t, 16> buffer{};
        const ReadResult result = handle.Read(buffer, timeout);
        if (result.status != ReadStatus::Ok)
            return {0xEE, static_cast<std::uint8_t>(result.status)};
        return Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(result.length));
    }
    Bytes Next() { return Next(*reader); }

    static Bytes Status(ReadStatus status) { return {0xEE, static_cast<std::uint8_t>(status)}; }

    VirtualMouse mouse;
    std::unique_ptr<HidHandle> reader;
    std::unique_ptr<HidHandle> writer;
};

TEST_F(VirtualMouseTest, ListsTheTwoVendorCollections) {
    const std::vector<HidDeviceInfo> list = mouse.Enumerate();
    ASSERT_EQ(list.size(), 2u);
    for (const HidDeviceInfo& info : list) {
        EXPECT_EQ(info.vendorId, kVendorId);
        EXPECT_EQ(info.productId, kProductId);
    }
    EXPECT_EQ(list[0].path, VirtualMouse::kInputPath);
    EXPECT_EQ((CollectionId{list[0].usagePage, list[0].usage}), kReadCollection);
    EXPECT_EQ(list[0].inputReportLength, 8u);
    EXPECT_EQ(list[1].path, VirtualMouse::kFeaturePath);
    EXPECT_EQ((CollectionId{list[1].usagePage, list[1].usage}), kWriteCollection);
    EXPECT_EQ(list[1].featureReportLength, 8u);
}

TEST_F(VirtualMouseTest, ReportsAButtonMappedToTheHost) {
    EXPECT_FALSE(mouse.Press(5)) << "never mapped: unknown, nothing emitted";
    Send(ButtonMap(5, 0));
    EXPECT_EQ(mouse.ButtonAction(5), 0);
    EXPECT_TRUE(mouse.Press(5));
    EXPECT_TRUE(mouse.Release(5));
    EXPECT_EQ(Next(), (Bytes{6, 245, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Next(), (Bytes{6, 245, 0x80, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Next(), Status(ReadStatus::Timeout));
}

TEST_F(VirtualMouseTest, OtherDeviceActionsReportOnlyWhatTheProgramFollows) {
    Send(ButtonMap(1, 1));   // left button: the firmware acts alone
    Send(ButtonMap(6, 10));  // rate switch: press only
    Send(ButtonMap(8, 6));   // DPI cycle: press with the new level only
    EXPECT_FALSE(mouse.Press(1));
    EXPECT_FALSE(mouse.Release(1));
    EXPECT_TRUE(mouse.Press(6));
    EXPECT_FALSE(mouse.Release(6));
    EXPECT_TRUE(mouse.Press(8));
    EXPECT_FALSE(mouse.Release(8));
    EXPECT_EQ(Next(), (Bytes{6, 246, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Next(), (Bytes{6, 248, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Next(), Status(ReadStatus::Timeout));
    EXPECT_FALSE(mouse.Press(0));
    EXPECT_FALSE(mouse.Press(16)) << "no input code beyond 255";
}

TEST_F(VirtualMouseTest, DpiButtonsStepThroughTheEnabledLevels) {
    struct Case {
        const char* what;
        std::uint8_t action;
        int start;
        std::uint8_t mask;
        std::vector<int> levels;  // after each press
    };
    const std::vector<Case> cases = {
        {"cycle wraps from 3 to 0", 6, 2, 0x0F, {3, 0, 1, 2}},
        {"cycle skips disabled levels", 6, 0, 0b1010, {1, 3, 1}},
        {"cycle with one level stays", 6, 2, 0b0100, {2, 2}},
        {"up stays at the highest", 11, 1, 0x0F, {2, 3, 3}},
        {"up skips disabled and stops at the highest enabled", 11, 0, 0b0101, {2, 2}},
        {"down stays at the lowest", 12, 2, 0x0F, {1, 0, 0}},
        {"down skips disabled and stops at the lowest enabled", 12, 3, 0b1010, {1, 1}},
    };
    for (const Case& c : cases) {
        Send(ButtonMap(3, c.action));
        Send(DpiLevel(c.start, c.mask));
        ASSERT_EQ(mouse.CurrentLevel(), c.start) << c.what;
        ASSERT_EQ(mouse.EnableMask(), c.mask) << c.what;
        for (const int level : c.levels) {
            EXPECT_TRUE(mouse.Press(3)) << c.what;
            EXPECT_EQ(Next(), (Bytes{6, 243, static_cast<std::uint8_t>(level), 0, 0, 0, 0, 0}))
                << c.what;
            EXPECT_EQ(mouse.CurrentLevel(), level) << c.what;
        }
    }
}

TEST_F(VirtualMouseTest, KeepsTheDpiCodesItIsSent) {
    Send({7, 0x09, 0x41, 0x49, 0x0F, 0, 0, 0});
    Send({7, 0x09, 0x41, 0xFB, 0x0F, 0, 0, 0});
    EXPECT_EQ(mouse.DpiCode(1), 4);
    EXPECT_EQ(mouse.DpiCode(3), 15);
    EXPECT_EQ(mouse.DpiCode(0), std::nullopt);
    EXPECT_EQ(mouse.CurrentLevel(), 1);
}

TEST_F(VirtualMouseTest, TakesOnlyWholeCommandReportsOnItsFeatureCollection) {
    EXPECT_FALSE(writer->SendFeatureReport(Bytes{7, 0x20, 0, 0})) << "short";
    EXPECT_FALSE(writer->SendFeatureReport(Bytes{6, 0x20, 0, 0, 0, 0, 0, 0})) << "wrong id";
    EXPECT_FALSE(writer->LastError().empty());
    const std::unique_ptr<HidHandle> input = mouse.Open(VirtualMouse::kInputPath, OpenMode::Write);
    EXPECT_FALSE(input->SendFeatureReport(ButtonMap(1, 0))) << "input collection";
    EXPECT_TRUE(mouse.Records().empty());
    EXPECT_EQ(mouse.Open("virtual:other", OpenMode::Read), nullptr);
}

TEST_F(VirtualMouseTest, RecordsAllTrafficInOrderAndTellsTheObserver) {
    std::vector<VirtualMouse::Record> observed;
    mouse.SetObserver([&](const VirtualMouse::Record& r) { observed.push_back(r); });
    Send(ButtonMap(2, 0));
    mouse.Press(2);
    mouse.EmitInput(Bytes{5, 1, 2});
    Send({7, 0x20, 0, 0, 0, 0, 0, 0});

    const std::vector<VirtualMouse::Record> records = mouse.Records();
    ASSERT_EQ(records.size(), 4u);
    const Direction directions[] = {Direction::Feature, Direction::Input, Direction::Input,
                                    Direction::Feature};
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].direction, directions[i]) << i;
        if (i > 0) {
            EXPECT_GE(records[i].at, records[i - 1].at) << i;
        }
        ASSERT_LT(i, observed.size());
        EXPECT_EQ(observed[i].bytes, records[i].bytes) << i;
    }
    EXPECT_EQ(records[1].bytes, (Bytes{6, 242, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(records[2].bytes, (Bytes{5, 1, 2}));
    EXPECT_TRUE(mouse.WaitForRecords(4, 0ms));
    mouse.ClearRecords();
    EXPECT_TRUE(mouse.Records().empty());
}

TEST_F(VirtualMouseTest, UnplugKillsHandlesAndPlugMakesANewDevice) {
    std::vector<std::pair<HotplugEvent, std::string>> events;
    ASSERT_TRUE(mouse.WatchHotplug(
        [&](HotplugEvent event, const std::string& path) { events.emplace_back(event, path); }));
    Send(ButtonMap(4, 0));

    mouse.Unplug();
    mouse.Unplug();
    EXPECT_FALSE(mouse.IsPlugged());
    EXPECT_TRUE(mouse.Enumerate().empty());
    EXPECT_EQ(mouse.Open(VirtualMouse::kFeaturePath, OpenMode::Write), nullptr);
    EXPECT_FALSE(writer->SendFeatureReport(ButtonMap(4, 1)));
    EXPECT_FALSE(mouse.Press(4));
    EXPECT_EQ(Next(), Status(ReadStatus::Disconnected));

    mouse.Plug();
    EXPECT_EQ(events, (std::vector<std::pair<HotplugEvent, std::string>>{
                          {HotplugEvent::Removal, VirtualMouse::kInputPath},
                          {HotplugEvent::Removal, VirtualMouse::kFeaturePath},
                          {HotplugEvent::Arrival, VirtualMouse::kInputPath},
                          {HotplugEvent::Arrival, VirtualMouse::kFeaturePath}}));
    EXPECT_EQ(mouse.Enumerate().size(), 2u);
    EXPECT_FALSE(writer->SendFeatureReport(ButtonMap(4, 1))) << "old handles stay dead";
    EXPECT_EQ(Next(), Status(ReadStatus::Disconnected));

    const std::unique_ptr<HidHandle> newReader =
        mouse.Open(VirtualMouse::kInputPath, OpenMode::Read);
    EXPECT_TRUE(mouse.Press(4)) << "the button map survived";
    EXPECT_EQ(Next(*newReader), (Bytes{6, 244, 1, 0, 0, 0, 0, 0}));
}

TEST_F(VirtualMouseTest, ReportsReachOnlyReadHandlesOpenAtTheTime) {
    ASSERT_TRUE(mouse.EmitInput(Bytes{6, 241, 1}));
    const std::unique_ptr<HidHandle> late = mouse.Open(VirtualMouse::kInputPath, OpenMode::Read);
    EXPECT_EQ(Next(*late), Status(ReadStatus::Timeout));
    EXPECT_EQ(Next(), (Bytes{6, 241, 1}));
    EXPECT_EQ(Next(*writer), Status(ReadStatus::Error)) << "write handle";
}

TEST_F(VirtualMouseTest, KeepsOnlyTheNewestReportsOfAFullQueue) {
    for (int i = 0; i < static_cast<int>(VirtualMouse::kQueueLimit) + 3; ++i) {
        mouse.EmitInput(Bytes{6, static_cast<std::uint8_t>(i)});
    }
    EXPECT_EQ(Next(), (Bytes{6, 3}));
}

TEST(VirtualMouseHistory, KeepsOnlyTheNewestRecordsButCountsThemAll) {
    VirtualMouse mouse(100);
    for (int i = 0; i < 10000; ++i) {
        mouse.EmitInput(Bytes{6, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)});
    }
    const std::vector<VirtualMouse::Record> records = mouse.Records();
    ASSERT_EQ(records.size(), 100u);
    EXPECT_EQ(records.front().bytes, (Bytes{6, (9900 & 0xFF), (9900 >> 8)}));
    EXPECT_EQ(records.back().bytes, (Bytes{6, (9999 & 0xFF), (9999 >> 8)}));
    EXPECT_EQ(mouse.RecordCount(), 10000u);
    EXPECT_TRUE(mouse.WaitForRecords(10000, 0ms));
    mouse.ClearRecords();
    EXPECT_EQ(mouse.RecordCount(), 0u);
    EXPECT_TRUE(mouse.Records().empty());
}

TEST_F(VirtualMouseTest, ABlockedReadWakesForAReportAnUnplugOrACancel) {
    struct Case {
        const char* what;
        void (*wake)(VirtualMouse&, HidHandle&);
        Bytes want;
    };
    const Case cases[] = {
        {"press", [](VirtualMouse& m, HidHandle&) { m.Press(2); }, {6, 242, 1, 0, 0, 0, 0, 0}},
        {"unplug", [](VirtualMouse& m, HidHandle&) { m.Unplug(); },
         Status(ReadStatus::Disconnected)},
        {"cancel", [](VirtualMouse&, HidHandle& h) { h.CancelRead(); },
         Status(ReadStatus::Cancelled)},
    };
    for (const Case& c : cases) {
        VirtualMouse fresh;
        const std::unique_ptr<HidHandle> in = fresh.Open(VirtualMouse::kInputPath, OpenMode::Read);
        const std::unique_ptr<HidHandle> out =
            fresh.Open(VirtualMouse::kFeaturePath, OpenMode::Write);
        ASSERT_TRUE(out->SendFeatureReport(ButtonMap(2, 0)));
        std::future<Bytes> read = std::async(std::launch::async, [&] { return Next(*in, -1ms); });
        std::this_thread::sleep_for(20ms);  // let it block; the result is the same if it did not
        c.wake(fresh, *in);
        EXPECT_EQ(read.get(), c.want) << c.what;
    }
}

TEST_F(VirtualMouseTest, CancelledReadsStayCancelled) {
    reader->CancelRead();
    mouse.EmitInput(Bytes{6, 241, 1});
    EXPECT_EQ(Next(), Status(ReadStatus::Cancelled));
    EXPECT_EQ(Next(), Status(ReadStatus::Cancelled));
}

TEST(VirtualMouseLifetime, HandlesOutliveTheMouseAsDeadHandles) {
    std::unique_ptr<HidHandle> in;
    {
        VirtualMouse mouse;
        in = mouse.Open(VirtualMouse::kInputPath, OpenMode::Read);
    }
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(in->Read(buffer, -1ms).status, ReadStatus::Disconnected);
}

// A test thread presses while another thread sends and a third reads. The reader may fall
// behind and lose the oldest reports of its queue, but every report it gets is whole.
TEST(VirtualMouseThreads, PressesAndSendsFromSeveralThreads) {
    VirtualMouse mouse;
    const std::unique_ptr<HidHandle> in = mouse.Open(VirtualMouse::kInputPath, OpenMode::Read);
    const std::unique_ptr<HidHandle> out = mouse.Open(VirtualMouse::kFeaturePath, OpenMode::Write);
    ASSERT_TRUE(out->SendFeatureReport(ButtonMap(5, 0)));
    constexpr int kPresses = 500;
    std::jthread presser([&] {
        for (int i = 0; i < kPresses; ++i) {
            mouse.Press(5);
            mouse.Release(5);
        }
        in->CancelRead();
    });
    std::jthread sender([&] {
        for (int i = 0; i < kPresses; ++i)
            out->SendFeatureReport(ButtonMap(1, 1));
    });
    std::array<std::uint8_t, 8> buffer{};
    for (;;) {
        const ReadResult result = in->Read(buffer, -1ms);
        if (result.status == ReadStatus::Cancelled) break;
        ASSERT_EQ(result.status, ReadStatus::Ok);
        ASSERT_EQ(result.length, 8u);
        ASSERT_EQ(buffer[1], 245);
        ASSERT_TRUE(buffer[2] == 1 || buffer[2] == 0x80);
    }
    presser.join();
    sender.join();
    EXPECT_EQ(mouse.Records().size(), 1u + 3u * kPresses);
}

}  // namespace
}  // namespace trq::device
