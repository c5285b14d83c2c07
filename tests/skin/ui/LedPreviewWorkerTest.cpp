#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <vector>

#include "skin/ui/LedPreviewWorker.h"

namespace trq::skinui {
namespace {

using namespace std::chrono_literals;

// Steps from a script; the last step ends the thread. Records which repaints were asked for,
// and tells when the last step is done, its repaint included (a Stop() after that cannot
// take the repaint away).
struct Script {
    std::vector<PreviewStep> steps;
    std::atomic<int> stepsRun{0};
    std::atomic<int> repaints{0};
    std::promise<void> finished;

    bool LastStepRan() const { return stepsRun.load() == static_cast<int>(steps.size()); }

    LedPreviewWorker::Step MakeStep() {
        return [this] {
            const int i = stepsRun.fetch_add(1);
            PreviewStep step = steps.at(static_cast<std::size_t>(i));
            if (step.end && !step.repaint) finished.set_value();
            return step;
        };
    }
    LedPreviewWorker::Repaint MakeRepaint() {
        return [this] {
            repaints.fetch_add(1);
            if (LastStepRan()) finished.set_value();
        };
    }
};

TEST(LedPreviewWorker, RunsTheStepsAndAsksForTheirRepaintsUntilAStepEnds) {
    Script script;
    script.steps = {{true, 0ms, false}, {false, 1ms, false}, {true, 0ms, false}, {true, 0ms, true}};
    LedPreviewWorker worker;
    ASSERT_TRUE(worker.Start(script.MakeStep(), script.MakeRepaint()));
    script.finished.get_future().wait();
    worker.Stop();  // joins the thread that ended by itself
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(script.stepsRun.load(), 4);
    EXPECT_EQ(script.repaints.load(), 3);  // the ending step's repaint included
}

TEST(LedPreviewWorker, AtMostOneRunsAndANewOneMayStartAfterTheFirstEnded) {
    std::promise<void> entered;
    auto waitForever = [&entered, once = std::make_shared<std::once_flag>()] {
        std::call_once(*once, [&entered] { entered.set_value(); });
        return PreviewStep{false, std::chrono::hours(1), false};
    };
    LedPreviewWorker worker;
    ASSERT_TRUE(worker.Start(waitForever, nullptr));
    entered.get_future().wait();
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start(waitForever, nullptr)) << "a second preview must be refused";

    Script ending;
    ending.steps = {{true, 0ms, true}};
    worker.Stop();
    EXPECT_FALSE(worker.Running());
    ASSERT_TRUE(worker.Start(ending.MakeStep(), ending.MakeRepaint()));
    ending.finished.get_future().wait();
    worker.Stop();
    EXPECT_EQ(ending.repaints.load(), 1);

    // Ended by itself and not stopped: the next start joins it and runs.
    Script again;
    again.steps = {{false, 0ms, true}};
    ASSERT_TRUE(worker.Start(again.MakeStep(), again.MakeRepaint()));
    again.finished.get_future().wait();
}

TEST(LedPreviewWorker, StopEndsAWaitAtOnceAndNoRepaintFollows) {
    // A wait of an hour: if Stop() had to sit it out, this test would never end.
    std::atomic<int> repaints{0};
    std::promise<void> waiting;
    std::atomic<bool> first{true};
    LedPreviewWorker worker;
    ASSERT_TRUE(worker.Start(
        [&] {
            if (first.exchange(false)) waiting.set_value();
            return PreviewStep{true, std::chrono::hours(1), false};
        },
        [&repaints] { repaints.fetch_add(1); }));
    waiting.get_future().wait();
    worker.Stop();
    const int atStop = repaints.load();
    EXPECT_LE(atStop, 1);
    EXPECT_FALSE(worker.Running());
    worker.Stop();  // a second stop does nothing
    EXPECT_EQ(repaints.load(), atStop);
}

TEST(LedPreviewWorker, DestroyingARunningWorkerStopsIt) {
    std::promise<void> entered;
    std::atomic<bool> first{true};
    {
        LedPreviewWorker worker;
        ASSERT_TRUE(worker.Start(
            [&] {
                if (first.exchange(false)) entered.set_value();
                return PreviewStep{false, std::chrono::milliseconds::max(), false};
            },
            nullptr));
        entered.get_future().wait();
    }
    SUCCEED();
}

TEST(LedPreviewWorker, AnEmptyStepEndsAtOnce) {
    LedPreviewWorker worker;
    ASSERT_TRUE(worker.Start(nullptr, nullptr));
    worker.Stop();
    EXPECT_FALSE(worker.Running());
}

}  // namespace
}  // namespace trq::skinui
