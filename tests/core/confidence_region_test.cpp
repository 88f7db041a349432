#include "core/confidence_region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "core/estimation.h"
#include "core/objective.h"
#include "tests/support/angle_units.h"

namespace varnel {
namespace {

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
        const double form =
            d1 * (inverse.m11 * d1 + inverse.m12 * d2) + d2 * (inverse.m21 * d1 + inverse.m22 * d2);
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
        EXPECT_EQ(RangesUnavailableReason(*state),
                  "finv.dat holds no quantile for N = 5 at this level, so no range is known.");
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

// The shape tensor of a log-strain vector v: E = exp([[v1, v2], [v2, −v1]]), symmetric with
// determinant 1, whose eigenvalues are R and 1 / R along the ellipse's axes. A strain x acts on
// an ellipse as E ↦ G E G with G = exp(S(x) / 2): the matrix route to the forward mapping,
// free of the tangent form, the arc tangents and the eigenvectors that the region code uses.
struct ShapeTensor {
    long double e11, e12, e22;
};

ShapeTensor ExpOf(long double v1, long double v2) {
    const long double L = std::hypot(v1, v2);
    if (L == 0) return {1, 0, 1};
    const long double c = std::cosh(L), s = std::sinh(L) / L;  // exp = cosh L · I + sinh L / L · S
    return {c + s * v1, s * v2, c - s * v1};
}

// The log-strain vector of a shape tensor: ln λmax times the unit traceless part.
std::pair<long double, long double> LogOf(const ShapeTensor& E) {
    const long double half = (E.e11 - E.e22) / 2, h = std::hypot(half, E.e12);
    if (h == 0) return {0, 0};
    const long double L = std::log((E.e11 + E.e22) / 2 + h);
    return {L * half / h, L * E.e12 / h};
}

ShapeTensor Between(const ShapeTensor& G, const ShapeTensor& E) {  // G E G, G symmetric
    const long double a11 = G.e11 * E.e11 + G.e12 * E.e12, a12 = G.e11 * E.e12 + G.e12 * E.e22;
    const long double a21 = G.e12 * E.e11 + G.e22 * E.e12, a22 = G.e12 * E.e12 + G.e22 * E.e22;
    return {a11 * G.e11 + a12 * G.e12, a11 * G.e12 + a12 * G.e22, a21 * G.e12 + a22 * G.e22};
}

struct Extremes {
    ValueRange x1{1e300, -1e300}, x2{1e300, -1e300}, R{1e300, -1e300}, phi{1e300, -1e300};
};

void Widen(ValueRange& range, long double value) {
    range.min = std::min(range.min, double(value));
    range.max = std::max(range.max, double(value));
}

// The ranges over the whole boundary (v − m)ᵀ M⁻¹ (v − m) = K, sampled densely by the direction
// from the mean: v = m + r(α) (cos α, sin α) with r(α)² = K / (dᵀ M⁻¹ d). m and M come from the
// state's pre vectors, summed here; each point goes forward by the matrix route.
Extremes DenseRegionExtremes(const AnalysisState& state, double quantile) {
    const int N = state.DataCount;
    long double m1 = 0, m2 = 0, s11 = 0, s12 = 0, s22 = 0;
    for (int k = 1; k <= N; ++k) {
        const StrainVector& p = state.PreVectors[k];
        m1 += p.x1;
        m2 += p.x2;
        s11 += (long double)p.x1 * p.x1;
        s12 += (long double)p.x1 * p.x2;
        s22 += (long double)p.x2 * p.x2;
    }
    m1 /= N;
    m2 /= N;
    s11 /= N - 1;
    s12 /= N - 1;
    s22 /= N - 1;
    const long double det = s11 * s22 - s12 * s12;
    const long double K = 2.0L * (N - 1) / (N * (N - 2.0L)) * quantile;
    const ShapeTensor G = ExpOf(state.StrainEstimate.x1 / 2.0L, state.StrainEstimate.x2 / 2.0L);
    Extremes found;
    constexpr int kDirections = 100000;
    for (int i = 0; i < kDirections; ++i) {
        const long double a = 2 * std::numbers::pi_v<long double> * i / kDirections;
        const long double d1 = std::cos(a), d2 = std::sin(a);
        const long double form = (d1 * d1 * s22 - 2 * d1 * d2 * s12 + d2 * d2 * s11) / det;
        const long double r = std::sqrt(K / form);
        const auto [x1, x2] = LogOf(Between(G, ExpOf(m1 + r * d1, m2 + r * d2)));
        Widen(found.x1, x1);
        Widen(found.x2, x2);
        Widen(found.R, std::exp(std::hypot(x1, x2)));
        Widen(found.phi, std::atan2(x2, x1) / 2 * 180 / std::numbers::pi_v<long double>);
    }
    return found;
}

// The region's 72 points lie on the boundary 5° of the ellipse's own angle apart, so each of
// their ranges lies inside the dense one and falls short of it by at most the drop of a smooth
// curve 2.5° from its extreme, 1 − cos 2.5° ≈ 1e-3 of its half-width; 4e-3 allows for the
// bending of the forward mapping. A wrong scale, axis or strain moves the ends by far more.
TEST(ComputeConfidenceResults, RangesAreThoseOfTheWholeBoundaryCarriedForward) {
    struct Case {
        ConfidenceLevel level;
        double quantile;   // the table's entry for N = 5
        bool holdsOrigin;  // the region's box holds the origin: R and φ ranges are NaN
    };
    const Case cases[] = {{ConfidenceLevel::Level39, 0.5, false},
                          {ConfidenceLevel::Level50, 0.2, false},
                          {ConfidenceLevel::Level95, 4.5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "F = " << c.quantile);
        auto state = EstimatedExample();
        state->FQuantile50[5] = 0.2;
        ComputeConfidenceResults(*state, c.level);
        const Extremes dense = DenseRegionExtremes(*state, c.quantile);
        EXPECT_EQ(dense.x1.min < 0 && dense.x1.max > 0 && dense.x2.min < 0 && dense.x2.max > 0,
                  c.holdsOrigin);
        std::vector<std::pair<const char*, std::pair<ValueRange, ValueRange>>> ranges = {
            {"x1", {state->X1Range, dense.x1}}, {"x2", {state->X2Range, dense.x2}}};
        if (c.holdsOrigin) {
            EXPECT_TRUE(std::isnan(state->RRange.min) && std::isnan(state->RRange.max));
            EXPECT_TRUE(std::isnan(state->PhiRange.min) && std::isnan(state->PhiRange.max));
        } else {
            ranges.push_back({"R", {state->RRange, dense.R}});
            ranges.push_back({"phi", {state->PhiRange, dense.phi}});
        }
        for (const auto& [name, pair] : ranges) {
            const auto& [range, expected] = pair;
            const double sampling = 4e-3 * (expected.max - expected.min) / 2;
            const double rounding =
                1e-9 * std::max(std::fabs(expected.min), std::fabs(expected.max));
            EXPECT_GE(range.min, expected.min - rounding) << name;
            EXPECT_LE(range.min, expected.min + sampling) << name;
            EXPECT_LE(range.max, expected.max + rounding) << name;
            EXPECT_GE(range.max, expected.max - sampling) << name;
        }
    }
}

TEST(ComputeRegionRanges, TakesRangesOrNotANumberWhenTheBoxHoldsTheOrigin) {
    struct Case {
        const char* name;
        StrainVector center;
        double radius;
        bool numbers;
    };
    const Case cases[] = {
        {"box around the origin", {0.05, -0.05}, 0.2, false},
        {"box touching the x2 axis", {0.2, 0.1}, 0.2, true},
        {"box away from the origin", {0.6, 0.4}, 0.1, true},
    };
    for (const Case& c : cases) {
        auto state = std::make_unique<AnalysisState>();
        for (int i = 1; i <= kRegionPoints; ++i) {
            const double t = 5.0 * i * kDegree;
            state->PostRegion[i] = {c.center.x1 + c.radius * std::cos(t),
                                    c.center.x2 + c.radius * std::sin(t)};
        }
        ComputeRegionRanges(*state);
        EXPECT_DOUBLE_EQ(state->X1Range.min, c.center.x1 - c.radius) << c.name;
        EXPECT_DOUBLE_EQ(state->X2Range.max, c.center.x2 + c.radius) << c.name;
        EXPECT_EQ(std::isnan(state->RRange.min), !c.numbers) << c.name;
        EXPECT_EQ(std::isnan(state->PhiRange.max), !c.numbers) << c.name;
        EXPECT_EQ(RangesUnavailableReason(*state),
                  c.numbers ? ""
                            : "The region at this level reaches zero strain, so R and φ have no "
                              "bounds.")
            << c.name;
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
