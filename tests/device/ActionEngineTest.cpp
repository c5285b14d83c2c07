#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "device/ActionEngine.h"
#include "device/InputReader.h"
#include "device/MouseProtocol.h"
#include "tests/device/PlaybackFakes.h"

namespace trq::device {
namespace {

using std::chrono::milliseconds;
using test::FakeClock;
using test::FakeReadHandle;
using test::FakeReadSource;
using test::HostEvent;
using test::kPatience;
using test::MakeMacro;
using test::RecordingHost;
using test::Report;
using test::Step;
using Events = std::vector<std::string>;

constexpr std::uint8_t CodeOfSlot(int slot) {
    return InputCodeOf(settings::HardwareButtonId[static_cast<std::size_t>(slot)]);
}
constexpr std::uint8_t kK3 = CodeOfSlot(3);  // 245
constexpr std::uint8_t kK4 = CodeOfSlot(4);  // 244
constexpr std::uint8_t kK5 = CodeOfSlot(5);  // 248

constexpr std::uint8_t kDown = macros::kActionDown;
constexpr std::uint8_t kUp = macros::kActionUp;

const std::string kNoKeys = "keys 00 00 00 00 00 00";

// Key A down and up; one repetition sends the two steps and ReleaseAll's two reports, and
// sleeps four times (after each step, and twice in ReleaseAll).
const macros::MacroRecord kTapA = MakeMacro({{4, kDown, 0}, {4, kUp, 0}});
const Events kTapATrace = {"keys 04 00 00 00 00 00", kNoKeys, "buttons FF", kNoKeys};

// An engine on a recording host and a clock that never sleeps. Slot K3 plays user macro 0,
// K4 sends Volume Increment, K5 follows the mouse's DPI switch.
struct EngineRig {
    EngineRig() {
        host.snapshot.buttonFunction = {1, 2, 3, 41, 24, 15, 16};
        host.snapshot.dpiMirrorFlags = {false, false, false, false, false, true, true};
    }

    // Hands the engine a press, as the reader would, and waits until it is done.
    void Press(std::uint8_t code, std::uint8_t level = 1) {
        engine.Start();
        ASSERT_TRUE(flags.Post({code, level}));
        ASSERT_TRUE(flags.WaitUntilIdle(kPatience));
    }

