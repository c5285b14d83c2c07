#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/ReportDescriptor.h"

namespace trq::device {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Report ID 1: five buttons, three bits of padding, X, Y and wheel (4 data bytes).
const Bytes kMouseCollection = {
    0x05, 0x01,                    // Usage Page (Generic Desktop)
    0x09, 0x02,                    // Usage (Mouse)
    0xA1, 0x01,                    // Collection (Application)
    0x85, 0x01,                    //   Report ID (1)
    0x09, 0x01,                    //   Usage (Pointer)
    0xA1, 0x00,                    //   Collection (Physical)
    0x05, 0x09,                    //     Usage Page (Button)
    0x19, 0x01, 0x29, 0x05,        //     Usage Minimum (1), Usage Maximum (5)
    0x15, 0x00, 0x25, 0x01,        //     Logical Minimum (0), Logical Maximum (1)
    0x95, 0x05, 0x75, 0x01,        //     Report Count (5), Report Size (1)
    0x81, 0x02,                    //     Input (Data, Variable, Absolute)
    0x95, 0x01, 0x75, 0x03,        //     Report Count (1), Report Size (3)
    0x81, 0x01,                    //     Input (Constant)
    0x05, 0x01,                    //     Usage Page (Generic Desktop)
    0x09, 0x30, 0x09, 0x31, 0x09,  //     Usage (X), Usage (Y),
    0x38,                          //     Usage (Wheel)
    0x15, 0x81, 0x25, 0x7F,        //     Logical Minimum (-127), Logical Maximum (127)
    0x75, 0x08, 0x95, 0x03,        //     Report Size (8), Report Count (3)
    0x81, 0x06,                    //     Input (Data, Variable, Relative)
    0xC0,                          //   End Collection
    0xC0,                          // End Collection
};

// Page 0xFF00, usage 1: input report 6 with 7 data bytes.
const Bytes kVendorInputCollection = {
    0x06, 0x00, 0xFF,        // Usage Page (0xFF00)
    0x09, 0x01,              // Usage (1)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x06,              //   Report ID (6)
    0x09, 0x01,              //   Usage (1)
    0x15, 0x00, 0x26, 0xFF,  //   Logical Minimum (0), Logical Maximum (255)
    0x00,                    //
    0x75, 0x08, 0x95, 0x07,  //   Report Size (8), Report Count (7)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0xC0,                    // End Collection
};

// Page 0xFF01, usage 1: feature report 7 with 7 data bytes.
const Bytes kVendorFeatureCollection = {
    0x06, 0x01, 0xFF,        // Usage Page (0xFF01)
    0x09, 0x01,              // Usage (1)
    0xA1, 0x01,              // Collection (Application)
    0x85, 0x07,              //   Report ID (7)
    0x09, 0x01,              //   Usage (1)
    0x15, 0x00, 0x26, 0xFF,  //   Logical Minimum (0), Logical Maximum (255)
    0x00,                    //
    0x75, 0x08, 0x95, 0x07,  //   Report Size (8), Report Count (7)
    0xB1, 0x02,              //   Feature (Data, Variable, Absolute)
    0xC0,                    // End Collection
};

// A keyboard without report ids: modifiers, reserved byte, six keys in; LEDs out.
const Bytes kKeyboardWithoutIds = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Collection
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,  //   Key codes, Usage Min/Max
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  //   8 x 1 bit input
    0x75, 0x08, 0x95, 0x01, 0x81, 0x01,  //   1 byte constant input
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05,  //   LEDs
    0x75, 0x01, 0x95, 0x05, 0x91, 0x02,  //   5 x 1 bit output
    0x75, 0x03, 0x95, 0x01, 0x91, 0x01,  //   3 bits output padding
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65,  //   Key codes
    0x75, 0x08, 0x95, 0x06, 0x81, 0x00,  //   6 x 8 bit input
    0xC0,
};

Bytes Collection(std::uint8_t page, std::uint8_t usage, const Bytes& body) {
    return Cat({{0x05, page, 0x09, usage, 0xA1, 0x01}, body, {0xC0}});
}

