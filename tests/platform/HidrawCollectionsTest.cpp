#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/HidrawCollections.h"
#include "tests/support/TempDir.h"

namespace trq::platform {
namespace {

using device::HidDeviceInfo;
using testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// A mouse collection (report 1, 4 data bytes) holding a nested pointer collection, then
// vendor collections 0xFF00 (input report 6, 7 bytes) and 0xFF01 (feature report 7, 7 bytes).
const Bytes kMouseDescriptor = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,                    // Generic Desktop, Mouse
    0x85, 0x01, 0x09, 0x01, 0xA1, 0x00,                    //   id 1, Pointer
    0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0, 0xC0,        //     4 bytes in
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,              // 0xFF00, 1
    0x85, 0x06, 0x75, 0x08, 0x95, 0x07, 0x81, 0x02, 0xC0,  //   id 6, 7 bytes in
    0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01,              // 0xFF01, 1
    0x85, 0x07, 0x75, 0x08, 0x95, 0x07, 0xB1, 0x02, 0xC0,  //   id 7, 7 bytes feature
};

// Two top-level collections with the same usage; the first holds a nested one with it too.
const Bytes kTwinDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // 0xFF00, 1
    0x09, 0x01, 0xA1, 0x02,                          //   0xFF00, 1 (logical)
    0x85, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02,  //     id 1, 2 bytes in
    0xC0, 0xC0,                                      //
    0x09, 0x01, 0xA1, 0x01,                          // 0xFF00, 1
    0x85, 0x02, 0x95, 0x0A, 0x81, 0x02, 0xC0,        //   id 2, 10 bytes in
};

struct Entry {
    std::string path;
    std::uint16_t usagePage;
    std::uint16_t usage;
    std::size_t inputReportLength = 0;
    std::size_t featureReportLength = 0;
};

std::vector<HidDeviceInfo> Listing(const std::vector<Entry>& entries) {
    std::vector<HidDeviceInfo> listed;
    for (const Entry& entry : entries) {
        HidDeviceInfo info;
        info.path = entry.path;
        info.vendorId = 0x1234;
        info.productId = 0x5678;
        info.usagePage = entry.usagePage;
        info.usage = entry.usage;
        listed.push_back(info);
    }
    return listed;
}

void ExpectEntries(const std::vector<HidDeviceInfo>& got, const std::vector<Entry>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(got[i].path, expected[i].path);
        EXPECT_EQ(got[i].vendorId, 0x1234);
        EXPECT_EQ(got[i].productId, 0x5678);
        EXPECT_EQ(got[i].usagePage, expected[i].usagePage);
        EXPECT_EQ(got[i].usage, expected[i].usage);
        EXPECT_EQ(got[i].inputReportLength, expected[i].inputReportLength);
        EXPECT_EQ(got[i].featureReportLength, expected[i].featureReportLength);
    }
}

class FakeSysfs : public testing::Test {
  protected:
    void Put(std::string_view node, const Bytes& descriptor) {
        const std::filesystem::path dir = sysfs_.path() / "class" / "hidraw" / node / "device";
        std::filesystem::create_directories(dir);
        test::WriteBytes(
            dir / "report_descriptor",
            std::string_view(reinterpret_cast<const char*>(descriptor.data()), descriptor.size()));
    }

    std::vector<HidDeviceInfo> Resolve(const std::vector<Entry>& listed) {
        return ResolveCollections(Listing(listed), sysfs_.path(), problem_);
    }

    test::TempDir sysfs_;
    std::string problem_;
};

TEST(ReportDescriptorPathTest, OnlyHidrawNodesHaveOne) {
    const std::filesystem::path root = "/fake/sys";
    EXPECT_EQ(ReportDescriptorPath(root, "/dev/hidraw0"),
              root / "class/hidraw/hidraw0/device/report_descriptor");
    EXPECT_EQ(ReportDescriptorPath(root, "/dev/hidraw12"),
              root / "class/hidraw/hidraw12/device/report_descriptor");
    for (const char* bad : {"", "/dev/hidraw", "/dev/hidrawX", "/dev/hidraw1a", "/dev/hidraw1/",
                            "/dev/input/event3", "/dev/hidraw1/../sda", "/dev/usb/hiddev0"}) {
        EXPECT_EQ(ReportDescriptorPath(root, bad), std::nullopt) << bad;
    }
}

TEST_F(FakeSysfs, ReadsTheDescriptorAndRefusesOverlongFiles) {
    Put("hidraw1", kMouseDescriptor);
    Put("hidraw2", Bytes(kMaxDescriptorFileSize + 1, 0x00));
    std::string error;

    EXPECT_EQ(ReadReportDescriptor(sysfs_.path(), "/dev/hidraw1", error), kMouseDescriptor);
    EXPECT_EQ(ReadReportDescriptor(sysfs_.path(), "/dev/hidraw2", error), std::nullopt);
    EXPECT_THAT(error, HasSubstr("too long"));
    EXPECT_EQ(ReadReportDescriptor(sysfs_.path(), "/dev/hidraw3", error), std::nullopt);
    EXPECT_THAT(error, HasSubstr("hidraw3"));
}