    PlaybackFlags flags;
    FakeClock clock;
    RecordingHost host{&clock};
    ActionEngine engine{flags, host, clock};
};

int Count(const Events& events, const std::string& what) {
    return static_cast<int>(std::count(events.begin(), events.end(), what));
}

TEST(ActionEngine, PlaysAMacroWithItsDelaysAndReleasesEverything) {
    EngineRig rig;
    rig.host.userMacros = {
        MakeMacro({{4, kDown, 0}, {4, kUp, 5}, {240, kDown, 100}, {240, kUp, 0}})};
    rig.Press(kK3);
    EXPECT_EQ(rig.host.Events(), (std::vector<HostEvent>{{0, "keys 04 00 00 00 00 00"},
                                                         {15, kNoKeys},
                                                         {30, "buttons FE"},
                                                         {130, "buttons FF"},
                                                         {155, "buttons FF"},
                                                         {165, kNoKeys}}));
    EXPECT_EQ(rig.clock.Waits(),
              (std::vector<milliseconds>{milliseconds(15), milliseconds(15), milliseconds(100),
                                         milliseconds(15), milliseconds(10), milliseconds(10)}));
    EXPECT_FALSE(rig.flags.ActionPending());
}

TEST(ActionEngine, SlowSendsDoNotStretchTheGapsBetweenReports) {
    EngineRig rig;
    rig.host.sendCost = milliseconds(4);
    rig.host.userMacros = {MakeMacro({{4, kDown, 20}, {4, kUp, 0}}, 1, 2)};
    rig.Press(kK3);
    std::vector<long long> times;
    for (const HostEvent& e : rig.host.Events())
        times.push_back(e.ms);
    // A new repetition starts right after the last send of the one before it.
    EXPECT_EQ(times, (std::vector<long long>{0, 20, 45, 55, 59, 79, 104, 114}));
}

TEST(ActionEngine, AMacroWithoutStepsStillReleasesOncePerRepetition) {
    EngineRig rig;
    rig.host.userMacros = {MakeMacro({}, 1, 2)};
    rig.Press(kK3);
    EXPECT_EQ(rig.host.Events(),
              (std::vector<HostEvent>{
                  {10, "buttons FF"}, {20, kNoKeys}, {30, "buttons FF"}, {40, kNoKeys}}));
}

struct RepeatCase {
    const char* what;
    std::int32_t macroMode2;
    std::uint8_t repeatMode;
    std::uint16_t repeatCount;
    std::int32_t function;
    int repetitions;
};

TEST(ActionEngine, RepeatsAsTheModeAndTheMacroSay) {
    const RepeatCase cases[] = {
        {"once when repeatMode is 0", 0, 0, 7, 41, 1},
        {"repeatCount times when repeatMode is set", 0, 1, 3, 41, 3},
        {"repeatCount 0 sends nothing at all", 0, 1, 0, 41, 0},
        {"hold mode ignores the record and ends at 10000", 1, 1, 3, 41, 10000},
        {"constant macro plays once even in hold mode", 1, 1, 5, 33, 1},
        {"constant macro ignores its repeat fields", 0, 1, 5, 33, 1},
    };
    for (const RepeatCase& c : cases) {
        EngineRig rig;
        const macros::MacroRecord macro = MakeMacro({{4, kDown, 0}}, c.repeatMode, c.repeatCount);
        rig.host.userMacros = {macro};
        rig.host.constMacros = {kTapA, kTapA, macro};
        rig.host.snapshot.macroMode2 = c.macroMode2;
        rig.host.snapshot.buttonFunction[3] = c.function;
        rig.Press(kK3);
        const Events events = rig.host.What();
        EXPECT_EQ(Count(events, "buttons FF"), c.repetitions) << c.what;
        EXPECT_EQ(events.size(), 3u * static_cast<std::size_t>(c.repetitions)) << c.what;
    }
}

struct StepCase {
    const char* what;
    std::vector<Step> steps;
    Events reports;  // one per step, before ReleaseAll
};

TEST(ActionEngine, StepsHoldAtMostSixKeysAndTrackTheButtons) {
    const StepCase cases[] = {
        {"seventh key is dropped",
         {{4, kDown, 0},
          {5, kDown, 0},
          {6, kDown, 0},
          {7, kDown, 0},
          {8, kDown, 0},
          {9, kDown, 0},
          {10, kDown, 0}},
         {"keys 04 00 00 00 00 00", "keys 04 05 00 00 00 00", "keys 04 05 06 00 00 00",
          "keys 04 05 06 07 00 00", "keys 04 05 06 07 08 00", "keys 04 05 06 07 08 09",
          "keys 04 05 06 07 08 09"}},
        {"releasing the seventh key clears the sixth slot",
         {{4, kDown, 0},
          {5, kDown, 0},
          {6, kDown, 0},
          {7, kDown, 0},
          {8, kDown, 0},
          {9, kDown, 0},
          {10, kDown, 0},
          {10, kUp, 0}},
         {"keys 04 00 00 00 00 00", "keys 04 05 00 00 00 00", "keys 04 05 06 00 00 00",
          "keys 04 05 06 07 00 00", "keys 04 05 06 07 08 00", "keys 04 05 06 07 08 09",
          "keys 04 05 06 07 08 09", "keys 04 05 06 07 08 00"}},
        {"a release moves the later keys forward",
         {{4, kDown, 0}, {5, kDown, 0}, {6, kDown, 0}, {5, kUp, 0}},
         {"keys 04 00 00 00 00 00", "keys 04 05 00 00 00 00", "keys 04 05 06 00 00 00",
          "keys 04 06 00 00 00 00"}},
        {"a key pressed twice takes two slots",
         {{4, kDown, 0}, {4, kDown, 0}, {4, kUp, 0}},
         {"keys 04 00 00 00 00 00", "keys 04 04 00 00 00 00", "keys 04 00 00 00 00 00"}},
        {"other actions change nothing but still send",
         {{4, kDown, 0}, {5, 0, 0}, {240, 3, 0}},
         {"keys 04 00 00 00 00 00", "keys 04 00 00 00 00 00", "buttons FF"}},
        {"buttons are active-low, each its own bit",
         {{240, kDown, 0}, {241, kDown, 0}, {242, kDown, 0}, {241, kUp, 0}, {243, kDown, 0}},
         {"buttons FE", "buttons FC", "buttons F8", "buttons FA", "buttons FA"}},
    };
    for (const StepCase& c : cases) {
        EngineRig rig;
        rig.host.userMacros = {MakeMacro(c.steps)};
        rig.Press(kK3);
        Events want = c.reports;
        want.insert(want.end(), {"buttons FF", kNoKeys});
        EXPECT_EQ(rig.host.What(), want) << c.what;
    }
}

struct FunctionCase {
    const char* what;
    std::int32_t function;
    bool mirror;
    bool rate;
    Events events;
};

TEST(ActionEngine, PerformsTheSlotsFunction) {
    const FunctionCase cases[] = {
        {"Volume Increment", 24, false, false, {"consumer 00E9"}},
        {"AC Home", 21, false, false, {"consumer 0223"}},
        {"AL Calculator key", 30, false, false, {"consumer 0192"}},
        {"calculator", 39, false, false, {"launch calculator"}},
        {"terminal", 40, false, false, {"launch terminal"}},
        {"DPI switch follows the level of the press", 15, true, false, {"dpi 2"}},
        {"rate switch", 14, false, true, {"rate"}},
        {"DPI function not applied yet: no flag, nothing", 15, false, false, {}},
        {"mouse button: the mouse does it", 1, false, false, {}},
        {"no function", 0, false, false, {}},
        {"code beyond the table", 53, false, false, {}},
        {"negative code", -1, false, false, {}},
        {"user macro the table does not hold", 42, false, false, {}},
        {"constant macro the table does not hold", 38, false, false, {}},
    };
    for (const FunctionCase& c : cases) {
        EngineRig rig;
        rig.host.userMacros = {kTapA};
        rig.host.constMacros = {kTapA};
        rig.host.snapshot.buttonFunction[3] = c.function;
        rig.host.snapshot.dpiMirrorFlags[3] = c.mirror;
        rig.host.snapshot.rateCycleFlags[3] = c.rate;
        rig.Press(kK3, 2);
        EXPECT_EQ(rig.host.What(), c.events) << c.what;
    }
}

TEST(ActionEngine, APressNoSlotMatchesIsDropped) {
    EngineRig rig;
    rig.host.userMacros = {kTapA};
    rig.Press(255);
    rig.Press(CodeOfSlot(0) - 1);  // 240: no button
    EXPECT_EQ(rig.host.What(), Events{});
    rig.Press(kK3);
    EXPECT_EQ(rig.host.What(), kTapATrace);
}

TEST(ActionEngine, PlaysTheMacroAsItWasWhenPlaybackStarted) {
    EngineRig rig;
    rig.host.userMacros = {MakeMacro({{4, kDown, 0}}, 1, 2)};
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 0) rig.host.EditUserMacro(0, MakeMacro({{5, kDown, 0}}, 1, 2));
    };
    rig.Press(kK3);
    EXPECT_EQ(Count(rig.host.What(), "keys 04 00 00 00 00 00"), 2);
    rig.Press(kK3);
    EXPECT_EQ(Count(rig.host.What(), "keys 05 00 00 00 00 00"), 2) << "the edit counts next time";
}