struct Expected {
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::size_t inputReportLength;
    std::size_t featureReportLength;
};

void ExpectCollections(const ParsedDescriptor& parsed, const std::vector<Expected>& expected) {
    ASSERT_TRUE(parsed.ok()) << DescriptorErrorText(parsed.error) << " at " << parsed.errorOffset;
    ASSERT_EQ(parsed.collections.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("collection " + std::to_string(i));
        const TopLevelCollection& got = parsed.collections[i];
        EXPECT_EQ(got.usagePage, expected[i].usagePage);
        EXPECT_EQ(got.usage, expected[i].usage);
        EXPECT_EQ(got.inputReportLength, expected[i].inputReportLength);
        EXPECT_EQ(got.featureReportLength, expected[i].featureReportLength);
    }
}

TEST(ReportDescriptorTest, GamingMouseListsItsThreeCollectionsWithReportLengths) {
    const ParsedDescriptor parsed = ParseReportDescriptor(
        Cat({kMouseCollection, kVendorInputCollection, kVendorFeatureCollection}));

    ExpectCollections(parsed, {{0x01, 0x02, 5, 0}, {0xFF00, 0x01, 8, 0}, {0xFF01, 0x01, 0, 8}});
    EXPECT_TRUE(parsed.usesReportIds);

    // The mouse's nested pointer collection is listed among the usages, marked nested.
    ASSERT_EQ(parsed.collectionUsages.size(), 4u);
    const CollectionUsage& pointer = parsed.collectionUsages[1];
    EXPECT_EQ(pointer.usagePage, 0x01);
    EXPECT_EQ(pointer.usage, 0x01);
    EXPECT_EQ(pointer.topLevel, 0u);
    EXPECT_TRUE(pointer.nested);
    EXPECT_FALSE(parsed.collectionUsages[0].nested);
    EXPECT_EQ(parsed.collectionUsages[3].usagePage, 0xFF01);
    EXPECT_EQ(parsed.collectionUsages[3].topLevel, 2u);
    EXPECT_FALSE(parsed.collectionUsages[3].nested);
}

TEST(ReportDescriptorTest, WithoutReportIdsTheLengthStillCountsTheIdByte) {
    const ParsedDescriptor parsed = ParseReportDescriptor(kKeyboardWithoutIds);

    // 8 data bytes in; the output report counts for neither length.
    ExpectCollections(parsed, {{0x01, 0x06, 9, 0}});
    EXPECT_FALSE(parsed.usesReportIds);
}

struct LengthCase {
    const char* name;
    Bytes descriptor;
    std::vector<Expected> expected;
};

class ReportLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(ReportLengthTest, Collections) {
    ExpectCollections(ParseReportDescriptor(GetParam().descriptor), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ReportDescriptorTest, ReportLengthTest,
    testing::Values(
        LengthCase{"LargestReportIdWins",
                   Collection(0xA0, 0x01,
                              {
                                  0x75, 0x08,              // Report Size (8)
                                  0x85, 0x01, 0x95, 0x02,  // id 1: 2 bytes
                                  0x81, 0x02,              //
                                  0x85, 0x02, 0x95, 0x14,  // id 2: 20 bytes
                                  0x81, 0x02,              //
                                  0x85, 0x01, 0x95, 0x03,  // id 1 again: 3 more, 5 in all
                                  0x81, 0x02,              //
                                  0x85, 0x03, 0x95, 0x04,  // id 3: 4 bytes feature
                                  0xB1, 0x02,              //
                                  0x85, 0x04, 0x95, 0x02,  // id 4: 2 bytes feature
                                  0xB1, 0x02,              //
                              }),
                   {{0xA0, 0x01, 21, 5}}},
        LengthCase{"BitsRoundUpPerReportNotPerItem",
                   Collection(0xA0, 0x01,
                              {
                                  0x75, 0x01, 0x95, 0x05, 0x81, 0x02,  // 5 bits
                                  0x75, 0x01, 0x95, 0x04, 0x81, 0x02,  // 4 bits: 9 in all
                              }),
                   {{0xA0, 0x01, 3, 0}}},
        LengthCase{"TwoByteReportCount",
                   Collection(0xA0, 0x01, {0x75, 0x08, 0x96, 0x02, 0x01, 0xB1, 0x02}),
                   {{0xA0, 0x01, 0, 259}}},
        LengthCase{"PopRestoresSizeCountAndId",
                   Collection(0xA0, 0x01,
                              {
                                  0x85, 0x01, 0x75, 0x08, 0x95, 0x02,  // id 1, 2 bytes
                                  0xA4,                                // Push
                                  0x85, 0x02, 0x75, 0x10, 0x95, 0x08,  // id 2, 16 bytes
                                  0x81, 0x02,                          //
                                  0xB4,                                // Pop
                                  0x81, 0x02,                          // id 1, 2 bytes
                                  0xB1, 0x02,                          // id 1 feature
                              }),
                   {{0xA0, 0x01, 17, 3}}},
        LengthCase{"ReportIdsAreCountedPerCollection",
                   Cat({Collection(0xA0, 0x01, {0x85, 0x05, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02}),
                        Collection(0xA1, 0x01, {0x95, 0x02, 0x81, 0x02})}),
                   {{0xA0, 0x01, 5, 0}, {0xA1, 0x01, 3, 0}}},
        LengthCase{"FourByteUsageCarriesItsPage",
                   {0x05, 0x01,                          // Usage Page (Generic Desktop)
                    0x0B, 0x01, 0x00, 0x0C, 0x00,        // Usage (Consumer: Control)
                    0xA1, 0x01, 0x75, 0x10, 0x95, 0x01,  //
                    0x81, 0x00, 0xC0},
                   {{0x0C, 0x01, 3, 0}}},
        LengthCase{"PageSetAfterTheUsageStillApplies",
                   {0x09, 0x01, 0x06, 0x34, 0xFF, 0xA1, 0x01, 0xC0},
                   {{0xFF34, 0x01, 0, 0}}},
        LengthCase{"CollectionWithoutUsage",
                   {0x06, 0x00, 0xFF, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
                   {{0xFF00, 0x00, 2, 0}}},
        LengthCase{"UsageIsUsedUpByTheMainItemBeforeTheCollection",
                   {0x06, 0x00, 0xFF, 0x09, 0x05, 0x81, 0x02, 0xA1, 0x01, 0xC0},
                   {{0xFF00, 0x00, 0, 0}}},
        LengthCase{"ZeroBitReportIsNoReport",
                   Collection(0xA0, 0x01, {0x75, 0x08, 0x95, 0x00, 0x81, 0x02}),
                   {{0xA0, 0x01, 0, 0}}},
        LengthCase{"SloppyButHarmlessItemsAreSkipped",
                   Cat({{0x75, 0x08, 0x95, 0x04, 0x81, 0x02},  // Input outside collections
                        {0xFE, 0x02, 0x10, 0xAA, 0xBB},        // long item
                        {0x0C},                                // reserved item type
                        Collection(0xA0, 0x02, {0x95, 0x01, 0x81, 0x02}),  //
                        {0x00, 0x00, 0x00}}),                              // zero padding
                   {{0xA0, 0x02, 2, 0}}},
        LengthCase{"LongestAllowedReport",
                   Collection(0xA0, 0x01, {0x75, 0x08, 0x96, 0xFE, 0xFF, 0x81, 0x02}),
                   {{0xA0, 0x01, kMaxReportLength, 0}}},
        LengthCase{"DeepestAllowedNesting",
                   Cat({Repeat({0xA1, 0x00}, static_cast<int>(kMaxCollectionDepth)),
                        Repeat({0xC0}, static_cast<int>(kMaxCollectionDepth))}),
                   {{0x00, 0x00, 0, 0}}},
        LengthCase{"Empty", {}, {}}),
    [](const testing::TestParamInfo<LengthCase>& param) { return param.param.name; });

struct MalformedCase {
    const char* name;
    Bytes descriptor;
    DescriptorError error;
    std::size_t offset;
};

class MalformedDescriptorTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDescriptorTest, IsRejectedWithWhereAndWhy) {
    const ParsedDescriptor parsed = ParseReportDescriptor(GetParam().descriptor);

