#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/linux/HidrawReadHandle.h"

namespace trq::platform {
namespace {

using device::ReadStatus;
using namespace std::chrono_literals;

// A pseudo-terminal stands in for a hidraw node: its master end is a character device that
// blocks while quiet, delivers what is written to the other end, and hangs up (POLLHUP,
// then EIO) when that end closes, as hidraw does when the device goes away.
class HidrawReadHandleTest : public testing::Test {
  protected:
    void SetUp() override {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        device_ = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(device_, 0);
        termios raw{};
        ASSERT_EQ(::tcgetattr(device_, &raw), 0);
        ::cfmakeraw(&raw);
        ASSERT_EQ(::tcsetattr(device_, TCSANOW, &raw), 0);
        master_ = master;
    }

    void TearDown() override { Unplug(); }

    std::unique_ptr<device::HidHandle> Make(bool numberedReports) {
        std::string error;
        auto handle = MakeHidrawReadHandle(master_, numberedReports, error);
        EXPECT_NE(handle, nullptr) << error;
        return handle;
    }

    void Send(const std::vector<std::uint8_t>& report) {
        ASSERT_EQ(::write(device_, report.data(), report.size()),
                  static_cast<ssize_t>(report.size()));
    }

    void Unplug() {
        if (device_ >= 0) ::close(device_);
        device_ = -1;
    }

    int master_ = -1;  // owned by the handle
    int device_ = -1;
    std::array<std::uint8_t, 16> buffer_{};
};

TEST_F(HidrawReadHandleTest, ReadsAReportAsSent) {
    auto handle = Make(true);
    Send({6, 245, 0x80});

    const device::ReadResult result = handle->Read(buffer_, 5s);

    ASSERT_EQ(result.status, ReadStatus::Ok) << handle->LastError();
    ASSERT_EQ(result.length, 3u);
    EXPECT_THAT(std::vector(buffer_.begin(), buffer_.begin() + 3),
                testing::ElementsAre(6, 245, 0x80));
}

TEST_F(HidrawReadHandleTest, ReportsWithoutIdGetAZeroIdByte) {
    auto handle = Make(false);
    Send({0x11, 0x22});

    const device::ReadResult result = handle->Read(buffer_, -1ms);

    ASSERT_EQ(result.status, ReadStatus::Ok) << handle->LastError();
    ASSERT_EQ(result.length, 3u);
    EXPECT_THAT(std::vector(buffer_.begin(), buffer_.begin() + 3),
                testing::ElementsAre(0, 0x11, 0x22));
}

TEST_F(HidrawReadHandleTest, LongestTimeoutStillReads) {
    auto handle = Make(true);
    Send({6, 241, 1});

    EXPECT_EQ(handle->Read(buffer_, std::chrono::milliseconds::max()).status, ReadStatus::Ok);
}

TEST_F(HidrawReadHandleTest, QuietDeviceTimesOut) {
    auto handle = Make(true);

    EXPECT_EQ(handle->Read(buffer_, 0ms).status, ReadStatus::Timeout);
    EXPECT_EQ(handle->Read(buffer_, 20ms).status, ReadStatus::Timeout);
}

TEST_F(HidrawReadHandleTest, CancelEndsABlockedReadAndEveryLaterOne) {
    auto handle = Make(true);
    device::ReadResult blocked;
    std::thread reader([&] { blocked = handle->Read(buffer_, -1ms); });
    std::this_thread::sleep_for(20ms);  // most likely inside poll() by now; either way works

    handle->CancelRead();
    reader.join();

    EXPECT_EQ(blocked.status, ReadStatus::Cancelled);
    Send({6, 1, 2});
    EXPECT_EQ(handle->Read(buffer_, -1ms).status, ReadStatus::Cancelled);
}

TEST_F(HidrawReadHandleTest, UnplugDeliversQueuedReportsThenStaysDisconnected) {
    auto handle = Make(true);
    Send({6, 241, 1});
    Unplug();

    EXPECT_EQ(handle->Read(buffer_, -1ms).status, ReadStatus::Ok);
    EXPECT_EQ(handle->Read(buffer_, -1ms).status, ReadStatus::Disconnected);
    EXPECT_FALSE(handle->LastError().empty());
    EXPECT_EQ(handle->Read(buffer_, -1ms).status, ReadStatus::Disconnected);
}

TEST_F(HidrawReadHandleTest, MisuseFailsWithAReason) {
    auto handle = Make(false);
    std::array<std::uint8_t, 1> idOnly{};

    EXPECT_EQ(handle->Read(idOnly, 0ms).status, ReadStatus::Error);
    EXPECT_THAT(handle->LastError(), testing::HasSubstr("buffer"));
    const std::uint8_t report[] = {7, 0x20, 0, 0};
    EXPECT_FALSE(handle->SendFeatureReport(report));
    EXPECT_THAT(handle->LastError(), testing::HasSubstr("reading"));
}

}  // namespace
}  // namespace trq::platform
