#include <gtest/gtest.h>

#include "settings/FunctionTable.h"

namespace trq::settings {
namespace {

TEST(FunctionTable, DeviceActionsOfEveryCodeGroup) {
    const std::pair<int, int> cases[] = {
        {0, 0},  {1, 1},   {5, 5},   {6, 6},   {7, 0},   {10, 0}, {11, 7},   {12, 8},
        {13, 9}, {14, 10}, {15, 11}, {16, 12}, {17, 13}, {18, 0}, {21, 0},   {31, 0},
        {39, 0}, {40, 0},  {41, 0},  {52, 0},  {53, 0},  {-1, 0}, {1000, 0},
    };
    for (auto [code, action] : cases)
        EXPECT_EQ(DeviceActionFor(code), action) << code;
}

TEST(FunctionTable, HostActions) {
    EXPECT_EQ(HostActionFor(6), HostAction::MirrorDpi);
    EXPECT_EQ(HostActionFor(15), HostAction::MirrorDpi);
    EXPECT_EQ(HostActionFor(16), HostAction::MirrorDpi);
    EXPECT_EQ(HostActionFor(14), HostAction::CycleRate);
    EXPECT_EQ(HostActionFor(31), HostAction::ConstMacro);
    EXPECT_EQ(HostActionFor(38), HostAction::ConstMacro);
    EXPECT_EQ(HostActionFor(39), HostAction::LaunchCalculator);
    EXPECT_EQ(HostActionFor(40), HostAction::LaunchTerminal);
    EXPECT_EQ(HostActionFor(41), HostAction::UserMacro);
    EXPECT_EQ(HostActionFor(52), HostAction::UserMacro);
    EXPECT_EQ(HostActionFor(0), HostAction::None);
    EXPECT_EQ(HostActionFor(53), HostAction::None);
    EXPECT_EQ(HostActionFor(-7), HostAction::None);
}

TEST(FunctionTable, ConsumerUsages) {
    const std::pair<int, int> cases[] = {{21, 0x223}, {22, 0x183}, {23, 0x18A}, {24, 0xE9},
                                         {25, 0xEA},  {26, 0xB6},  {27, 0xB5},  {28, 0xE2},
                                         {29, 0xCD},  {30, 0x192}, {20, 0},     {31, 0}};
    for (auto [code, usage] : cases)
        EXPECT_EQ(ConsumerUsageFor(code), usage) << code;
}

}  // namespace
}  // namespace trq::settings