    EXPECT_EQ(parsed.error, GetParam().error) << DescriptorErrorText(parsed.error);
    EXPECT_EQ(parsed.errorOffset, GetParam().offset);
    EXPECT_TRUE(parsed.collections.empty());
    EXPECT_TRUE(parsed.collectionUsages.empty());
}

// Each case starts with a well-formed collection, so the error also has to drop it.
const Bytes kGood = Collection(0xA0, 0x01, {0x75, 0x08, 0x95, 0x01, 0x81, 0x02});
const std::size_t kAfterGood = kGood.size();

INSTANTIATE_TEST_SUITE_P(
    ReportDescriptorTest, MalformedDescriptorTest,
    testing::Values(
        MalformedCase{"OneByteItemCut", Cat({kGood, {0x05}}), DescriptorError::Truncated,
                      kAfterGood},
        MalformedCase{"FourByteItemCut", Cat({kGood, {0x0B, 0x01, 0x00}}),
                      DescriptorError::Truncated, kAfterGood},
        MalformedCase{"LongItemHeaderCut", Cat({kGood, {0xFE, 0x04}}), DescriptorError::Truncated,
                      kAfterGood},
        MalformedCase{"LongItemDataCut", Cat({kGood, {0xFE, 0x04, 0x10, 0x01, 0x02, 0x03}}),
                      DescriptorError::Truncated, kAfterGood},
        MalformedCase{"EndCollectionWithoutCollection", Cat({kGood, {0xC0}}),
                      DescriptorError::UnbalancedCollection, kAfterGood},
        MalformedCase{"CollectionNeverClosed", Cat({kGood, {0xA1, 0x01, 0xA1, 0x00, 0xC0}}),
                      DescriptorError::UnclosedCollection, kAfterGood + 5},
        MalformedCase{"NestedTooDeep",
                      Cat({kGood, Repeat({0xA1, 0x00}, static_cast<int>(kMaxCollectionDepth) + 1)}),
                      DescriptorError::NestingTooDeep, kAfterGood + 2 * kMaxCollectionDepth},
        MalformedCase{"TooManyPushes",
                      Cat({kGood, Repeat({0xA4}, static_cast<int>(kMaxGlobalStack) + 1)}),
                      DescriptorError::PushOverflow, kAfterGood + kMaxGlobalStack},
        MalformedCase{"PopWithoutPush", Cat({kGood, {0xA4, 0xB4, 0xB4}}),
                      DescriptorError::PopUnderflow, kAfterGood + 2},
        MalformedCase{"ReportIdZero", Cat({kGood, {0x85, 0x00}}), DescriptorError::InvalidReportId,
                      kAfterGood},
        MalformedCase{"ReportIdAbove255", Cat({kGood, {0x86, 0x00, 0x01}}),
                      DescriptorError::InvalidReportId, kAfterGood},
        MalformedCase{"OneBitTooLong",
                      Cat({kGood, Collection(0xA0, 0x02,
                                             {0x75, 0x08, 0x96, 0xFE, 0xFF, 0x81, 0x02,  //
                                              0x75, 0x01, 0x95, 0x01, 0x81, 0x02})}),
                      DescriptorError::ReportTooLong, kAfterGood + 6 + 11},
        MalformedCase{"HugeSizeTimesCount",
                      Cat({kGood, Collection(0xA0, 0x02,
                                             {0x77, 0xFF, 0xFF, 0xFF, 0xFF,  // Report Size
                                              0x97, 0xFF, 0xFF, 0xFF, 0xFF,  // Report Count
                                              0xB1, 0x02})}),
                      DescriptorError::ReportTooLong, kAfterGood + 6 + 10}),
    [](const testing::TestParamInfo<MalformedCase>& param) { return param.param.name; });

}  // namespace
}  // namespace trq::device
