#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "device/CommandSender.h"
#include "device/VirtualMouse.h"
#include "tests/device/FakeTransport.h"

namespace trq::device {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::FakeTransport;

TEST(CommandSender, SendsTheWriteCollectionsLengthWhateverTheCommand) {
    struct Case {
        std::size_t featureLength;
        std::size_t wantSent;
    };
    const Case cases[] = {{8, 8}, {3, 3}, {65, 65}, {300, kReportBufferSize}};
    for (const Case& c : cases) {
        FakeTransport transport;
        transport.list = {FakeTransport::Mouse("r", kReadCollection),
                          FakeTransport::Mouse("w", kWriteCollection, 0, c.featureLength)};
        DeviceLink link(transport);
        ASSERT_TRUE(link.FindMouse());
        CommandSender sender(link);
        EXPECT_TRUE(sender.SendClose());
        EXPECT_TRUE(sender.SendMouseButtons(0xFE));
        ASSERT_EQ(transport.sent.size(), 2u);
        for (const FakeTransport::Sent& sent : transport.sent) {
            EXPECT_EQ(sent.path, "w");
            EXPECT_EQ(sent.bytes.size(), c.wantSent) << "feature length " << c.featureLength;
        }
    }
}

TEST(CommandSender, FailsQuietlyWithoutAWriteHandleButStillEncodes) {
    struct Case {
        const char* what;
        bool search;
        bool failOpen;
        std::size_t featureLength;
    };
    const Case cases[] = {
        {"never searched", false, false, 8},
        {"open failed", true, true, 8},
        {"no feature report", true, false, 0},
    };
    for (const Case& c : cases) {
        FakeTransport transport;
        transport.list = {FakeTransport::Mouse("r", kReadCollection),
                          FakeTransport::Mouse("w", kWriteCollection, 0, c.featureLength)};
        if (c.failOpen) transport.failingOpens = {"w"};
        DeviceLink link(transport);
        if (c.search) link.FindMouse();
        CommandSender sender(link);
        EXPECT_FALSE(sender.SendConsumer(0x00E9)) << c.what;
        EXPECT_FALSE(sender.LastError().empty()) << c.what;
        EXPECT_TRUE(transport.sent.empty()) << c.what;
        const FeatureBuffer bytes = sender.Snapshot();
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{7, 0x17, 0x00, 0xE9})) << c.what;
    }
}

class SenderWithMouse : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(link.FindMouse()); }

    VirtualMouse mouse{8192};  // room for every report of the concurrency test
    DeviceLink link{mouse};
    CommandSender sender{link};
};

TEST_F(SenderWithMouse, ReachesTheMouseAndFailsOnceItIsGone) {
    settings::DeviceSettings s = settings::DefaultSettings(0);
    EXPECT_TRUE(sender.SendButtonMap(5, 0));
    EXPECT_TRUE(sender.SendFireTime(s));
    EXPECT_EQ(mouse.FeatureReports(),
              (std::vector<Bytes>{{7, 0x10, 5, 0, 0, 0, 0, 0}, {7, 0x12, 0, 6, 0, 0, 0, 0}}));
    EXPECT_TRUE(sender.LastError().empty());

    mouse.Unplug();
    EXPECT_FALSE(sender.SendClose());
    EXPECT_FALSE(sender.LastError().empty());
    EXPECT_EQ(mouse.FeatureReports().size(), 2u);
}

// The window thread and the engine send at once. Every report the mouse received must be
// whole (one command's bytes) and must differ from the one before only in the bytes its
// command writes: what one buffer used by one sender at a time gives.
TEST_F(SenderWithMouse, ConcurrentSendsDoNotTear) {
    constexpr int kRounds = 1500;
    std::jthread engine([&] {
        for (int i = 0; i < kRounds; ++i) {
            const auto v = static_cast<std::uint8_t>(1 + i % 200);
            sender.SendKeys({v, v, v, v, v, v});
            sender.SendMouseButtons(v);
        }
    });
    std::jthread window([&] {
        for (int i = 0; i < kRounds; ++i) {
            const auto v = static_cast<std::uint8_t>(1 + i % 200);
            sender.SendConsumer(static_cast<std::uint16_t>(v << 8 | v));
            sender.SendButtonMap(v, v);
        }
    });
    engine.join();
    window.join();

    const std::vector<Bytes> reports = mouse.FeatureReports();
    ASSERT_EQ(reports.size(), 4u * kRounds);
    Bytes previous(VirtualMouse::kReportLength, 0);
    for (const Bytes& report : reports) {
        ASSERT_EQ(report[0], 7);
        const CommandLayout& layout = LayoutOf(static_cast<Command>(report[1]));
        ASSERT_EQ(static_cast<std::uint8_t>(layout.command), report[1]);
        const auto own = report.begin() + static_cast<std::ptrdiff_t>(layout.first);
        const auto ownEnd = own + static_cast<std::ptrdiff_t>(layout.size());
        ASSERT_TRUE(std::all_of(own, ownEnd, [&](std::uint8_t b) { return b == *own; }))
            << "a command's own bytes come from one call";
        for (std::size_t i = 2; i < report.size(); ++i) {
            if (i < layout.first || i > layout.last) {
                ASSERT_EQ(report[i], previous[i]) << "byte " << i << " was carried over";
            }
        }
        previous = report;
    }
}

}  // namespace
}  // namespace trq::device