TEST(ActionEngine, StopEndsASleepingMacroAndReleasesWhatItHolds) {
    PlaybackFlags flags;
    SteadyPlaybackClock clock;
    RecordingHost host;
    host.snapshot.buttonFunction[3] = 41;
    host.userMacros = {MakeMacro({{4, kDown, 60000}, {240, kDown, 60000}}, 1, 100)};
    ActionEngine engine(flags, host, clock);
    engine.Start();
    ASSERT_TRUE(flags.Post({kK3, 1}));
    ASSERT_TRUE(host.WaitForEvents(1));
    engine.Stop();
    EXPECT_EQ(host.What(), (Events{"keys 04 00 00 00 00 00", "buttons FF", kNoKeys}));
    EXPECT_FALSE(flags.ActionPending());
}

// The reader and the engine together, on a fake mouse: how later reports end a playback.
// Every playback here plays kTapA on K3 with repeatCount 3.
struct TogetherRig : EngineRig {
    explicit TogetherRig(std::int32_t mode) : macroMode2(mode) {
        host.snapshot.macroMode2 = mode;
        host.userMacros = {kTapA};
        host.userMacros[0].repeatMode = 1;
        macros::SetRepeatCount(host.userMacros[0], 3);
    }

    void Start() {
        source.Plug(mouse);
        engine.Start();
        reader.Start();
    }
    // Feeds the reports and waits until the reader has acted on all of them.
    void Feed(std::shared_ptr<FakeReadHandle> to, const std::vector<Report>& reports) {
        for (const Report& report : reports)
            to->Push(report);
        ASSERT_TRUE(to->WaitUntilDrained());
    }
    void Feed(const std::vector<Report>& reports) { Feed(mouse, reports); }
    // Feeds a press and waits until the engine has done what it started.
    void PressAndWait(std::uint8_t code, std::uint8_t level = 1) {
        Feed({{6, code, level}});
        ASSERT_TRUE(flags.WaitUntilIdle(kPatience));
    }

