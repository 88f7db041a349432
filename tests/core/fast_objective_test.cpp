#include "core/fast_objective.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "core/fast_objective_internals.h"
#include "core/messages.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "core/worker_pool.h"
#include "tests/support/analysis_states.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

// The two formulations of the retro-deformation differ only in rounding: a few units in the
// last place per datum, summed over the data.
constexpr double kObjectiveAgreement = 1e-12;

using testing_support::RandomPopulation;

StrainVector RandomTrial(std::mt19937_64& random) {
    std::uniform_real_distribution<double> component(-1.2, 1.2);
    return {component(random), component(random)};
}

TEST(FastObjective, AgreesWithTheReferencePathOnRandomData) {
    // 3000 data take the two-thread path, the others one thread.
    for (const int count : {3, 40, 777, 3000}) {
        auto state = RandomPopulation(count, {0.4, -0.25}, unsigned(count));
        const FastObjective fast(*state);
        std::mt19937_64 random(7);
        for (int trial = 0; trial < 12; ++trial) {
            const StrainVector x = trial == 0 ? StrainVector{} : RandomTrial(random);
            const double reference = TSquaredOfStrain(*state, x);
            EXPECT_NEAR(fast.Evaluate(*state, x), reference, kObjectiveAgreement * reference)
                << count << " data at (" << x.x1 << ", " << x.x2 << ")";
        }
    }
}

TEST(FastObjective, RetroDeformsEachEllipseAsTheTangentForm) {
    auto state = RandomPopulation(500, {-0.3, 0.6}, 11);
    const FastObjective fast(*state);
    std::mt19937_64 random(3);
    std::vector<StrainVector> pre(std::size_t(state->DataCount) + 1);
    for (int trial = 0; trial < 6; ++trial) {
        const StrainVector x = RandomTrial(random);
        TSquaredOfStrain(*state, x);
        FastObjectiveInternals::PreVectors(fast, x, pre);
        for (int k = 1; k <= state->DataCount; ++k) {
            const StrainVector& expected = state->PreVectors[k];
            // Absolute: a pre vector near the origin keeps the absolute error of its terms.
            EXPECT_NEAR(pre[k].x1, expected.x1, 1e-13) << k;
            EXPECT_NEAR(pre[k].x2, expected.x2, 1e-13) << k;
        }
    }
}

// From 2048 data Evaluate shares the blocks among the worker pool's threads; TryEvaluate sums
// them on the calling thread. 2048 data fill four whole blocks, 5000 end in a part-filled one.
TEST(FastObjective, IsBitIdenticalOnOneThreadAndOnTwo) {
    if (ParallelWidth() < 2) GTEST_SKIP() << "one processor: no second thread to share with";
    for (const int count : {2048, 5000}) {
        auto state = RandomPopulation(count, {0.2, 0.2}, 5);
        const FastObjective fast(*state);
        std::mt19937_64 random(9);
        for (int trial = 0; trial < 20; ++trial) {
            const StrainVector x = RandomTrial(random);
            const std::optional<double> single = fast.TryEvaluate(x);
            ASSERT_TRUE(single.has_value()) << count;
            EXPECT_EQ(fast.Evaluate(*state, x), *single) << count << " data";
        }
    }
}

TEST(FastObjective, LeavesThePreStrainDataAloneWhenItVouchesForItsValue) {
    auto state = RandomPopulation(50, {0.3, 0.1}, 2);
    TSquaredOfStrain(*state, {0.1, 0.1});
    const auto before = state->PreVectors;
    FastObjective(*state).Evaluate(*state, {0.5, -0.4});
    EXPECT_EQ(state->PreVectors, before);
}

TEST(FastObjective, HandsFaultsAndTwoDataToTheReferencePath) {
    struct Case {
        const char* name;
        std::vector<double> ratios;
        const char* message;  // nullptr: the reference value, T² = 1 for two data
    };
    const std::vector<Case> cases{
        {"one datum", {2.0}, kDivisionByZeroMessage},
        {"circles only: a zero moment matrix, 0 / 0", {1.0, 1.0, 1.0}, kInvalidOperationMessage},
        {"two data", {2.0, 3.0}, nullptr},
    };
    for (const Case& c : cases) {
        auto state = std::make_unique<AnalysisState>();
        for (double R : c.ratios) state->RPost[++state->DataCount] = R;
        state->PhiPost[1] = 0.3;
        const FastObjective fast(*state);
        if (!c.message) {
            EXPECT_EQ(fast.Evaluate(*state, {0.1, 0.2}), TSquaredOfStrain(*state, {0.1, 0.2}));
            continue;
        }
        try {
            fast.Evaluate(*state, {});
            ADD_FAILURE() << c.name;
        } catch (const VarnelError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.name;
        }
    }
}

TEST(FastObjective, HandsNearlySingularMomentMatricesToTheReferencePath) {
    using testing_support::CollinearData;
    struct Case {
        const char* name;
        std::vector<testing_support::DatumInDegrees> data;
        StrainVector x;
        const char* message;  // nullptr: the reference value
    };
    const Case cases[] = {
        {"collinear data, no strain", CollinearData(10, 100), {}, kDivisionByZeroMessage},
        {"collinear data (both threads), a strain along their axis", CollinearData(90, 5000),
         EllipseToVector(1.3, std::numbers::pi / 2), kDivisionByZeroMessage},
        {"nearly round ellipses, a strain far from theirs",
         testing_support::StrainedNearCircles(1e-6, 30),
         {0.1, -0.1},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = testing_support::StateOf(c.data);
        const FastObjective fast(*state);
        EXPECT_FALSE(fast.TryEvaluate(c.x).has_value());
        if (c.message) {
            EXPECT_EQ(testing_support::ErrorTextOf([&] { fast.Evaluate(*state, c.x); }), c.message);
        } else {
            const double value = fast.Evaluate(*state, c.x);
            EXPECT_EQ(value, TSquaredOfStrain(*state, c.x));
        }
    }
}

}  // namespace
}  // namespace varnel
