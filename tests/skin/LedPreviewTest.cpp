#include <gtest/gtest.h>

#include "skin/LedPreview.h"

namespace trq::skin {
namespace {

// One phase: the LED mode and level read, and what must be shown and waited.
struct Phase {
    int mode;
    int level;
    std::uint8_t color;
    bool gray;
    int holdMs;
    int waitMs;
};

void ExpectPhases(const char* what, LedPreviewState state, std::initializer_list<Phase> phases) {
    int n = 0;
    for (const Phase& p : phases) {
        const LedPreviewStep step = NextLedPreview(state, p.mode, p.level);
        EXPECT_EQ(step.state.shown, (LedPreview{p.color, p.gray})) << what << " phase " << n;
        EXPECT_EQ(step.holdMs, p.holdMs) << what << " phase " << n;
        EXPECT_EQ(step.waitMs, p.waitMs) << what << " phase " << n;
        state = step.state;
        ++n;
    }
}

TEST(LedPreview, StartsInTheColourOfTheLevelInUse) {
    EXPECT_EQ(StartLedPreview({0, true}, 2), (LedPreviewState{{2, true}, 2}));
    EXPECT_EQ(StartLedPreview({3, false}, 9), (LedPreviewState{{3, false}, 3}));
    EXPECT_EQ(StartLedPreview({3, false}, -1), (LedPreviewState{{0, false}, 0}));
}

TEST(LedPreview, BlinksThroughTheColours) {
    ExpectPhases("mode 0 from level 2", StartLedPreview({}, 2),
                 {{0, 2, 3, true, 0, 1200},  // goes gray and steps to the next colour
                  {0, 2, 3, false, 0, 1200},
                  {0, 2, 0, true, 0, 1200},  // 3 wraps to 0
                  {0, 2, 0, false, 0, 1200},
                  {0, 2, 1, true, 0, 1200}});
    ExpectPhases("mode 1 is faster", StartLedPreview({}, 0),
                 {{1, 0, 1, true, 0, 800}, {1, 0, 1, false, 0, 800}});
    ExpectPhases("unknown modes blink like mode 0", StartLedPreview({}, 1),
                 {{7, 1, 2, true, 0, 1200}, {-1, 1, 2, false, 0, 1200}});
}

TEST(LedPreview, FixedModesShowTheLevel) {
    ExpectPhases("steady and off", StartLedPreview({0, true}, 1),
                 {{2, 1, 1, false, 0, 1200},
                  {2, 3, 3, false, 0, 1200},  // a level change in a fixed mode: no hold
                  {3, 3, 3, true, 0, 1200},
                  {3, 0, 0, true, 0, 1200}});
}

TEST(LedPreview, HoldsANewLevelsColourFirst) {
    ExpectPhases("level change while blinking", StartLedPreview({}, 0),
                 {{0, 0, 1, true, 0, 1200},
                  {0, 2, 2, false, 2000, 1200},
                  {0, 2, 3, true, 0, 1200},
                  {1, 9, 3, false, 2000, 800}});  // level 9 is taken as 3
    // The fixed modes do not update the level seen, so the change shows on return to a
    // blinking mode.
    ExpectPhases("back from steady", StartLedPreview({}, 0),
                 {{2, 1, 1, false, 0, 1200}, {0, 1, 1, false, 2000, 1200}});
}

}  // namespace
}  // namespace trq::skin
