#include "methods/bootstrap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/estimation.h"
#include "core/messages.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "methods/studentised.h"
#include "tests/methods/synthetic_sets.h"
#include "tests/support/error_text.h"
#include "tests/support/recording_progress.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;
using testing_support::StateOf;

using testing_support::RecordingProgress;

void ExpectSameIntervals(const EstimatorBootstrap& x, const EstimatorBootstrap& y) {
    ASSERT_TRUE(x.intervals && y.intervals);
    const BootstrapIntervals &a = *x.intervals, &b = *y.intervals;
    EXPECT_EQ(a.R.lo, b.R.lo);
    EXPECT_EQ(a.R.hi, b.R.hi);
    EXPECT_EQ(a.phiDegrees.lo, b.phiDegrees.lo);
    EXPECT_EQ(a.phiDegrees.hi, b.phiDegrees.hi);
}

TEST(PercentileInterval, InterpolatesBetweenOrderStatistics) {
    // Type 7: the quantile q lies at (n − 1) q among the sorted values.
    struct Case {
        std::vector<double> values;
        int level;
        double lo, hi;
    };
    const Case cases[] = {
        {{5, 1, 4, 2, 3}, 50, 2.0, 4.0},
        {{5, 1, 4, 2, 3}, 95, 1.1, 4.9},
        {{5, 1, 4, 2, 3}, 39, 1.0 + 4 * 0.305, 1.0 + 4 * 0.695},
        {{7}, 95, 7.0, 7.0},
        {{}, 95, std::nan(""), std::nan("")},
    };
    for (const Case& c : cases) {
        const Interval interval = PercentileInterval(c.values, c.level);
        if (c.values.empty()) {
            EXPECT_TRUE(std::isnan(interval.lo) && std::isnan(interval.hi));
            continue;
        }
        EXPECT_NEAR(interval.lo, c.lo, 1e-12) << c.level;
        EXPECT_NEAR(interval.hi, c.hi, 1e-12) << c.level;
    }
}

TEST(EstimatesOf, GivesTheEstimateOfTheOpenCommandForEachResample) {
    const std::vector<EllipseInDegrees> data = EllipsesOf(Population{.count = 252, .seed = 6});
    const auto state = StateOf(data);
    const std::vector<ShapePoint> points = ShapePointsOf(data);
    for (int b = 0; b < 3; ++b) {
        const std::vector<std::uint32_t> indices = ResampleIndices(252, 1, b);
        std::vector<EllipseInDegrees> resampled;
        std::vector<ShapePoint> sample;
        for (std::uint32_t i : indices) {
            resampled.push_back(data[i]);
            sample.push_back(points[i]);
        }
        const auto open = EstimatedStateOf(resampled);
        const ResampleEstimates estimates = EstimatesOf(sample);
        ASSERT_TRUE(estimates.t2 && estimates.hyperbolicMean);
        EXPECT_NEAR(estimates.t2->x1, open->StrainEstimate.x1, 1e-12) << b;
        EXPECT_NEAR(estimates.t2->x2, open->StrainEstimate.x2, 1e-12) << b;
        EXPECT_EQ(estimates.hyperbolicMean->R, HyperbolicMeanOf(sample).R);
    }
}

