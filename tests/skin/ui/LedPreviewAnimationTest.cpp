#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "skin/ui/LedPreviewAnimation.h"

namespace trq::skinui {
namespace {

using namespace std::chrono_literals;
using skin::LedPreview;

// The steps called directly, one by one, with inputs the test changes in between.
class LedPreviewStepsTest : public ::testing::Test {
  protected:
    LedPreviewSteps Make(LedPreview before = {}) {
        return LedPreviewSteps([this] { return inputs_; },
                               [this](LedPreview shown) { published_.push_back(shown); }, before);
    }

    LedPreviewInputs inputs_{true, 0, 0};
    std::vector<LedPreview> published_;
};

TEST_F(LedPreviewStepsTest, ModeZeroAlternatesColourAndGrayStepping1200Ms) {
    inputs_ = {true, 0, 2};
    LedPreviewSteps steps = Make();
    const PreviewStep first = steps();
    EXPECT_TRUE(first.repaint);
    EXPECT_EQ(first.wait, 1200ms);
    EXPECT_FALSE(first.end);
    steps();
    steps();
    // Start shows level 2's colour (red), then gray with the next colour, then that colour.
    ASSERT_EQ(published_.size(), 4u);
    EXPECT_EQ(published_[0], (LedPreview{2, false}));
    EXPECT_EQ(published_[1], (LedPreview{3, true}));
    EXPECT_EQ(published_[2], (LedPreview{3, false}));
    EXPECT_EQ(published_[3], (LedPreview{0, true}));
}

TEST_F(LedPreviewStepsTest, ALevelChangeHoldsTheNewColourThenWaitsThePhase) {
    inputs_ = {true, 1, 0};
    LedPreviewSteps steps = Make();
    EXPECT_EQ(steps().wait, 800ms);  // mode 1: fast phases
    inputs_.dpiLevel = 3;
    const PreviewStep hold = steps();
    EXPECT_TRUE(hold.repaint);
    EXPECT_EQ(hold.wait, 2000ms);
    EXPECT_EQ(published_.back(), (LedPreview{3, false}));
    const PreviewStep phase = steps();
    EXPECT_TRUE(phase.repaint);
    EXPECT_EQ(phase.wait, 800ms);
    EXPECT_EQ(published_.size(), 3u) << "the phase after a hold changes nothing";
}

TEST_F(LedPreviewStepsTest, EndsWithoutRepaintWhenThePageIsNotOrNoLongerShown) {
    inputs_ = {false, 0, 1};
    LedPreviewSteps never = Make({0, true});
    const PreviewStep first = never();
    EXPECT_TRUE(first.end);
    EXPECT_FALSE(first.repaint);
    // The start still takes the level's colour and keeps gray as it was.
    EXPECT_EQ(published_, (std::vector<LedPreview>{{1, true}}));

    inputs_ = {true, 2, 1};
    LedPreviewSteps left = Make();
    EXPECT_FALSE(left().end);
    inputs_.colorPageShown = false;
    EXPECT_TRUE(left().end);
}

// The thread end to end: repaint requests arrive, the shown colour is published, and Stop()
// ends it in the middle of a phase wait.
TEST(LedPreviewAnimation, RepaintsWhileShownAndStopsAtOnce) {
    std::atomic<bool> shown{true};
    std::atomic<int> ledMode{3};  // off: gray in the level's colour
    std::atomic<int> level{2};
    std::mutex mutex;
    std::condition_variable repainted;
    int repaints = 0;

    LedPreviewAnimation animation(
        [&] {
            return LedPreviewInputs{shown.load(), ledMode.load(), level.load()};
        },
        [&] {
            const std::lock_guard lock(mutex);
            ++repaints;
            repainted.notify_all();
        });
    EXPECT_EQ(animation.Shown(), (LedPreview{0, false}));
    ASSERT_TRUE(animation.Start());
    EXPECT_FALSE(animation.Start());
    {
        std::unique_lock lock(mutex);
        repainted.wait(lock, [&] { return repaints >= 1; });
    }
    EXPECT_EQ(animation.Shown(), (LedPreview{2, true}));
    animation.Stop();  // during the 1200 ms phase wait
    EXPECT_FALSE(animation.Running());

    // Not shown: a new start ends by itself without asking for a repaint.
    shown = false;
    level = 1;
    const int before = repaints;
    ASSERT_TRUE(animation.Start());
    animation.Stop();
    EXPECT_EQ(repaints, before);
}

}  // namespace
}  // namespace trq::skinui
