#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/ButtonEvent.h"
#include "device/ReportEncoder.h"

namespace trq::device {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The first eight bytes, which the mouse receives (its feature report length).
Bytes Head(const ReportEncoder& encoder) {
    return Bytes(encoder.Bytes().begin(), encoder.Bytes().begin() + 8);
}

settings::DeviceSettings Defaults() {
    return settings::DefaultSettings(0);
}

TEST(ReportEncoder, StartsAllZero) {
    ReportEncoder encoder;
    EXPECT_TRUE(std::all_of(encoder.Bytes().begin(), encoder.Bytes().end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST(ReportEncoder, DpiLevelsCarryCodeLevelAndMask) {
    settings::DeviceSettings s = Defaults();
    s.dpiSet = {0, 3, 7, 11};
    s.dpiSetEnabled = {1, 1, 1, 1};
    s.dpiLevel = 2;
    const Bytes want[] = {
        {0x07, 0x09, 0x42, 0x18, 0x0F, 0, 0, 0},
        {0x07, 0x09, 0x42, 0x49, 0x0F, 0, 0, 0},
        {0x07, 0x09, 0x42, 0x9A, 0x0F, 0, 0, 0},
        {0x07, 0x09, 0x42, 0xFB, 0x0F, 0, 0, 0},
    };
    ReportEncoder encoder;
    for (int level = 0; level < 4; ++level) {
        encoder.DpiLevel(s, level);
        EXPECT_EQ(Head(encoder), want[level]) << "level " << level;
    }
}

TEST(ReportEncoder, DpiLevelClampsLevelAndValueAndMasksEnabledLevels) {
    settings::DeviceSettings s = Defaults();
    s.dpiLevel = 9;                  // -> 3
    s.dpiSet = {2, 15, 0, 0};        // 15 -> index 11, code 15
    s.dpiSetEnabled = {1, 0, 1, 0};  // mask 0b0101
    ReportEncoder encoder;
    encoder.DpiLevel(s, 1);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x09, 0x43, 0xF9, 0x05, 0, 0, 0}));
    s.dpiLevel = -4;  // -> 0
    encoder.DpiLevel(s, 0);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x09, 0x40, 0x38, 0x05, 0, 0, 0}));
}

TEST(ReportEncoder, FireTimeIsAnEighthBigEndianAndClearsTheRest) {
    struct Case {
        std::int32_t fireTime;
        std::uint8_t high, low;
    };
    const Case cases[] = {
        {50, 0x00, 0x06}, {300, 0x00, 0x25}, {7, 0, 0}, {5000, 0x00, 0x25}, {-40, 0, 0}};
    for (const Case& c : cases) {
        ReportEncoder encoder;
        encoder.Keys({0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA});
        settings::DeviceSettings s = Defaults();
        s.fireTime = c.fireTime;
        encoder.FireTime(s);
        EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x12, c.high, c.low, 0, 0, 0, 0}))
            << "fireTime " << c.fireTime;
    }
}

TEST(ReportEncoder, LedStatusUsesTheModeCodeTable) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {{0, 0x10}, {1, 0x13}, {2, 0x16},
                                                           {3, 0x17}, {4, 0x17}, {255, 0x17}};
    for (const auto& [ledStatus, b3] : cases) {
        settings::DeviceSettings s = Defaults();
        s.ledStatus = ledStatus;
        ReportEncoder encoder;
        encoder.LedStatus(s);
        EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x13, 0x7F, b3, 0, 0, 0, 0}))
            << "ledStatus " << int{ledStatus};
    }
}

TEST(ReportEncoder, WheelStatusSendsItsLowByte) {
    settings::DeviceSettings s = Defaults();
    s.wheelStatus = 0x101;
    ReportEncoder encoder;
    encoder.Keys({9, 9, 9, 9, 9, 9});
    encoder.WheelStatus(s);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x11, 0x01, 0x00, 9, 9, 9, 9}));
}

TEST(ReportEncoder, KeysMouseButtonsConsumerAndClose) {
    ReportEncoder encoder;
    encoder.Keys({0x04, 0xE1, 0x16, 0, 0, 0});  // three keys held, in press order
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x15, 0x04, 0xE1, 0x16, 0, 0, 0}));

    encoder.MouseButtons(0xFE);  // left held; b2 keeps the first key
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x16, 0x04, 0xFE, 0x16, 0, 0, 0}));
    encoder.MouseButtons(0xFF);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x16, 0x04, 0xFF, 0x16, 0, 0, 0}));

    encoder.Consumer(0x0223);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x17, 0x02, 0x23, 0x16, 0, 0, 0}));
    encoder.Consumer(0x00E9);
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x17, 0x00, 0xE9, 0x16, 0, 0, 0}));

    encoder.Close();
    EXPECT_EQ(Head(encoder), (Bytes{0x07, 0x20, 0x00, 0x00, 0x16, 0, 0, 0}));
}