TEST(RunBootstrap, GivesIntervalsAroundTheEstimatesIdenticallyOnAnyNumberOfThreads) {
    const auto state = EstimatedStateOf(EllipsesOf(Population{.count = 100, .seed = 2}));
    RecordingProgress progress;
    const std::optional<BootstrapResult> parallel =
        RunBootstrap(*state, 400, 9, ConfidenceLevel::Level95, &progress, nullptr);
    ASSERT_TRUE(parallel && parallel->t2.intervals && parallel->hyperbolicMean.intervals);
    EXPECT_EQ(parallel->B, 400);
    EXPECT_EQ(parallel->seed, 9u);
    EXPECT_EQ(parallel->levelPercent, 95);
    EXPECT_EQ(parallel->t2.failed, 0);
    EXPECT_EQ(parallel->t2.estimates.size(), 400u);
    const BootstrapIntervals &t2 = *parallel->t2.intervals,
                             &hyperbolic = *parallel->hyperbolicMean.intervals;
    const double Rs = EstimatedRatio(*state), phis = EstimatedPhiDegrees(*state);
    EXPECT_LT(t2.R.lo, Rs);
    EXPECT_GT(t2.R.hi, Rs);
    EXPECT_LT(t2.phiDegrees.lo, phis);
    EXPECT_GT(t2.phiDegrees.hi, phis);
    const HyperbolicMean mean = HyperbolicMeanOf(ObservedEllipses(*state));
    EXPECT_LT(hyperbolic.R.lo, mean.R);
    EXPECT_GT(hyperbolic.R.hi, mean.R);
    EXPECT_EQ(progress.maximum_, 400);
    ASSERT_FALSE(progress.positions_.empty());
    EXPECT_EQ(progress.positions_.back(), 400);
    EXPECT_TRUE(std::is_sorted(progress.positions_.begin(), progress.positions_.end()));

    // Started inside a part, the resamples run one after another on one thread.
    std::optional<BootstrapResult> serial;
    RunInParallel(2, [&](int part) {
        if (part == 0)
            serial = RunBootstrap(*state, 400, 9, ConfidenceLevel::Level95, nullptr, nullptr);
    });
    ASSERT_TRUE(serial);
    ExpectSameIntervals(serial->t2, parallel->t2);
    ExpectSameIntervals(serial->hyperbolicMean, parallel->hyperbolicMean);

    // A narrower level gives a narrower interval.
    const auto narrow = RunBootstrap(*state, 400, 9, ConfidenceLevel::Level39, nullptr, nullptr);
    EXPECT_GT(narrow->t2.intervals->R.lo, t2.R.lo);
    EXPECT_LT(narrow->t2.intervals->R.hi, t2.R.hi);
}

TEST(RunBootstrap, KeepsAPhiIntervalWholeAcrossNinetyDegrees) {
    Population population{.count = 80, .seed = 3};
    population.strain = {1.6, 89.0};
    const auto state = EstimatedStateOf(EllipsesOf(population));
    const auto result = RunBootstrap(*state, 400, 1, ConfidenceLevel::Level95, nullptr, nullptr);
    ASSERT_TRUE(result && result->t2.intervals);
    // An interval about ±90° reaches beyond it rather than splitting into two far ends.
    const Interval phi = result->t2.intervals->phiDegrees;
    EXPECT_LT(phi.hi - phi.lo, 30.0);
    EXPECT_TRUE(phi.hi > 90.0 || phi.lo < -90.0) << phi.lo << " " << phi.hi;
    EXPECT_LT(phi.lo, EstimatedPhiDegrees(*state));
    EXPECT_GT(phi.hi, EstimatedPhiDegrees(*state));
    // So does the φ range over the region, which holds the interval.
    ASSERT_TRUE(result->t2.region);
    const Interval range = result->t2.region->phiDegrees;
    EXPECT_LT(range.hi - range.lo, 40.0);
    EXPECT_LT(range.lo, phi.lo);
    EXPECT_GT(range.hi, phi.hi);
}

TEST(RunBootstrap, CentresEachRegionOnItsEstimateWithTheDatasOwnScale) {
    const std::vector<EllipseInDegrees> data = EllipsesOf(Population{.count = 60, .seed = 4});
    const auto state = EstimatedStateOf(data);
    const auto result = RunBootstrap(*state, 400, 3, ConfidenceLevel::Level95, nullptr, nullptr);
    ASSERT_TRUE(result && result->t2.region && result->hyperbolicMean.region);
    const std::vector<ShapePoint> points = ShapePointsOf(data);
    const BootstrapRegion& t2 = *result->t2.region;
    EXPECT_NEAR(t2.centre.x1, state->StrainEstimate.x1, 1e-7);
    EXPECT_NEAR(t2.centre.x2, state->StrainEstimate.x2, 1e-7);
    EXPECT_EQ(t2.scale.c11, T2ScaleOf(points, t2.centre)->c11);
    EXPECT_EQ(result->hyperbolicMean.region->scale.c22,
              HyperbolicMeanScaleOf(points, VectorOf(HyperbolicMeanOf(points)))->c22);
    EXPECT_TRUE(RegionHolds(t2, t2.centre));
    EXPECT_EQ(result->t2.pivots.size(), result->t2.estimates.size());
    // Stated again at 50 % from the same resamples: a smaller region.
    EstimatorBootstrap again = result->t2;
    StateAtLevel(again, result->B, 50);
    ASSERT_TRUE(again.region);
    EXPECT_LT(again.region->quantile, t2.quantile);
    EXPECT_GT(again.region->R.lo, t2.R.lo);
    EXPECT_LT(again.region->R.hi, t2.R.hi);
}

