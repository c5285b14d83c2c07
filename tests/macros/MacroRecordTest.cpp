#include <gtest/gtest.h>

#include "macros/MacroRecord.h"

namespace trq::macros {
namespace {

using Bytes = std::array<std::uint8_t, sizeof(MacroRecord)>;

MacroRecord FilledWith(std::uint8_t byte) {
    Bytes bytes;
    bytes.fill(byte);
    return RecordFromBytes(bytes);
}

TEST(MacroRecord, FieldsLieAtTheirByteOffsets) {
    MacroRecord r = EmptyMacro();
    SetMacroName(r, u"Ab");
    r.repeatMode = 1;
    SetRepeatCount(r, 0x0302);
    r.stepCount = 4;
    r.keys[3] = {kCodeLeftButton, kActionUp};
    SetStepDelay(r, 3, 0x1234);
    SetStepDelay(r, 254, 0xBEEF);

    const Bytes bytes = RecordBytes(r);
    const std::pair<std::size_t, int> expected[] = {
        {0, 'A'},    {1, 0},          {2, 'b'},        {3, 0},       {4, 0},
        {40, 1},     {41, 0x02},      {42, 0x03},      {43, 4},      {44 + 6, 240},
        {45 + 6, 2}, {554 + 6, 0x34}, {555 + 6, 0x12}, {1062, 0xEF}, {1063, 0xBE},
    };
    for (auto [offset, value] : expected)
        EXPECT_EQ(bytes[offset], value) << offset;
    EXPECT_EQ(RecordFromBytes(bytes), r);
    EXPECT_EQ(RepeatCount(r), 0x0302);
    EXPECT_EQ(StepDelay(r, 3), 0x1234);
}

TEST(MacroRecord, EmptyMacroIsAllZero) {
    const Bytes bytes = RecordBytes(EmptyMacro());
    for (std::uint8_t b : bytes)
        ASSERT_EQ(b, 0);
}

TEST(MacroRecord, SlotsOutsideTheTableReadZeroAndAreNotWritten) {
    MacroRecord r = FilledWith(0x5A);
    const MacroRecord before = r;
    for (int slot : {-1, kMaxSteps, 1000}) {
        EXPECT_EQ(StepDelay(r, slot), 0) << slot;
        SetStepDelay(r, slot, 7);
    }
    EXPECT_EQ(r, before);
}

TEST(MacroName, NineteenUnitsKeepTheTerminator) {
    MacroRecord r = FilledWith(0x77);
    const std::u16string nineteen = u"abcdefghijklmnopqrs";
    ASSERT_EQ(nineteen.size(), 19u);
    SetMacroName(r, nineteen);
    EXPECT_EQ(MacroName(r), nineteen);
    EXPECT_EQ(r.name[38], 0);
    EXPECT_EQ(r.name[39], 0);
    EXPECT_EQ(r.repeatMode, 0x77) << "only the name bytes change";
}

TEST(MacroName, LongerNamesAreCut) {
    const struct {
        const char* what;
        std::u16string in;
        std::u16string stored;
    } cases[] = {
        {"plain", u"abcdefghijklmnopqrstuvwxyz", u"abcdefghijklmnopqrs"},
        {"twenty units", u"abcdefghijklmnopqrst", u"abcdefghijklmnopqrs"},
        {"pair across the cut", u"abcdefghijklmnopqr\U0001F600", u"abcdefghijklmnopqr"},
        {"pair before the cut", u"abcdefghijklmnopq\U0001F600x", u"abcdefghijklmnopq\U0001F600"},
        {"Chinese", u"一二三四五六七八九十一二三四五六七八九十",
         u"一二三四五六七八九十一二三四五六七八九"},
    };
    for (const auto& c : cases) {
        MacroRecord r = FilledWith(0x77);
        SetMacroName(r, c.in);
        EXPECT_EQ(MacroName(r), c.stored) << c.what;
        const std::size_t end = 2 * c.stored.size();
        for (std::size_t i = end; i < r.name.size(); ++i)
            EXPECT_EQ(r.name[i], 0) << c.what << i;
    }
}

TEST(MacroName, ShorterNameClearsTheOldTail) {
    MacroRecord r = EmptyMacro();
    SetMacroName(r, u"a long old name");
    SetMacroName(r, u"new");
    EXPECT_EQ(MacroName(r), u"new");
    for (std::size_t i = 6; i < r.name.size(); ++i)
        EXPECT_EQ(r.name[i], 0) << i;
}

// A name read from a file may lack its terminator: it ends with the name field.
TEST(MacroName, UnterminatedNameStopsAtTwentyUnits) {
    const MacroRecord r = FilledWith('x');
    EXPECT_EQ(MacroName(r), std::u16string(kNameUnits, u'\x7878'));
}

}  // namespace
}  // namespace trq::macros
