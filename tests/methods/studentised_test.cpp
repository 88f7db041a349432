#include "methods/studentised.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace varnel::methods {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

TEST(PreVectorAt, RemovesAndPostVectorAtAppliesAStrain) {
    // Strains along one axis add their ln R; the circle's pre vector at a is −a.
    struct Case {
        StrainVector a, b, pre;
    };
    const Case cases[] = {
        {{0.7, 0.0}, {1.2, 0.0}, {0.5, 0.0}},
        {{0.0, -0.4}, {0.0, 0.3}, {0.0, 0.7}},
        {{0.3, 0.4}, {0.0, 0.0}, {-0.3, -0.4}},
        {{0.0, 0.0}, {0.2, -0.9}, {0.2, -0.9}},
    };
    for (const Case& c : cases) {
        const StrainVector pre = PreVectorAt(c.a, c.b);
        EXPECT_NEAR(pre.x1, c.pre.x1, 1e-14);
        EXPECT_NEAR(pre.x2, c.pre.x2, 1e-14);
        const StrainVector back = PostVectorAt(c.a, pre);
        EXPECT_NEAR(back.x1, c.b.x1, 1e-14);
        EXPECT_NEAR(back.x2, c.b.x2, 1e-14);
    }
}

// Four ellipses whose log-strain vectors are (±a, 0) and (0, ±b).
std::vector<ShapePoint> Cross(double a, double b) {
    return {ShapePointOfVector({a, 0.0}), ShapePointOfVector({-a, 0.0}),
            ShapePointOfVector({0.0, b}), ShapePointOfVector({0.0, -b})};
}

TEST(T2ScaleOf, IsTheMomentMatrixOfThePreVectorsOverN) {
    // At zero strain the pre vectors are the data: Σ p pᵀ = diag(2a², 2b²), over (N − 1) N = 12.
    const std::optional<Covariance2> c = T2ScaleOf(Cross(0.3, 0.5), {0.0, 0.0});
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->c11, 2 * 0.09 / 12, 1e-15);
    EXPECT_NEAR(c->c12, 0.0, 1e-15);
    EXPECT_NEAR(c->c22, 2 * 0.25 / 12, 1e-15);
    // Pre vectors on one line give no scale.
    EXPECT_FALSE(T2ScaleOf(Cross(0.3, 0.0), {0.0, 0.0}));
}

TEST(HyperbolicMeanScaleOf, IsTheCovarianceOfTheSpatialPartsOverNTimesTheMeanTime) {
    // w = sinh ρ · direction; t̄ = (2 cosh a + 2 cosh b) / 4; Σ w wᵀ = diag(2 sinh² a, 2 sinh² b).
    const double a = 0.3, b = 0.5, t = (std::cosh(a) + std::cosh(b)) / 2;
    const std::optional<Covariance2> c = HyperbolicMeanScaleOf(Cross(a, b), {0.0, 0.0});
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->c11, 2 * std::sinh(a) * std::sinh(a) / (12 * t * t), 1e-15);
    EXPECT_NEAR(c->c12, 0.0, 1e-15);
    EXPECT_NEAR(c->c22, 2 * std::sinh(b) * std::sinh(b) / (12 * t * t), 1e-15);
}

TEST(PivotsOf, StudentisesTheErrorByTheResamplesOwnScale) {
    // The resample at (0.2, 0) errs by (0.2, 0) from the data's (0, 0): z = C^(−1/2) (0.2, 0).
    const ResamplePivots p = PivotsOf({0.2, 0.0}, {0.01, 0.0, 0.04}, {0.0, 0.0});
    EXPECT_NEAR(p.z.x1, 2.0, 1e-13);
    EXPECT_NEAR(p.z.x2, 0.0, 1e-13);
    EXPECT_NEAR(p.region, 4.0, 1e-12);
    // With a correlated scale, |z|² is δᵀ C⁻¹ δ: C = [[2, 1], [1, 2]] / 100, δ = (0.1, 0.1) gives
    // 100 · (0.1² · 2 − 2 · 0.01 + 0.1² · 2) / 3 = 2/3. The pre vector of (0, 0) at (0.1, 0.1)
    // is −(0.1, 0.1).
    const ResamplePivots q = PivotsOf({0.1, 0.1}, {0.02, 0.01, 0.02}, {0.0, 0.0});
    EXPECT_NEAR(q.region, 2.0 / 3.0, 1e-12);
}

// 101 resamples whose studentised errors are t = −50 … 50 times `direction`.
std::vector<ResamplePivots> EvenPivots(StrainVector direction = {1.0, 0.0}) {
    std::vector<ResamplePivots> pivots;
    for (int t = -50; t <= 50; ++t) {
        pivots.push_back({{t * direction.x1, t * direction.x2}, double(t * t)});
    }
    return pivots;
}

