#include "methods/methods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/messages.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "tests/methods/synthetic_sets.h"
#include "tests/support/error_text.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;

TEST(ComputeMethods, LeavesTheAnalysedStateAsItFoundIt) {
    auto state = EstimatedStateOf(EllipsesOf(Population{.count = 60}));
    // After a grid export the pre-strain data belong to another strain; keep those too.
    TSquaredOfStrain(*state, {0.1, -0.2});
    const auto before = std::make_unique<AnalysisState>(*state);
    const AnalysisState& analysed = *state;
    const MethodsResult result = ComputeMethods(analysed);
    EXPECT_TRUE(state->RPre == before->RPre);
    EXPECT_TRUE(state->PhiPre == before->PhiPre);
    EXPECT_TRUE(state->PreVectors == before->PreVectors);
    EXPECT_TRUE(state->PostVectors == before->PostVectors);
    EXPECT_EQ(state->StrainEstimate, before->StrainEstimate);
    EXPECT_EQ(state->DataCount, before->DataCount);
    // So the same data give the same answers, the p value of the symmetry index included.
    const MethodsResult again = ComputeMethods(*state);
    EXPECT_EQ(again.symmetryIndex.p, result.symmetryIndex.p);
    EXPECT_EQ(again.noStrain.p, result.noStrain.p);
    EXPECT_EQ(again.symmetryChi2.chi2, result.symmetryChi2.chi2);
    EXPECT_EQ(again.symmetryChi2.p, result.symmetryChi2.p);
}

TEST(ComputeMethods, ReportsTheThreeEllipseExample) {
    auto state = EstimatedStateOf({{2.0, 10.0}, {3.0, 40.0}, {1.5, -20.0}});
    const MethodsResult result = ComputeMethods(*state);
    EXPECT_NEAR(result.t2.R, 1.624232, 1e-6);
    EXPECT_NEAR(result.t2.phiDegrees, 22.3563, 1e-4);
    // T² ≈ 1.722751 at zero strain: H = T² / (1 − T² / 2), F = H / 4 on (2, 1) degrees of
    // freedom, whose upper tail is (1 + 2F)^(−1/2).
    const double H = 1.722751 / (1.0 - 1.722751 / 2.0), F = H / 4.0;
    EXPECT_NEAR(result.noStrain.F, F, 1e-4);
    EXPECT_NEAR(result.noStrain.p, 1.0 / std::sqrt(1.0 + 2.0 * F), 1e-6);
    EXPECT_EQ(result.symmetryChi2.classes, 3);
    EXPECT_EQ(result.symmetryNull.sets, 999);
    EXPECT_EQ(result.symmetryNull.failed, 0);
    EXPECT_EQ(result.rfMaxMin.rfMax, 3.0);
    EXPECT_EQ(result.rfMaxMin.rfMin, 1.5);
    EXPECT_NEAR(result.rfMaxMin.fluctuationDegrees, 60.0, 1e-9);
    EXPECT_EQ(result.rfMaxMin.caseName, "Ri<Rs");
    EXPECT_NEAR(result.harmonicMean.R, 3.0 / (0.5 + 1.0 / 3.0 + 1.0 / 1.5), 1e-12);
}

TEST(ComputeMethods, DividesByZeroWhereTheDataHaveASingularCovarianceAtZeroStrain) {
    // Post vectors (0.5, y) on a line that misses the origin: under no strain T² is N − 1
    // whatever the mean, and F would be infinite. The Open refuses them alike, so the state has
    // its post vectors but no estimate.
    std::vector<EllipseInDegrees> data;
    for (const double y : {-0.3, 0.0, 0.4, 0.1}) {
        const varnel::Ellipse e = VectorToEllipse({0.5, y});
        data.push_back({e.R, e.phi * 180.0 / std::numbers::pi});
    }
    auto state = testing_support::StateOf(data);
    EXPECT_EQ(testing_support::ErrorTextOf([&] { EstimateStrain(*state, nullptr); }),
              kDivisionByZeroMessage);
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ComputeMethods(*state); }),
              kDivisionByZeroMessage);
}

TEST(ComputeMethods, NeedsThreeData) {
    auto state = EstimatedStateOf({{2.0, 10.0}, {3.0, 40.0}});
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ComputeMethods(*state); }), kTooFewDataMessage);
}

}  // namespace
}  // namespace varnel::methods