    FakeReadSource source;
    std::shared_ptr<FakeReadHandle> mouse = std::make_shared<FakeReadHandle>();
    std::atomic<std::int32_t> macroMode2;
    InputReader reader{source, flags, [this] { return macroMode2.load(); }};
};

Events Repeated(int times) {
    Events events;
    for (int i = 0; i < times; ++i)
        events.insert(events.end(), kTapATrace.begin(), kTapATrace.end());
    return events;
}

TEST(ActionEngineWithReader, ToggleModeASecondPressEndsThePlaybackAfterItsRepetition) {
    TogetherRig rig(0);
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 0) rig.Feed({{6, kK4, 1}});  // any host-function button, mid-repetition
    };
    rig.Start();
    rig.PressAndWait(kK3);
    EXPECT_EQ(rig.host.What(), Repeated(1)) << "the stopping press performs nothing itself";
    rig.PressAndWait(kK3);
    EXPECT_EQ(rig.host.What(), Repeated(1 + 3));
}

TEST(ActionEngineWithReader, HoldModePlaysUntilTheReleaseAndIgnoresOtherPresses) {
    TogetherRig rig(1);
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 0) rig.Feed({{6, kK4, 1}});
        if (sleep == 8) rig.Feed({{6, kK3, 0x80}});  // during the third repetition
    };
    rig.Start();
    rig.PressAndWait(kK3);
    EXPECT_EQ(rig.host.What(), Repeated(3));
}

TEST(ActionEngineWithReader, AStopSignalEndsThePlaybackAfterItsRepetition) {
    TogetherRig rig(0);
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 0) rig.Feed({{6, 200, 1}});  // between the two steps
    };
    rig.Start();
    rig.PressAndWait(kK3);
    EXPECT_EQ(rig.host.What(), Repeated(1));
}

TEST(ActionEngineWithReader, StopsThatArriveWhileIdleLeaveNoTrace) {
    TogetherRig rig(1);
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 8) rig.Feed({{6, kK3, 0x80}});
    };
    rig.Start();
    rig.Feed({{6, 200, 1}, {6, kK3, 0x80}});
    rig.PressAndWait(kK3);
    EXPECT_EQ(rig.host.What(), Repeated(3)) << "a stale stop would have ended it after one";
}

TEST(ActionEngineWithReader, AMultimediaKeyIsSentOnPressOnly) {
    for (const std::int32_t mode : {0, 1}) {
        TogetherRig rig(mode);
        rig.Start();
        rig.PressAndWait(kK4);
        rig.Feed({{6, kK4, 0x80}});
        ASSERT_TRUE(rig.flags.WaitUntilIdle(kPatience));
        EXPECT_EQ(rig.host.What(), Events{"consumer 00E9"}) << "macroMode2 " << mode;
    }
}

TEST(ActionEngineWithReader, FollowsTheDpiLevelOfThePressItPerforms) {
    TogetherRig rig(0);
    // The button's release arrives before the engine gets to the press.
    bool first = true;
    rig.host.onSnapshot = [&] {
        if (std::exchange(first, false)) rig.Feed({{6, kK5, 0x80}});
    };
    rig.Start();
    rig.PressAndWait(kK5, 2);
    EXPECT_EQ(rig.host.What(), Events{"dpi 2"});
}

TEST(ActionEngineWithReader, AnUnplugEndsAPlaybackAndAReplugWorks) {
    TogetherRig rig(1);  // in hold mode only the release could have ended it
    auto replugged = std::make_shared<FakeReadHandle>();
    rig.clock.onSleep = [&](int sleep) {
        if (sleep == 0) {
            rig.mouse->Unplug();
            ASSERT_TRUE(rig.source.WaitForCaller(2));  // the reader has given the mouse up
        }
        if (sleep == 4) rig.Feed(replugged, {{6, kK3, 0x80}});  // second playback's release
    };
    rig.Start();
    rig.Feed({{6, kK3, 1}});
    ASSERT_TRUE(rig.flags.WaitUntilIdle(kPatience));
    EXPECT_EQ(rig.host.What(), Repeated(1));

    rig.source.Plug(replugged);
    rig.Feed(replugged, {{6, kK3, 1}});
    ASSERT_TRUE(rig.flags.WaitUntilIdle(kPatience));
    EXPECT_EQ(rig.host.What(), Repeated(2));
}

}  // namespace
}  // namespace trq::device