// Every command after a report that filled b2..b7: only its own bytes change.
TEST(ReportEncoder, EachCommandLeavesTheOtherBytesAsTheyWere) {
    settings::DeviceSettings s = Defaults();
    s.dpiSet = {3, 0, 0, 0};
    s.dpiSetEnabled = {1, 1, 0, 0};
    s.dpiLevel = 1;
    s.wheelStatus = 1;
    s.ledStatus = 2;
    s.fireTime = 100;
    struct Case {
        const char* command;
        void (*send)(ReportEncoder&, const settings::DeviceSettings&);
        Bytes want;
    };
    const Case cases[] = {
        {"dpi level",
         [](ReportEncoder& e, const auto& st) { e.DpiLevel(st, 0); },
         {0x07, 0x09, 0x41, 0x48, 0x03, 0xA5, 0xA6, 0xA7}},
        {"button map",
         [](ReportEncoder& e, const auto&) { e.ButtonMap(5, 0); },
         {0x07, 0x10, 0x05, 0x00, 0xA4, 0xA5, 0xA6, 0xA7}},
        {"wheel status",
         [](ReportEncoder& e, const auto& st) { e.WheelStatus(st); },
         {0x07, 0x11, 0x01, 0x00, 0xA4, 0xA5, 0xA6, 0xA7}},
        {"fire time",
         [](ReportEncoder& e, const auto& st) { e.FireTime(st); },
         {0x07, 0x12, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00}},
        {"led status",
         [](ReportEncoder& e, const auto& st) { e.LedStatus(st); },
         {0x07, 0x13, 0x7F, 0x16, 0xA4, 0xA5, 0xA6, 0xA7}},
        {"mouse buttons",
         [](ReportEncoder& e, const auto&) { e.MouseButtons(0xFB); },
         {0x07, 0x16, 0xA2, 0xFB, 0xA4, 0xA5, 0xA6, 0xA7}},
        {"consumer",
         [](ReportEncoder& e, const auto&) { e.Consumer(0x0192); },
         {0x07, 0x17, 0x01, 0x92, 0xA4, 0xA5, 0xA6, 0xA7}},
        {"close",
         [](ReportEncoder& e, const auto&) { e.Close(); },
         {0x07, 0x20, 0x00, 0x00, 0xA4, 0xA5, 0xA6, 0xA7}},
    };
    for (const Case& c : cases) {
        ReportEncoder encoder;
        encoder.Keys({0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7});
        c.send(encoder, s);
        EXPECT_EQ(Head(encoder), c.want) << c.command;
        EXPECT_TRUE(std::all_of(encoder.Bytes().begin() + 8, encoder.Bytes().end(),
                                [](std::uint8_t b) { return b == 0; }))
            << c.command;
    }
}

TEST(ButtonEvent, DecodesOnlyReportSix) {
    const Bytes releaseK4{6, 244, 0x80, 0, 0, 0, 0, 0};
    const std::optional<ButtonEvent> event = DecodeButtonEvent(releaseK4);
    ASSERT_TRUE(event.has_value());
    EXPECT_TRUE(IsRelease(*event));
    EXPECT_TRUE(IsButtonCode(event->code));
    EXPECT_EQ(HardwareIdOfCode(event->code), settings::HardwareButtonId[4]) << "button K4";

    const std::optional<ButtonEvent> press = DecodeButtonEvent(Bytes{6, 246, 2});
    ASSERT_TRUE(press.has_value());
    EXPECT_EQ(*press, (ButtonEvent{6, 246, 2}));
    EXPECT_FALSE(IsRelease(*press));

    EXPECT_FALSE(DecodeButtonEvent(Bytes{5, 244, 0x80}).has_value());
    EXPECT_FALSE(DecodeButtonEvent(Bytes{7, 244, 0x80}).has_value());
    EXPECT_FALSE(DecodeButtonEvent(Bytes{6, 244}).has_value()) << "too short";
    EXPECT_FALSE(DecodeButtonEvent(Bytes{}).has_value());
}

TEST(ButtonEvent, CodesUpTo240AreStopSignals) {
    EXPECT_FALSE(IsButtonCode(200));
    EXPECT_FALSE(IsButtonCode(240));
    EXPECT_TRUE(IsButtonCode(241));
    EXPECT_TRUE(IsButtonCode(255));
    EXPECT_EQ(InputCodeOf(settings::HardwareButtonId[5]), 248) << "button K5";
}

}  // namespace
}  // namespace trq::device