TEST(RunBootstrap, EachEstimatorKeepsItsOwnResamplesAndGivesNoIntervalsForTooManyFailures) {
    // Of three data, a resample drawing fewer than three distinct ones has its pre vectors on one
    // line through the origin at its T² estimate: T² does not exist there. Its hyperbolic mean
    // does, but the covariance of its points is singular too, and it has no scale to be
    // studentised by.
    const auto state = EstimatedStateOf({{2.0, 10.0}, {3.0, 40.0}, {1.5, -20.0}});
    constexpr int kB = 270;
    int degenerate = 0;
    for (int b = 0; b < kB; ++b) {
        const std::vector<std::uint32_t> indices = ResampleIndices(3, 5, b);
        degenerate += std::set<std::uint32_t>(indices.begin(), indices.end()).size() < 3;
    }
    const auto result = RunBootstrap(*state, kB, 5, ConfidenceLevel::Level50, nullptr, nullptr);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->t2.failed, degenerate);
    EXPECT_EQ(result->t2.estimates.size(), std::size_t(kB - degenerate));
    EXPECT_GT(degenerate, kB / 100);
    EXPECT_FALSE(result->t2.intervals);
    EXPECT_EQ(result->hyperbolicMean.failed, degenerate);
    EXPECT_FALSE(result->hyperbolicMean.intervals);
    EXPECT_FALSE(result->t2.region || result->hyperbolicMean.region);
    EXPECT_EQ(NotEstimatedText(degenerate, kB),
              "not estimated: " + std::to_string(degenerate) + " of 270 resamples failed");
}

TEST(TooManyFailed, AllowsOnePercentOfTheResamples) {
    struct Case {
        int failed, B;
        bool tooMany;
    };
    for (const Case& c : {Case{0, 400, false}, Case{4, 400, false}, Case{5, 400, true},
                          Case{10000, 1000000, false}, Case{10001, 1000000, true}}) {
        EXPECT_EQ(TooManyFailed(c.failed, c.B), c.tooMany) << c.failed << " of " << c.B;
    }
}

TEST(RunBootstrap, StopsWhenCancelled) {
    const auto state = EstimatedStateOf(EllipsesOf(Population{.count = 50}));
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(RunBootstrap(*state, 400, 1, ConfidenceLevel::Level95, nullptr, &cancel));
}

TEST(RunBootstrap, RefusesTooFewDataAndTooFewResamplesForTheTailsOfTheLevel) {
    // 10 resamples beyond each end: 10 / 2.5 % = 400, 10 / 25 % = 40, ⌈10 / 30.5 %⌉ = 33.
    const auto two = EstimatedStateOf({{2.0, 10.0}, {3.0, 40.0}});
    const auto three = EstimatedStateOf({{2.0, 10.0}, {3.0, 40.0}, {1.5, -20.0}});
    using testing_support::ErrorTextOf;
    EXPECT_EQ(ErrorTextOf(
                  [&] { RunBootstrap(*two, 400, 1, ConfidenceLevel::Level95, nullptr, nullptr); }),
              kTooFewDataMessage);
    struct Case {
        ConfidenceLevel level;
        int fewest;
        const char* message;
    };
    const Case cases[] = {
        {ConfidenceLevel::Level95, 400,
         "The bootstrap needs at least 400 resamples at the 95 % level."},
        {ConfidenceLevel::Level50, 40,
         "The bootstrap needs at least 40 resamples at the 50 % level."},
        {ConfidenceLevel::Level39, 33,
         "The bootstrap needs at least 33 resamples at the 39 % level."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FewestResamples(LevelPercentOf(c.level)), c.fewest);
        EXPECT_EQ(
            ErrorTextOf([&] { RunBootstrap(*three, c.fewest - 1, 1, c.level, nullptr, nullptr); }),
            c.message);
    }
}

}  // namespace
}  // namespace varnel::methods
