#include "app/bootstrap_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "core/estimation.h"
#include "core/messages.h"
#include "tests/app/wait_for_events.h"

namespace varnel::app {
namespace {

using testing_support::WaitFor;

// Twenty ellipses of ratios 1.3 … 2.4 around 30°, estimated.
std::unique_ptr<AnalysisState> Estimated(int count = 20) {
    auto state = std::make_unique<AnalysisState>();
    state->DataCount = count;
    for (int k = 1; k <= count; ++k) {
        state->RPost[k] = 1.3 + 0.055 * k;
        state->PhiPost[k] = (30.0 + 37.0 * std::sin(k * 1.7)) * std::numbers::pi / 180.0;
    }
    EstimateStrain(*state, nullptr);
    return state;
}

struct Outcomes {
    std::vector<BootstrapOutcome> ended;
    int lastMaximum = 0, lastPosition = 0;
    BootstrapRunner::ProgressCallback Progress() {
        return [this](int maximum, int position) {
            lastMaximum = maximum;
            lastPosition = position;
        };
    }
    BootstrapRunner::FinishedCallback Finished() {
        return [this](const BootstrapOutcome& outcome) { ended.push_back(outcome); };
    }
};

TEST(BootstrapRunner, ReportsTheResultAndTheLastProgressOnItsOwnThread) {
    const auto state = Estimated();
    BootstrapRunner runner;
    Outcomes outcomes;
    runner.Start(*state, 150, 7, ConfidenceLevel::Level50, outcomes.Progress(),
                 outcomes.Finished());
    EXPECT_TRUE(runner.Running());
    ASSERT_TRUE(WaitFor([&] { return !outcomes.ended.empty(); }));
    EXPECT_FALSE(runner.Running());
    ASSERT_EQ(outcomes.ended.size(), 1u);
    ASSERT_TRUE(outcomes.ended[0].result.has_value());
    EXPECT_EQ(outcomes.ended[0].result->B, 150);
    EXPECT_EQ(outcomes.ended[0].result->seed, 7u);
    EXPECT_EQ(outcomes.ended[0].result->levelPercent, 50);
    EXPECT_EQ(outcomes.lastMaximum, 150);
    EXPECT_EQ(outcomes.lastPosition, 150);
}

TEST(BootstrapRunner, CancelEndsTheRunWithNeitherResultNorError) {
    const auto state = Estimated();
    BootstrapRunner runner;
    Outcomes outcomes;
    runner.Start(*state, 1000000, 1, ConfidenceLevel::Level95, outcomes.Progress(),
                 outcomes.Finished());
    runner.Cancel();
    ASSERT_TRUE(WaitFor([&] { return !outcomes.ended.empty(); }));
    EXPECT_FALSE(outcomes.ended[0].result.has_value());
    EXPECT_EQ(outcomes.ended[0].error, "");
}

TEST(BootstrapRunner, AnErrorOfTheRunComesBackAsItsMessage) {
    const auto state = Estimated();
    state->DataCount = 2;
    BootstrapRunner runner;
    Outcomes outcomes;
    runner.Start(*state, 100, 1, ConfidenceLevel::Level95, outcomes.Progress(),
                 outcomes.Finished());
    ASSERT_TRUE(WaitFor([&] { return !outcomes.ended.empty(); }));
    EXPECT_EQ(outcomes.ended[0].error, kTooFewDataMessage);
}

TEST(BootstrapRunner, AnAbandonedRunIsNeverReportedNorEndsTheNextOne) {
    const auto state = Estimated();
    BootstrapRunner runner;
    Outcomes abandoned, next;
    runner.Start(*state, 1000000, 1, ConfidenceLevel::Level95, abandoned.Progress(),
                 abandoned.Finished());
    runner.Abandon();
    EXPECT_FALSE(runner.Running());
    runner.Start(*state, 400, 1, ConfidenceLevel::Level95, next.Progress(), next.Finished());
    ASSERT_TRUE(WaitFor([&] { return !next.ended.empty(); }));
    EXPECT_TRUE(abandoned.ended.empty());
    ASSERT_EQ(next.ended.size(), 1u);
    ASSERT_TRUE(next.ended[0].result.has_value());
    EXPECT_EQ(next.ended[0].result->B, 400);
}

TEST(BootstrapRunner, WorksOnACopySoTheCallersStateMayChangeMeanwhile) {
    auto state = Estimated();
    const auto reference = Estimated();
    BootstrapRunner runner;
    Outcomes changed, unchanged;
    runner.Start(*state, 400, 3, ConfidenceLevel::Level95, changed.Progress(), changed.Finished());
    for (int k = 1; k <= state->DataCount; ++k) state->RPost[k] = 9.0;  // the window moves on
    ASSERT_TRUE(WaitFor([&] { return !changed.ended.empty(); }));
    runner.Start(*reference, 400, 3, ConfidenceLevel::Level95, unchanged.Progress(),
                 unchanged.Finished());
    ASSERT_TRUE(WaitFor([&] { return !unchanged.ended.empty(); }));
    ASSERT_TRUE(changed.ended[0].result && unchanged.ended[0].result);
    EXPECT_EQ(changed.ended[0].result->t2.intervals->R.lo,
              unchanged.ended[0].result->t2.intervals->R.lo);
    EXPECT_EQ(changed.ended[0].result->t2.intervals->R.hi,
              unchanged.ended[0].result->t2.intervals->R.hi);
}

}  // namespace
}  // namespace varnel::app
