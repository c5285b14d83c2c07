#include <gtest/gtest.h>

#include "settings/DeviceSettings.h"

namespace trq::settings {
namespace {

// Defaults with the given levels enabled and level `inUse` in use.
DeviceSettings WithLevels(std::array<std::uint8_t, 4> enabled, int inUse) {
    DeviceSettings s = DefaultSettings(0);
    s.dpiSetEnabled = enabled;
    s.dpiLevel = inUse;
    return s;
}

struct ToggleCase {
    const char* what;
    std::array<std::uint8_t, 4> enabled;
    int inUse;
    int toggled;
    std::array<std::uint8_t, 4> wantEnabled;
    int wantInUse;
};

TEST(ToggleDpiLevelEnabled, FollowsTheLevelRules) {
    const ToggleCase cases[] = {
        {"in-use level off moves up, wrapping", {1, 0, 1, 1}, 3, 3, {1, 0, 1, 0}, 0},
        {"in-use level off moves to next up", {1, 1, 0, 1}, 0, 0, {0, 1, 0, 1}, 1},
        {"in-use level off skips disabled", {1, 0, 0, 1}, 3, 3, {1, 0, 0, 0}, 0},
        {"only enabled level stays on and in use", {0, 0, 1, 0}, 2, 2, {0, 0, 1, 0}, 2},
        {"level not in use may leave one enabled", {1, 1, 0, 0}, 0, 1, {1, 0, 0, 0}, 0},
        {"disabled level is switched on", {1, 0, 0, 0}, 0, 3, {1, 0, 0, 1}, 0},
    };
    for (const ToggleCase& c : cases) {
        DeviceSettings s = WithLevels(c.enabled, c.inUse);
        ToggleDpiLevelEnabled(s, c.toggled);
        EXPECT_EQ(s.dpiSetEnabled, c.wantEnabled) << c.what;
        EXPECT_EQ(s.dpiLevel, c.wantInUse) << c.what;
    }
}

TEST(SelectDpiLevel, IgnoresDisabledAndOutOfRangeLevels) {
    DeviceSettings s = WithLevels({1, 0, 1, 1}, 0);
    SelectDpiLevel(s, 1);
    EXPECT_EQ(s.dpiLevel, 0);
    SelectDpiLevel(s, 4);
    SelectDpiLevel(s, -1);
    EXPECT_EQ(s.dpiLevel, 0);
    SelectDpiLevel(s, 2);
    EXPECT_EQ(s.dpiLevel, 2);
}

TEST(FireTime, StaysWithinItsRange) {
    DeviceSettings s = DefaultSettings(0);
    s.fireTime = 300;
    IncrementFireTime(s);
    EXPECT_EQ(s.fireTime, 300);
    s.fireTime = 0;
    DecrementFireTime(s);
    EXPECT_EQ(s.fireTime, 0);

    SetFireTimeFromSlider(s, 100, 100, 200);
    EXPECT_EQ(s.fireTime, 0);
    SetFireTimeFromSlider(s, 299, 100, 200);
    EXPECT_EQ(s.fireTime, 298);
    SetFireTimeFromSlider(s, 299, 0, 300);
    EXPECT_EQ(s.fireTime, 299);
    SetFireTimeFromSlider(s, 400, 100, 200);  // outside the slider
    EXPECT_EQ(s.fireTime, 299);
    SetFireTimeFromSlider(s, 5, 0, 0);
    EXPECT_EQ(s.fireTime, 299);
}

TEST(EnsureLeftButton, KeepsTheLeftButtonSomewhere) {
    DeviceSettings s = DefaultSettings(0);  // K0 is the left button
    SetButtonFunction(s, 0, 41);
    EXPECT_EQ(s.buttonFunction[0], 41);
    EXPECT_EQ(s.buttonFunction[1], 1) << "the next slot takes the left button";

    s.buttonFunction = {2, 2, 2, 2, 2, 2, 1};
    SetButtonFunction(s, 6, 3);
    EXPECT_EQ(s.buttonFunction[6], 1) << "the last slot gets it back itself";

    s.buttonFunction = {2, 1, 2, 2, 2, 2, 2};
    SetButtonFunction(s, 0, 1);
    SetButtonFunction(s, 1, 5);
    EXPECT_EQ(s.buttonFunction, (std::array<std::int32_t, 7>{1, 5, 2, 2, 2, 2, 2}));
}

TEST(OutOfRangeValues, AreKeptButClampedWhereUsed) {
    DeviceSettings s = DefaultSettings(0);
    s.dpiSet = {12, 255, 0, 11};
    s.dpiLevel = -3;
    s.ledStatus = 9;
    s.usbSpeed = 200;
    s.fireTime = -40;

    EXPECT_EQ(DpiCodeOfLevel(s, 0), DpiCodeTable[11]);
    EXPECT_EQ(DpiCodeOfLevel(s, 1), DpiCodeTable[11]);
    EXPECT_EQ(DpiValueOfLevel(s, 2), 200);
    EXPECT_EQ(DpiCodeOfLevel(s, 7), DpiCodeTable[0]) << "a bad level never indexes past";
    EXPECT_EQ(ClampedDpiLevel(s), 0);
    EXPECT_EQ(ClampedLedStatus(s), 3);
    EXPECT_EQ(ClampedUsbSpeed(s), 3);
    EXPECT_EQ(NextUsbSpeed(s.usbSpeed), 0) << "a wild rate step restarts the cycle";
    EXPECT_EQ(ClampedFireTime(s), 0);
    s.fireTime = 5000;
    EXPECT_EQ(ClampedFireTime(s), 300);
    EXPECT_EQ(s.dpiSet[1], 255) << "memory keeps the value as read";
}

TEST(DesktopTables, MapStepsToSystemValues) {
    const std::pair<int, int> pointer[] = {{0, 1},  {1, 2},  {4, 8},   {5, 10},
                                           {8, 16}, {9, 18}, {200, 18}};
    for (auto [step, speed] : pointer)
        EXPECT_EQ(PointerSpeedFor(step), speed) << step;
    EXPECT_EQ(WheelLinesFor(2), 3);
    EXPECT_EQ(WheelLinesFor(0), 1);
    EXPECT_EQ(WheelLinesFor(250), 10);
}

TEST(NextUsbSpeed, CyclesThroughFourSteps) {
    std::uint8_t speed = 2;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i)
        seen.push_back(speed = NextUsbSpeed(speed));
    EXPECT_EQ(seen, (std::vector<int>{3, 0, 1, 2}));
}

}  // namespace
}  // namespace trq::settings
