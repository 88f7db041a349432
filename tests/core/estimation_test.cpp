#include "core/estimation.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "core/objective.h"
#include "core/varnel_error.h"
#include "tests/support/analysis_states.h"
#include "tests/support/angle_units.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/error_text.h"
#include "tests/support/recording_progress.h"

namespace varnel {
namespace {

using testing_support::RandomPopulation;
using testing_support::RecordingProgress;
using testing_support::StateOf;

// Observed ellipses made by straining pre-strain ellipses of zero mean vector by `strain`.
std::unique_ptr<AnalysisState> StrainedPopulation(StrainVector strain) {
    auto state = std::make_unique<AnalysisState>();
    const Ellipse s = VectorToEllipse(strain);
    for (double R : {1.3, 1.8, 2.6}) {
        for (int i = 0; i < 6; ++i) {
            const double phi = (i * 30.0 + R * 7) * kDegree;  // six evenly spread axes: mean zero
            const Ellipse post = SuperposeStrain(s.R, R, phi - s.phi);
            ++state->DataCount;
            state->RPost[state->DataCount] = post.R;
            state->PhiPost[state->DataCount] = post.phi + s.phi;
        }
    }
    return state;
}

TEST(RandomGenerator, DrawsTheRuntimeSequenceFromSeedZero) {
    RandomGenerator random;
    random.Reset(0);
    const double expected[] = {1.0, 134775814.0, 3698175007.0, 870078620.0};
    for (double numerator : expected) EXPECT_EQ(random.Draw(), numerator / 4294967296.0);
}

TEST(EstimateStrain, MatchesTheThreeEllipseExample) {
    auto state = StateOf({{2, 10}, {3, 40}, {1.5, -20}});
    RecordingProgress progress;
    EstimateStrain(*state, &progress);
    EXPECT_NEAR(state->StrainEstimate.x1, 0.344687, 5e-7);
    EXPECT_NEAR(state->StrainEstimate.x2, 0.341247, 5e-7);
    EXPECT_NEAR(EstimatedRatio(*state), 1.624232, 5e-7);
    EXPECT_NEAR(EstimatedPhiDegrees(*state), 22.3563, 5e-5);
    // The pre-strain data are those of the estimate, whose mean pre vector vanishes.
    const StrainVector m = MeanPreVector(*state);
    EXPECT_NEAR(m.x1, 0.0, 1e-12);
    EXPECT_NEAR(m.x2, 0.0, 1e-12);
    EXPECT_EQ(progress.maximum_, 11);
    ASSERT_GE(progress.positions_.size(), 2u);
    EXPECT_EQ(progress.positions_.front(), 1);
    EXPECT_EQ(progress.positions_.back(), 0);
}

TEST(EstimateStrain, IsBitIdenticalWhenRepeated) {
    auto first = StrainedPopulation({0.5, -0.2});
    auto second = StrainedPopulation({0.5, -0.2});
    EstimateStrain(*first, nullptr);
    EstimateStrain(*second, nullptr);
    EstimateStrain(*second, nullptr);
    EXPECT_EQ(std::memcmp(&first->StrainEstimate, &second->StrainEstimate, sizeof(StrainVector)),
              0);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(EstimatedRatio(*first)),
              std::bit_cast<std::uint64_t>(EstimatedRatio(*second)));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(EstimatedPhiDegrees(*first)),
              std::bit_cast<std::uint64_t>(EstimatedPhiDegrees(*second)));
}

TEST(EstimateStrain, RecoversTheStrainThatMadeTheData) {
    struct Case {
        double R, phiDegrees, reportedPhi;
    };
    // A long axis at 120° is reported as −60°, in −90 … 90.
    const Case cases[] = {{2.0, 120.0, -60.0}, {1.5, 30.0, 30.0}, {3.0, -75.0, -75.0}};
    for (const Case& c : cases) {
        auto state = StrainedPopulation(EllipseToVector(c.R, c.phiDegrees * kDegree));
        EstimateStrain(*state, nullptr);
        EXPECT_NEAR(EstimatedRatio(*state), c.R, 1e-6) << c.phiDegrees;
        EXPECT_NEAR(EstimatedPhiDegrees(*state), c.reportedPhi, 1e-5) << c.phiDegrees;
    }
}

TEST(EstimateStrain, TwoDataGiveTheStartPointWithoutARestart) {
    auto state = StateOf({{2, 10}, {3, 70}});
    RecordingProgress progress;
    EstimateStrain(*state, &progress);
    const StrainVector start = InitialStrainGuess(*state, ReferenceObjective(*state));
    EXPECT_EQ(state->StrainEstimate, start);  // the objective is constant: T² = 1
    EXPECT_EQ(progress.positions_, (std::vector<int>{1, 0}));
}

TEST(EstimateStrain, FailsWithTheFloatingPointErrorOfTooFewData) {
    for (const auto& [count, message] :
         {std::pair{0, kInvalidOperationMessage}, std::pair{1, kDivisionByZeroMessage}}) {
        auto state = count == 0 ? StateOf({}) : StateOf({{2, 10}});
        EXPECT_EQ(testing_support::ErrorTextOf([&] { EstimateStrain(*state, nullptr); }), message)
            << count;
    }
}

