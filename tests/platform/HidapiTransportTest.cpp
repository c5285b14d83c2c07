#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "device/ReportDescriptor.h"
#include "platform/HidTransportFactory.h"
#include "platform/linux/HidapiTransport.h"
#include "tests/support/TempDir.h"

// These machines have no hidraw nodes and no udev daemon: what a real mouse does is covered
// by the collection and read-handle tests; here the transport's own paths.

namespace trq::platform {
namespace {

using device::OpenMode;
using testing::HasSubstr;

TEST(HidapiTransportTest, EnumerateListsOnlyUsableEntries) {
    const std::unique_ptr<device::HidTransport> transport = MakeSystemHidTransport();
    ASSERT_NE(transport, nullptr);

    for (const device::HidDeviceInfo& info : transport->Enumerate()) {
        EXPECT_FALSE(info.path.empty());
        EXPECT_LE(info.inputReportLength, device::kMaxReportLength);
        EXPECT_LE(info.featureReportLength, device::kMaxReportLength);
    }
}

TEST(HidapiTransportTest, OpeningWhatIsNoDeviceFailsWithAReason) {
    test::TempDir dir;
    test::WriteBytes(dir / "plain-file", "not a device");
    HidapiTransport transport;

    for (OpenMode mode : {OpenMode::Read, OpenMode::Write}) {
        SCOPED_TRACE(mode == OpenMode::Read ? "read" : "write");
        EXPECT_EQ(transport.Open("", mode), nullptr);
        EXPECT_FALSE(transport.LastError().empty());

        EXPECT_EQ(transport.Open("/dev/hidraw-none", mode), nullptr);
        EXPECT_THAT(transport.LastError(), HasSubstr("/dev/hidraw-none"));

        const std::string file = (dir / "plain-file").string();
        EXPECT_EQ(transport.Open(file, mode), nullptr);
        EXPECT_THAT(transport.LastError(), HasSubstr(file));

        // A character device that is no hidraw node (hidapi 0.13.1 would crash on it).
        EXPECT_EQ(transport.Open("/dev/null", mode), nullptr);
        EXPECT_THAT(transport.LastError(), HasSubstr("not a hidraw device"));
    }
}

TEST(HidapiTransportTest, HotplugWatchStartsReplacesAndStops) {
    HidapiTransport transport;
    const auto ignore = [](device::HotplugEvent, const std::string&) {};

    ASSERT_TRUE(transport.WatchHotplug(ignore)) << transport.LastError();
    EXPECT_TRUE(transport.WatchHotplug(ignore));
    EXPECT_TRUE(transport.WatchHotplug({}));
    EXPECT_TRUE(transport.WatchHotplug({}));
    ASSERT_TRUE(transport.WatchHotplug(ignore));
    // The destructor stops the running watch.
}

}  // namespace
}  // namespace trq::platform