TEST_F(FakeSysfs, NestedCollectionsListedByHidapi013AreDropped) {
    Put("hidraw3", kMouseDescriptor);

    ExpectEntries(Resolve({{"/dev/hidraw3", 0x01, 0x02},
                           {"/dev/hidraw3", 0x01, 0x01},
                           {"/dev/hidraw3", 0xFF00, 0x01},
                           {"/dev/hidraw3", 0xFF01, 0x01}}),
                  {{"/dev/hidraw3", 0x01, 0x02, 5, 0},
                   {"/dev/hidraw3", 0xFF00, 0x01, 8, 0},
                   {"/dev/hidraw3", 0xFF01, 0x01, 0, 8}});
    EXPECT_EQ(problem_, "");
}

TEST_F(FakeSysfs, TopLevelOnlyListingGetsTheSameLengths) {
    Put("hidraw3", kMouseDescriptor);

    ExpectEntries(Resolve({{"/dev/hidraw3", 0x01, 0x02},
                           {"/dev/hidraw3", 0xFF00, 0x01},
                           {"/dev/hidraw3", 0xFF01, 0x01}}),
                  {{"/dev/hidraw3", 0x01, 0x02, 5, 0},
                   {"/dev/hidraw3", 0xFF00, 0x01, 8, 0},
                   {"/dev/hidraw3", 0xFF01, 0x01, 0, 8}});
}

TEST_F(FakeSysfs, ListingInAnotherOrderIsMatchedByUsage) {
    Put("hidraw3", kMouseDescriptor);

    ExpectEntries(Resolve({{"/dev/hidraw3", 0xFF01, 0x01}, {"/dev/hidraw3", 0xFF00, 0x01}}),
                  {{"/dev/hidraw3", 0xFF01, 0x01, 0, 8}, {"/dev/hidraw3", 0xFF00, 0x01, 8, 0}});
}

// Matching usage by usage would give the nested twin the second collection's lengths.
TEST_F(FakeSysfs, SameUsageTwiceIsTakenByPosition) {
    Put("hidraw0", kTwinDescriptor);
    const std::vector<Entry> expected = {{"/dev/hidraw0", 0xFF00, 0x01, 3, 0},
                                         {"/dev/hidraw0", 0xFF00, 0x01, 11, 0}};

    ExpectEntries(Resolve({{"/dev/hidraw0", 0xFF00, 0x01},
                           {"/dev/hidraw0", 0xFF00, 0x01},
                           {"/dev/hidraw0", 0xFF00, 0x01}}),
                  expected);
    ExpectEntries(Resolve({{"/dev/hidraw0", 0xFF00, 0x01}, {"/dev/hidraw0", 0xFF00, 0x01}}),
                  expected);
}

TEST_F(FakeSysfs, EachInterfaceUsesItsOwnDescriptor) {
    Put("hidraw3", kMouseDescriptor);
    Put("hidraw4", kTwinDescriptor);

    ExpectEntries(Resolve({{"/dev/hidraw4", 0xFF00, 0x01},
                           {"/dev/hidraw4", 0xFF00, 0x01},
                           {"/dev/hidraw3", 0xFF00, 0x01}}),
                  {{"/dev/hidraw4", 0xFF00, 0x01, 3, 0},
                   {"/dev/hidraw4", 0xFF00, 0x01, 11, 0},
                   {"/dev/hidraw3", 0xFF00, 0x01, 8, 0}});
}

struct UnresolvedCase {
    const char* name;
    std::string path;
    Bytes descriptor;  // put under hidraw5 when not empty
    std::string problem;
};

class UnresolvedTest : public FakeSysfs, public testing::WithParamInterface<UnresolvedCase> {};

TEST_P(UnresolvedTest, EntriesStayListedWithoutLengths) {
    if (!GetParam().descriptor.empty()) Put("hidraw5", GetParam().descriptor);
    Put("hidraw3", kMouseDescriptor);

    ExpectEntries(Resolve({{GetParam().path, 0xFF00, 0x01},
                           {GetParam().path, 0xFF02, 0x01},
                           {"/dev/hidraw3", 0xFF00, 0x01}}),
                  {{GetParam().path, 0xFF00, 0x01, 0, 0},
                   {GetParam().path, 0xFF02, 0x01, 0, 0},
                   {"/dev/hidraw3", 0xFF00, 0x01, 8, 0}});
    EXPECT_THAT(problem_, HasSubstr(GetParam().problem));
}

INSTANTIATE_TEST_SUITE_P(
    FakeSysfs, UnresolvedTest,
    testing::Values(UnresolvedCase{"NoDescriptorFile", "/dev/hidraw5", {}, "hidraw5"},
                    UnresolvedCase{"NotAHidrawNode", "/dev/usb/hiddev0", {}, "/dev/usb/hiddev0"},
                    UnresolvedCase{
                        "BrokenDescriptor", "/dev/hidraw5", {0x06, 0x00, 0xFF, 0xA1}, "byte 3"},
                    UnresolvedCase{"UsagesTheDescriptorLacks",
                                   "/dev/hidraw5",
                                   {0x06, 0x00, 0xFE, 0x09, 0x01, 0xA1, 0x01, 0xC0},
                                   "lacks"}),
    [](const testing::TestParamInfo<UnresolvedCase>& param) { return param.param.name; });

}  // namespace
}  // namespace trq::platform
