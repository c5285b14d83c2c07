#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "device/InputReader.h"
#include "tests/device/PlaybackFakes.h"

namespace trq::device {
namespace {

using test::FakeReadHandle;
using test::FakeReadSource;
using test::Report;

// A reader on a fake mouse; nothing performs the presses, so the flags keep what the
// reports did to them.
struct ReaderRig {
    explicit ReaderRig(std::int32_t mode = 0) : macroMode2(mode) {}

    // Feeds the reports and waits until the reader has acted on all of them.
    void Feed(const std::vector<Report>& reports) {
        for (const Report& report : reports)
            mouse->Push(report);
        ASSERT_TRUE(mouse->WaitUntilDrained());
    }

    PlaybackFlags flags;
    FakeReadSource source;
    std::shared_ptr<FakeReadHandle> mouse = std::make_shared<FakeReadHandle>();
    std::atomic<std::int32_t> macroMode2;
    std::atomic<int> disconnects{0};
    InputReader reader{source, flags, [this] { return macroMode2.load(); },
                       [this] { ++disconnects; }};
};

struct FlagCase {
    const char* what;
    std::int32_t macroMode2;
    std::vector<Report> reports;
    bool pending;
    std::uint8_t code;
    bool stop;
};

TEST(InputReader, TurnsButtonReportsIntoFlags) {
    const FlagCase cases[] = {
        {"press while idle is handed over", 0, {{6, 245, 1}}, true, 245, false},
        {"a press state is anything but 0x80", 0, {{6, 242, 0}}, true, 242, false},
        {"stop signal while idle does nothing", 0, {{6, 200, 1}}, false, 0, false},
        {"stop signal 240 while pending stops", 0, {{6, 245, 1}, {6, 240, 1}}, true, 245, true},
        {"stop signal 200 in hold mode stops", 1, {{6, 245, 1}, {6, 200, 0}}, true, 245, true},
        {"toggle: second press stops, first code kept",
         0,
         {{6, 245, 1}, {6, 241, 1}},
         true,
         245,
         true},
        {"hold: press while pending is dropped", 1, {{6, 245, 1}, {6, 241, 1}}, true, 245, false},
        {"hold: release stops", 1, {{6, 245, 1}, {6, 245, 0x80}}, true, 245, true},
        {"hold: release while idle leaves no stop", 1, {{6, 245, 0x80}}, false, 0, false},
        {"toggle: release does nothing", 0, {{6, 245, 1}, {6, 245, 0x80}}, true, 245, false},
        {"report id 5 is ignored", 0, {{5, 245, 1}}, false, 0, false},
        {"report id 7 is ignored", 0, {{7, 245, 1}}, false, 0, false},
        {"report id 7 is no stop signal", 0, {{6, 245, 1}, {7, 200, 1}}, true, 245, false},
        {"report without a state byte is ignored", 0, {{6, 245}}, false, 0, false},
    };
    for (const FlagCase& c : cases) {
        ReaderRig rig(c.macroMode2);
        rig.source.Plug(rig.mouse);
        rig.reader.Start();
        rig.Feed(c.reports);
        EXPECT_EQ(rig.flags.ActionPending(), c.pending) << c.what;
        EXPECT_EQ(rig.flags.PendingCode(), c.code) << c.what;
        EXPECT_EQ(rig.flags.StopRequested(), c.stop) << c.what;
    }
}

TEST(InputReader, WaitsForTheMouseToBeOpened) {
    ReaderRig rig;
    rig.reader.Start();
    ASSERT_TRUE(rig.source.WaitForCaller(1));
    rig.source.Plug(rig.mouse);
    rig.Feed({{6, 243, 1}});
    EXPECT_EQ(rig.flags.PendingCode(), 243);
}

TEST(InputReader, AfterAnUnplugStopsThePendingActionAndWaitsForAnotherHandle) {
    ReaderRig rig;
    rig.source.Plug(rig.mouse);
    rig.reader.Start();
    rig.Feed({{6, 245, 1}});

    rig.mouse->Unplug();
    ASSERT_TRUE(rig.source.WaitForCaller(2));
    EXPECT_EQ(rig.disconnects.load(), 1);
    EXPECT_TRUE(rig.flags.StopRequested()) << "nothing could end the action any more";
    EXPECT_EQ(rig.source.Stales(), (std::vector<const HidHandle*>{nullptr, rig.mouse.get()}));

    rig.flags.Finish();
    auto replugged = std::make_shared<FakeReadHandle>();
    rig.source.Plug(replugged);
    replugged->Push({6, 246, 1});
    ASSERT_TRUE(replugged->WaitUntilDrained());
    EXPECT_EQ(rig.flags.PendingCode(), 246);
}

TEST(InputReader, ACancelledHandleIsGivenUpWithoutAnUnplug) {
    ReaderRig rig;
    rig.source.Plug(rig.mouse);
    rig.reader.Start();
    rig.Feed({{6, 245, 1}});
    rig.mouse->CancelRead();
    ASSERT_TRUE(rig.source.WaitForCaller(2));
    EXPECT_EQ(rig.disconnects.load(), 0);
    EXPECT_FALSE(rig.flags.StopRequested());
}

TEST(InputReader, GoesOnAfterAFailedRead) {
    ReaderRig rig;
    rig.source.Plug(rig.mouse);
    rig.reader.Start();
    rig.mouse->PushStatus(ReadStatus::Error);
    rig.mouse->PushStatus(ReadStatus::Timeout);
    rig.Feed({{6, 245, 1}});
    EXPECT_EQ(rig.flags.PendingCode(), 245);
    EXPECT_EQ(rig.disconnects.load(), 0);
}

TEST(InputReader, StopEndsTheThreadWhereverItWaits) {
    {
        ReaderRig waitingForHandle;
        waitingForHandle.reader.Start();
        ASSERT_TRUE(waitingForHandle.source.WaitForCaller(1));
        waitingForHandle.reader.Stop();
    }
    ReaderRig reading;
    reading.source.Plug(reading.mouse);
    reading.reader.Start();
    reading.Feed({{6, 245, 1}});
    reading.reader.Stop();
    EXPECT_EQ(reading.disconnects.load(), 0);
}

}  // namespace
}  // namespace trq::device
