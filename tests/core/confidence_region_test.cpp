#include "core/confidence_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "core/estimation.h"
#include "core/objective.h"

namespace varnel {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// The three-ellipse example, estimated, with quantile tables of known values.
std::unique_ptr<AnalysisState> EstimatedExample() {
    auto state = std::make_unique<AnalysisState>();
    const Ellipse data[] = {{2, 10}, {3, 40}, {1.5, -20}, {1.8, 75}, {2.2, 5}};
    for (const Ellipse& e : data) {
        ++state->DataCount;
        state->RPost[state->DataCount] = e.R;
        state->PhiPost[state->DataCount] = e.phi * kDegree;
    }
    state->FQuantile39[5] = 0.5;
    state->FQuantile50[5] = 0.8;
    state->FQuantile95[5] = 4.5;
    EstimateStrain(*state, nullptr);
    return state;
}

double Distance(StrainVector a, StrainVector b) { return std::hypot(a.x1 - b.x1, a.x2 - b.x2); }

TEST(ComputePreConfidenceRegion, SamplesTheEllipseAboutTheMeanAlongItsAxes) {
    auto state = EstimatedExample();
    ComputePreConfidenceRegion(*state, ConfidenceLevel::Level95);
    const int N = state->DataCount;
    const double K = 2.0 * (N - 1) / (N * (N - 2.0)) * 4.5;
    const SymmetricEigen eigen = SymmetricEigen2(ComputeMomentMatrix(*state));
    const double A = std::sqrt(eigen.lambda1 * K), B = std::sqrt(eigen.lambda2 * K);
    const StrainVector m = MeanPreVector(*state);
    const auto along = [&](StrainVector e, double length) {
        return StrainVector{m.x1 + length * e.x1, m.x2 + length * e.x2};
    };
    EXPECT_LT(Distance(state->PreRegion[72], along(eigen.eigenvectorOfLambda1, A)), 1e-14);
    EXPECT_LT(Distance(state->PreRegion[18], along(eigen.eigenvectorOfLambda2, B)), 1e-14);
    EXPECT_LT(Distance(state->PreRegion[36], along(eigen.eigenvectorOfLambda1, -A)), 1e-14);
    // Every point lies on (v − m)ᵀ M⁻¹ (v − m) = K.
    const Matrix2 inverse = Invert2x2(ComputeMomentMatrix(*state));
    for (int i = 1; i <= kRegionPoints; ++i) {
        const double d1 = state->PreRegion[i].x1 - m.x1, d2 = state->PreRegion[i].x2 - m.x2;
        const double form = d1 * (inverse.m11 * d1 + inverse.m12 * d2) + d2 * (inverse.m21 * d1 + inverse.m22 * d2);
        EXPECT_NEAR(form, K, 1e-12 * K) << i;
    }
}

TEST(ComputePreConfidenceRegion, ScalesWithTheSquareRootOfTheLevelsQuantile) {
    auto state = EstimatedExample();
    ComputePreConfidenceRegion(*state, ConfidenceLevel::Level95);
    const auto wide = state->PreRegion;
    ComputePreConfidenceRegion(*state, ConfidenceLevel::Level39);
    const StrainVector m = MeanPreVector(*state);
    const double factor = std::sqrt(0.5 / 4.5);
    for (int i = 1; i <= kRegionPoints; ++i) {
        EXPECT_NEAR(state->PreRegion[i].x1 - m.x1, factor * (wide[i].x1 - m.x1), 1e-14) << i;
        EXPECT_NEAR(state->PreRegion[i].x2 - m.x2, factor * (wide[i].x2 - m.x2), 1e-14) << i;
    }
}

// What a missing, cut or damaged finv.dat leaves in the table: no range may then be given as
// a number, and nothing may fail.
TEST(ComputeConfidenceResults, WithoutAUsableQuantileNoRangeIsKnown) {
    const double unusable[] = {0.0, -0.0, -4.5, std::nan(""), HUGE_VAL, -HUGE_VAL};
    for (const double quantile : unusable) {
        auto state = EstimatedExample();
        const StrainVector estimate = state->StrainEstimate;
        state->FQuantile95[5] = quantile;
        EXPECT_FALSE(HasUsableQuantile(*state, ConfidenceLevel::Level95)) << quantile;
        EXPECT_TRUE(HasUsableQuantile(*state, ConfidenceLevel::Level50)) << quantile;
        ComputeConfidenceResults(*state, ConfidenceLevel::Level95);
        for (const ValueRange& range :
             {state->X1Range, state->X2Range, state->RRange, state->PhiRange}) {
            EXPECT_TRUE(std::isnan(range.min) && std::isnan(range.max)) << quantile;
        }
        EXPECT_EQ(state->StrainEstimate, estimate);
        // The region shrinks onto x_s, where the mean pre vector is zero.
        for (int i = 1; i <= kRegionPoints; ++i) {
            EXPECT_EQ(state->PreRegion[i], state->PreRegion[1]);
            EXPECT_NEAR(state->PostRegion[i].x1, estimate.x1, 1e-9);
            EXPECT_NEAR(state->PostRegion[i].x2, estimate.x2, 1e-9);
        }
        ComputeConfidenceResults(*state, ConfidenceLevel::Level50);
        EXPECT_LT(state->X1Range.min, state->X1Range.max) << quantile;
    }
}

TEST(HasUsableQuantile, NeedsAPositiveFiniteEntryForN) {
    auto state = EstimatedExample();
    EXPECT_TRUE(HasUsableQuantile(*state, ConfidenceLevel::Level39));
    EXPECT_TRUE(IsUsableQuantile(5e-324));
    EXPECT_FALSE(IsUsableQuantile(0.0));
    state->DataCount = 4;  // its entry was never filled
    EXPECT_FALSE(HasUsableQuantile(*state, ConfidenceLevel::Level39));
}

TEST(ComputePostConfidenceRegion, AppliesTheEstimatedStrainToEachPoint) {
    auto state = EstimatedExample();
    ComputePreConfidenceRegion(*state, ConfidenceLevel::Level50);
    ComputePostConfidenceRegion(*state);
    // Removing the strain again from each post point gives back the pre point.
    const Ellipse strain = VectorToEllipse(state->StrainEstimate);
    for (int i = 1; i <= kRegionPoints; ++i) {
        const Ellipse post = VectorToEllipse(state->PostRegion[i]);
        const Ellipse back = SuperposeStrain(1 / strain.R, post.R, post.phi - strain.phi);
        const StrainVector pre = EllipseToVector(back.R, back.phi + strain.phi);
        EXPECT_LT(Distance(pre, state->PreRegion[i]), 1e-12) << i;
    }
}

TEST(ComputeRegionRanges, TakesRangesOrNotANumberWhenTheBoxHoldsTheOrigin) {
    struct Case { const char* name; StrainVector center; double radius; bool numbers; };
    const Case cases[] = {
        {"box around the origin", {0.05, -0.05}, 0.2, false},
        {"box touching the x2 axis", {0.2, 0.1}, 0.2, true},
        {"box away from the origin", {0.6, 0.4}, 0.1, true},
    };
    for (const Case& c : cases) {
        auto state = std::make_unique<AnalysisState>();
        for (int i = 1; i <= kRegionPoints; ++i) {
            const double t = 5.0 * i * kDegree;
            state->PostRegion[i] = {c.center.x1 + c.radius * std::cos(t), c.center.x2 + c.radius * std::sin(t)};
        }
        ComputeRegionRanges(*state);
        EXPECT_DOUBLE_EQ(state->X1Range.min, c.center.x1 - c.radius) << c.name;
        EXPECT_DOUBLE_EQ(state->X2Range.max, c.center.x2 + c.radius) << c.name;
        EXPECT_EQ(std::isnan(state->RRange.min), !c.numbers) << c.name;
        EXPECT_EQ(std::isnan(state->PhiRange.max), !c.numbers) << c.name;
        if (c.numbers) {
            EXPECT_LE(state->RRange.min, state->RRange.max) << c.name;
        }
    }
}

TEST(ComputeRegionRanges, ARegionAcrossTheNegativeX1AxisSpansAlmostAllOrientations) {
    auto state = std::make_unique<AnalysisState>();
    for (int i = 1; i <= kRegionPoints; ++i) {
        const double t = 5.0 * i * kDegree;
        state->PostRegion[i] = {-1.0 + 0.3 * std::cos(t), 0.3 * std::sin(t)};
    }
    ComputeRegionRanges(*state);
    EXPECT_LT(state->PhiRange.min, -80.0);
    EXPECT_GT(state->PhiRange.max, 80.0);
}

}  // namespace
}  // namespace varnel