TEST(EstimateStrain, RefusesDataWhosePreVectorsLieOnOneLineAtTheEstimate) {
    // T² is N − 1 at every strain: the Open ends before an estimate is stored.
    struct Case {
        const char* name;
        std::vector<testing_support::DatumInDegrees> data;
    };
    const Case cases[] = {
        {"ten each of two ellipses, alternating", testing_support::TwoDistinctEllipses(20)},
        {"two ellipses, one of them twice", {{2, 10}, {2, 10}, {3, 40}}},
        {"on one line through zero up to 1e-9", testing_support::NearlyCollinearData(10, 4, 1e-9)},
        {"on one line through zero up to 1e-12",
         testing_support::NearlyCollinearData(-35, 100, 1e-12)},
        // The estimate of these stops where the T² valley along the line is too narrow for the
        // simplex: R_s 1.556 for this pattern, 1.613 for another of the same size.
        {"on one line through zero up to 1e-6", testing_support::NearlyCollinearData(10, 20, 1e-6)},
        // Their pre vectors are spread at the estimate, but the post vectors lie on one line
        // and give T² = N − 1 at zero strain, an infinite F in the test of no strain.
        {"on the line x2 = 0.3 + 0.5 x1, which misses zero", testing_support::OffOriginLine()},
    };
    for (const Case& c : cases) {
        auto state = StateOf(c.data);
        EXPECT_EQ(testing_support::ErrorTextOf([&] { EstimateStrain(*state, nullptr); }),
                  kDivisionByZeroMessage)
            << c.name;
        EXPECT_EQ(state->StrainEstimate, StrainVector{}) << c.name;
        EXPECT_EQ(EstimatedRatio(*state), 0.0) << c.name;
    }
}

TEST(EstimateStrain, RecoversATinyStrainFromNearlyRoundEllipses) {
    for (const double roundness : {1e-4, 1e-6, 1e-7}) {
        for (const double strainDegrees : {30.0, -70.0}) {
            SCOPED_TRACE(testing::Message() << "R - 1 = " << roundness << " at " << strainDegrees);
            auto state = StateOf(testing_support::StrainedNearCircles(roundness, strainDegrees));
            EstimateStrain(*state, nullptr);
            const StrainVector expected = EllipseToVector(1 + roundness, strainDegrees * kDegree);
            // Ratios this near to 1 are doubles whose logarithms carry a relative error of
            // about 1e-16 / (R − 1); the estimate can be no closer than that.
            const double tolerance = 1e-14 / roundness * std::hypot(expected.x1, expected.x2);
            EXPECT_NEAR(state->StrainEstimate.x1, expected.x1, tolerance);
            EXPECT_NEAR(state->StrainEstimate.x2, expected.x2, tolerance);
            EXPECT_NEAR(EstimatedPhiDegrees(*state), strainDegrees, 1e-6);
        }
    }
}

TEST(EstimateStrain, FinishesByNewtonStepsWhereTheSimplexStopsShort) {
    struct Case {
        std::vector<testing_support::DatumInDegrees> data;
        double R, phiDegrees;  // the root in 40 digits, computed by shape tensors
    };
    const Case cases[] = {
        {{{1.0005344682044817, 54.273229988944962},
          {93.945155486328503, 15.584392043443444},
          {45.276646624008222, 87.157004248657728}},
         1.4641225295,
         32.1719938108},
        {{{91.177, 3.0817}, {90.092, 3.0695}, {90.825, 58.003}}, 5.2294512529, 4.6274208888},
    };
    for (const Case& c : cases) {
        auto state = StateOf(c.data);
        ComputePostVectors(*state);
        const ObjectiveFunction objective = ReferenceObjective(*state);
        const StrainVector simplex =
            MinimizeStrain(InitialStrainGuess(*state, objective), nullptr, objective);
        EXPECT_GT(TSquaredOfStrain(*state, simplex), 1.0) << c.R;  // the simplex stops short
        EstimateStrain(*state, nullptr);
        EXPECT_NEAR(EstimatedRatio(*state), c.R, 1e-9);
        EXPECT_NEAR(EstimatedPhiDegrees(*state), c.phiDegrees, 1e-8);
        const StrainVector m = MeanPreVector(*state);
        EXPECT_LE(std::hypot(m.x1, m.x2), 1e-12) << c.R;
    }
}

TEST(EstimateStrain, AgreesWithTheMinimisationOfTheReferenceObjective) {
    // The minimiser ends where the mean pre vector vanishes to rounding; both paths get there.
    constexpr double kReferenceAgreement = 1e-9;
    for (const auto& [count, strain] :
         {std::pair{30, StrainVector{0.5, 0.2}}, std::pair{400, StrainVector{-0.1, 0.45}}}) {
        auto state = RandomPopulation(count, strain, unsigned(count) + 1);
        EstimateStrain(*state, nullptr);
        const StrainVector fast = state->StrainEstimate;
        // The estimation as it runs on the reference objective alone.
        const ObjectiveFunction objective = ReferenceObjective(*state);
        const StrainVector reference =
            MinimizeStrain(InitialStrainGuess(*state, objective), nullptr, objective);
        EXPECT_NEAR(fast.x1, reference.x1, kReferenceAgreement) << count;
        EXPECT_NEAR(fast.x2, reference.x2, kReferenceAgreement) << count;
    }
}

}  // namespace
}  // namespace varnel
