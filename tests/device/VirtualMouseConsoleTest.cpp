#include <gtest/gtest.h>

#include "device/VirtualMouseConsole.h"

namespace trq::device {
namespace {

TEST(VirtualMouseConsole, TraceLinesShowTimeDirectionAndBytes) {
    const VirtualMouse::Record record{VirtualMouse::Direction::Feature,
                                      std::chrono::microseconds(12345),
                                      {0x07, 0x10, 0x01, 0x01, 0, 0, 0, 0xAB}};
    EXPECT_EQ(FormatTraceLine(record), "12.345 feature 07 10 01 01 00 00 00 ab");
}

TEST(VirtualMouseConsole, ControlLines) {
    VirtualMouse mouse;
    std::vector<HotplugEvent> events;
    mouse.WatchHotplug([&](HotplugEvent event, const std::string&) { events.push_back(event); });
    EXPECT_EQ(RunControlLine(mouse, "input 06 c8 01"), "");
    EXPECT_EQ(mouse.Records().back().bytes, (std::vector<std::uint8_t>{0x06, 0xC8, 0x01}));
    EXPECT_EQ(RunControlLine(mouse, "unplug"), "");
    EXPECT_FALSE(mouse.IsPlugged());
    EXPECT_EQ(RunControlLine(mouse, "plug"), "");
    EXPECT_TRUE(mouse.IsPlugged());
    EXPECT_EQ(events.size(), 4u) << "both collections leave and come back";

    events.clear();
    EXPECT_EQ(RunControlLine(mouse, "unplug quiet"), "");
    EXPECT_FALSE(mouse.IsPlugged());
    EXPECT_TRUE(events.empty()) << "a quiet unplug sends no hot-plug event";

    EXPECT_EQ(RunControlLine(mouse, "plug"), "");
    const std::unique_ptr<HidHandle> feature =
        mouse.Open(VirtualMouse::kFeaturePath, OpenMode::Write);
    const std::vector<std::uint8_t> report{7, 0x20, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(RunControlLine(mouse, "refuse on"), "");
    EXPECT_FALSE(feature->SendFeatureReport(report));
    EXPECT_EQ(RunControlLine(mouse, "refuse off"), "");
    EXPECT_TRUE(feature->SendFeatureReport(report));

    for (const char* bad :
         {"press", "press 0", "press 16", "press x", "input", "input zz", "input 100", "wiggle",
          "unplug now", "plug quiet", "refuse", "refuse maybe"}) {
        EXPECT_NE(RunControlLine(mouse, bad), "") << bad;
    }
}

}  // namespace
}  // namespace trq::device