TEST(StatementsOf, SamplesTheRegionAndInvertsTheStudentisedErrors) {
    // Centre ln R = 1 along x1, scale 0.01² I. The region's quantile is the 95th percentile of
    // t²: at (n − 1) · 0.95 = 95 among 0, 1, 1, 4, 4, … both neighbours are 48² = 2304; radius
    // 0.01 · 48 about the centre.
    const double sigma = 0.01;
    const BootstrapStatements s = StatementsOf(EvenPivots(), {1.0, 0.0}, {1e-4, 0.0, 1e-4}, 95);
    const double radius = sigma * 48.0;
    EXPECT_NEAR(s.region.quantile, 2304.0, 1e-9);
    EXPECT_FALSE(s.region.holdsZeroStrain);
    EXPECT_NEAR(s.region.R.lo, std::exp(1.0 - radius), 1e-12);
    EXPECT_NEAR(s.region.R.hi, std::exp(1.0 + radius), 1e-12);
    // The widest turn from a circle of radius ρ at distance 1: sin 2φ = sinh ρ / sinh 1.
    const double widest = 0.5 * std::asin(std::sinh(radius) / std::sinh(1.0)) * kDegrees;
    EXPECT_NEAR(s.region.phiDegrees.hi, widest, 1e-2);
    EXPECT_NEAR(s.region.phiDegrees.lo, -widest, 1e-2);
    // Along the axis the simulated ln R is r + σ t: ln R runs over 1 ∓ σ · 47.5.
    EXPECT_NEAR(s.intervals.R.lo, std::exp(1.0 - sigma * 47.5), 1e-9);
    EXPECT_NEAR(s.intervals.R.hi, std::exp(1.0 + sigma * 47.5), 1e-9);
    // Errors along the estimate do not turn it.
    EXPECT_NEAR(s.intervals.phiDegrees.lo, 0.0, 1e-12);
    EXPECT_NEAR(s.intervals.phiDegrees.hi, 0.0, 1e-12);
    // The same a billion times closer to zero strain: the interval keeps its relative digits.
    const double f = 1e-9;
    const BootstrapStatements tiny =
        StatementsOf(EvenPivots(), {f, 0.0}, {1e-4 * f * f, 0.0, 1e-4 * f * f}, 95);
    EXPECT_NEAR(std::log(tiny.intervals.R.lo) / f, 1.0 - sigma * 47.5, 1e-6);
    EXPECT_NEAR(std::log(tiny.intervals.R.hi) / f, 1.0 + sigma * 47.5, 1e-6);
    EXPECT_TRUE(RegionHolds(s.region, {1.0 + 0.99 * radius, 0.0}));
    EXPECT_FALSE(RegionHolds(s.region, {1.0 + 1.01 * radius, 0.0}));
}

TEST(StatementsOf, TurnsTheOrientationAboutTheMedianUnbiasedRatio) {
    // Errors σ t across an estimate at ln R = 1: a truth at ln R = r gives cosh d = cosh r ·
    // cosh σt, whose median (|t| = 25) is 1 at cosh r = cosh 1 / cosh 0.25; the error σt turns
    // 2φ by atan(tanh σt / sinh r) (a right triangle on the hyperboloid), and the interval is
    // ∓ half the turn at the 97.5th percentile, halfway between t = 47 and 48.
    const double sigma = 0.01, r = std::acosh(std::cosh(1.0) / std::cosh(0.25));
    const BootstrapStatements s =
        StatementsOf(EvenPivots({0.0, 1.0}), {1.0, 0.0}, {1e-4, 0.0, 1e-4}, 95);
    auto turn = [&](double t) { return std::atan(std::tanh(sigma * t) / std::sinh(r)); };
    const double half = 0.5 * 0.5 * (turn(47) + turn(48)) * kDegrees;
    EXPECT_NEAR(s.intervals.phiDegrees.lo, -half, 1e-9);
    EXPECT_NEAR(s.intervals.phiDegrees.hi, half, 1e-9);
}

TEST(StatementsOf, StartsAtOneAndLeavesPhiUndefinedWhereTheRegionHoldsZeroStrain) {
    // Centre ln R = 0.3 with σ = 0.01: the 95 % region (radius 0.48) holds zero strain, the
    // 50 % one (radius 0.01 · 25, the median of t²) does not. Its interval of ln R would reach
    // zero strain (the 75th percentile of σ |t| is 0.38 > 0.3), so it starts at the region's
    // least R, e^(0.3 − 0.25).
    const BootstrapStatements wide = StatementsOf(EvenPivots(), {0.0, 0.3}, {1e-4, 0.0, 1e-4}, 95);
    EXPECT_TRUE(wide.region.holdsZeroStrain);
    EXPECT_EQ(wide.region.R.lo, 1.0);
    EXPECT_NEAR(wide.region.R.hi, std::exp(0.3 + 0.48), 1e-12);
    EXPECT_TRUE(std::isnan(wide.region.phiDegrees.lo) && std::isnan(wide.region.phiDegrees.hi));
    EXPECT_EQ(wide.intervals.R.lo, 1.0);
    // About an estimate at ln R = 0.05 even zero strain gives a larger median ln R (0.25): the
    // orientation has no interval.
    const BootstrapStatements round =
        StatementsOf(EvenPivots(), {0.05, 0.0}, {1e-4, 0.0, 1e-4}, 95);
    EXPECT_TRUE(std::isnan(round.intervals.phiDegrees.lo) &&
                std::isnan(round.intervals.phiDegrees.hi));
    const BootstrapStatements narrow =
        StatementsOf(EvenPivots(), {0.0, 0.3}, {1e-4, 0.0, 1e-4}, 50);
    EXPECT_FALSE(narrow.region.holdsZeroStrain);
    EXPECT_NEAR(narrow.intervals.R.lo, std::exp(0.3 - 0.25), 1e-12);
    EXPECT_NEAR(narrow.region.phiDegrees.lo + narrow.region.phiDegrees.hi, 90.0, 1e-2);
}

TEST(Quantile, InterpolatesBetweenOrderStatistics) {
    EXPECT_NEAR(Quantile({4, 1, 3, 2}, 0.5), 2.5, 1e-15);
    EXPECT_NEAR(Quantile({4, 1, 3, 2}, 0.95), 3.85, 1e-15);
    EXPECT_EQ(Quantile({4, 1, 3, 2}, 1.0), 4.0);
    EXPECT_TRUE(std::isnan(Quantile({}, 0.5)));
}

}  // namespace
}  // namespace varnel::methods
