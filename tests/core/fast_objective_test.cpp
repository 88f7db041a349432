#include "core/fast_objective.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "core/estimation.h"
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

// `count` nearly round ellipses: ln R0 about 2 · roundness, spread by roundness, random
// orientations, strained by a strain of ratio 1 + roundness along 30°.
std::unique_ptr<AnalysisState> NearlyRoundPopulation(int count, double roundness, unsigned seed) {
    auto state = std::make_unique<AnalysisState>();
    std::mt19937_64 random(seed);
    std::normal_distribution<double> logRatio(2.0 * roundness, roundness);
    std::uniform_real_distribution<double> orientation(-std::numbers::pi / 2, std::numbers::pi / 2);
    const double strainPhi = std::numbers::pi / 6;
    for (int k = 1; k <= count; ++k) {
        const double R = std::exp(std::fabs(logRatio(random))), phi = orientation(random);
        const Ellipse post = SuperposeStrain(1.0 + roundness, R, phi - strainPhi);
        state->RPost[k] = post.R;
        state->PhiPost[k] = post.phi + strainPhi;
    }
    state->DataCount = count;
    return state;
}

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

// The post vectors and the fast path share each datum's cos 2φ and sin 2φ: the post vectors are
// EllipseToVector's, and the fast path's values those it has from its own. From 1024 data on the
// conversions run in ranges on both threads; a reference evaluation inside a part runs on one.
TEST(FastObjective, SharesTheDoubledAnglesOfThePostVectorsBitForBit) {
    for (const int count : {40, 5000}) {
        auto state = RandomPopulation(count, {0.3, 0.1}, 13);
        const DoubledAngles angles = ComputePostVectors(*state);
        const FastObjective own(*state), shared(*state, angles);
        for (int k = 1; k <= count; ++k) {
            EXPECT_EQ(state->PostVectors[k], EllipseToVector(state->RPost[k], state->PhiPost[k]));
        }
        std::mt19937_64 random(17);
        for (int trial = 0; trial < 6; ++trial) {
            const StrainVector x = RandomTrial(random);
            EXPECT_EQ(shared.TryEvaluate(x), own.TryEvaluate(x)) << count;
            const double shareable = TSquaredOfStrain(*state, x);
            auto alone = std::make_unique<AnalysisState>(*state);
            double onOneThread = 0.0;
            RunInParallel(1, [&](int) { onOneThread = TSquaredOfStrain(*alone, x); });
            EXPECT_EQ(shareable, onOneThread) << count;
            for (int k = 1; k <= count; ++k) EXPECT_EQ(state->PreVectors[k], alone->PreVectors[k]);
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
    using testing_support::StateOf;
    struct Case {
        const char* name;
        std::unique_ptr<AnalysisState> state;
        StrainVector x;
        const char* message;  // nullptr: the reference value
    };
    Case cases[] = {
        {"collinear data, no strain", StateOf(CollinearData(10, 100)), {}, kDivisionByZeroMessage},
        {"collinear data (both threads), a strain along their axis",
         StateOf(CollinearData(90, 5000)), EllipseToVector(1.3, std::numbers::pi / 2),
         kDivisionByZeroMessage},
        // λ2 / λ1 about 1e-18: the errors of the pre vectors may change A C − B² by more than
        // the first-order bound of the principal frame allows.
        {"ellipses rounder than the principal frame vouches for",
         NearlyRoundPopulation(50, 1e-9, 4),
         {0.7, 0.6},
         nullptr},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisState& state = *c.state;
        const FastObjective fast(state);
        EXPECT_FALSE(fast.TryEvaluate(c.x).has_value());
        if (c.message) {
            EXPECT_EQ(testing_support::ErrorTextOf([&] { fast.Evaluate(state, c.x); }), c.message);
        } else {
            const double value = fast.Evaluate(state, c.x);
            EXPECT_EQ(value, TSquaredOfStrain(state, c.x));
        }
    }
}

TEST(FastObjective, EvaluatesNearlyRoundEllipsesFarFromTheirStrainInThePrincipalFrame) {
    // The fast path vouches for these values to 1e-11 (relative) of the exact ones, and the
    // reference path's principal frame is nearer still.
    constexpr double kPrincipalFrameAgreement = 1e-11;
    struct Case {
        int count;  // 5000 take the two-thread path
        double roundness;
    };
    // Rounder ellipses keep the vouched error only nearer to their strain: R − 1 about 5e-7 up
    // to |x| of about 1.4, where the pre vectors' errors near the size of their spread.
    const Case cases[] = {{12, 1e-6}, {700, 1e-6}, {5000, 2e-6}, {300, 5e-7}, {2000, 1e-6}};
    for (const Case& c : cases) {
        auto state = NearlyRoundPopulation(c.count, c.roundness, unsigned(c.count));
        const FastObjective fast(*state);
        for (int i = 0; i < 8; ++i) {
            // λ2 / λ1 from about 1e-10 (R − 1 about 1e-6, |x| = 0.1) to 1e-15.
            const double angle = i * 0.8, length = 0.1 + 0.18 * i;
            const StrainVector x{length * std::cos(angle), length * std::sin(angle)};
            SCOPED_TRACE(testing::Message() << c.count << " data, R − 1 about " << c.roundness
                                            << ", at (" << x.x1 << ", " << x.x2 << ")");
            const std::optional<double> single = fast.TryEvaluate(x);
            ASSERT_TRUE(single.has_value());
            const auto before = state->PreVectors;
            EXPECT_EQ(fast.Evaluate(*state, x), *single);
            EXPECT_EQ(state->PreVectors, before);
            const double reference = TSquaredOfStrain(*state, x);
            EXPECT_NEAR(*single, reference, kPrincipalFrameAgreement * reference);
        }
    }
}

}  // namespace
}  // namespace varnel
