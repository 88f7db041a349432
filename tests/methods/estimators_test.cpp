#include "methods/estimators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/orientation.h"
#include "tests/methods/synthetic_sets.h"
#include "tests/support/angle_units.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;
using testing_support::Strained;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(ReduceOffset, TurnsAnglesIntoTheHalfOpenRangeBelow90) {
    const std::pair<double, double> cases[] = {{90, -90}, {-90, -90}, {100, -80}, {269, 89},
                                               {-91, 89}, {0, 0},     {45, 45}};
    for (const auto& [in, out] : cases) EXPECT_DOUBLE_EQ(ReduceOffset(in), out) << in;
}

TEST(HyperbolicMean, GivesTheKnownMeansOfSmallSets) {
    struct Case {
        std::vector<EllipseInDegrees> data;
        double R, phi, kappa;
    };
    const Case cases[] = {
        // Two perpendicular ellipses of ratio 2 average to a circle; κ = 1 / (cosh ln 2 − 1).
        {{{2.0, 0.0}, {2.0, 90.0}}, 1.0, std::nan("any"), 4.0},
        // The midpoint of a circle and R = 3 is √3; κ = 1 / (2/√3 − 1) = 3 + 2√3.
        {{{3.0, -20.0}, {1.0, 0.0}}, std::sqrt(3.0), -20.0, 3.0 + 2.0 * std::sqrt(3.0)},
        // Equal ratios 2° apart across ±90° meet at 90°, reported as 90 and not −90:
        // S = (2 cosh ρ, −2 sinh ρ cos 2°, 0), ρ = ln 1.5, cosh ρ = 13/12, sinh ρ = 5/12.
        {{{1.5, 89.0}, {1.5, -89.0}},
         std::exp(std::acosh(13.0 / std::sqrt(169.0 - std::pow(5.0 * std::cos(2 * kRadian), 2)))),
         90.0,
         std::nan("finite")},
        {{{2.0, 10.0}, {2.0, 10.0}, {2.0, 10.0}}, 2.0, 10.0, kInfinity},
        // The first set strained by 1e8 and 1e17 along its axis: coaxial ratios 2·Rs and Rs / 2
        // meet at Rs, and κ stays 4, however far out the data lie.
        {{{2e8, 30.0}, {5e7, 30.0}}, 1e8, 30.0, 4.0},
        {{{2e17, -60.0}, {5e16, -60.0}, {2e17, -60.0}, {5e16, -60.0}}, 1e17, -60.0, 4.0},
    };
    for (const Case& c : cases) {
        const HyperbolicMean mean = HyperbolicMeanOf(c.data);
        // ln R to a few units of rounding of ln R itself.
        EXPECT_NEAR(mean.R, c.R, 1e-14 * c.R * std::max(1.0, std::log(c.R))) << c.R;
        if (!std::isnan(c.phi)) {
            EXPECT_NEAR(mean.phiDegrees, c.phi, 1e-12) << c.data[0].phiDegrees;
        }
        if (std::isinf(c.kappa)) {
            // Identical data: ‖S‖ = N up to rounding.
            EXPECT_TRUE(std::isinf(mean.kappa) || mean.kappa > 1e12) << mean.kappa;
        } else if (!std::isnan(c.kappa)) {
            EXPECT_NEAR(mean.kappa, c.kappa, 1e-12 * c.kappa);
        }
    }
}

// The mean of the unit-area shape matrices Rot(φ) diag(R, 1/R) Rot(φ)ᵀ, its axial ratio
// √(λ1 / λ2) and the direction of its long axis.
EllipseInDegrees MeanShapeMatrixEllipse(const std::vector<EllipseInDegrees>& data) {
    double a = 0, b = 0, d = 0;
    for (const EllipseInDegrees& e : data) {
        const double c = std::cos(e.phiDegrees * kRadian), s = std::sin(e.phiDegrees * kRadian);
        a += e.R * c * c + s * s / e.R;
        b += (e.R - 1.0 / e.R) * c * s;
        d += e.R * s * s + c * c / e.R;
    }
    const double half = (a + d) / 2, root = std::sqrt((a - d) * (a - d) / 4 + b * b);
    return {std::sqrt((half + root) / (half - root)), 0.5 * std::atan2(2 * b, a - d) / kRadian};
}

// The location of largest likelihood of the hyperboloidal normal law, density ∝ exp(−κ cosh d):
// with κ profiled out it minimises the mean of cosh d(μ, h_i), each d the ln R of ellipse i after
// removing the trial strain μ. Found by a compass search that halves its step on failure.
StrainVector MostLikelyLocation(const std::vector<EllipseInDegrees>& data) {
    const auto meanCosh = [&data](StrainVector x) {
        const varnel::Ellipse strain = VectorToEllipse(x);
        double sum = 0;
        for (const EllipseInDegrees& e : data) {
            const double R =
                SuperposeStrain(1.0 / strain.R, e.R, e.phiDegrees * kRadian - strain.phi).R;
            sum += (R + 1.0 / R) / 2.0;
        }
        return sum / double(data.size());
    };
    StrainVector x{0.0, 0.0};
    double value = meanCosh(x);
    for (double step = 0.5; step > 1e-11;) {
        bool moved = false;
        for (const StrainVector d : {StrainVector{step, 0}, {-step, 0}, {0, step}, {0, -step}}) {
            const StrainVector trial{x.x1 + d.x1, x.x2 + d.x2};
            const double v = meanCosh(trial);
            if (v < value) {
                x = trial;
                value = v;
                moved = true;
            }
        }
        if (!moved) step /= 2;
    }
    return x;
}

TEST(HyperbolicMean, IsTheMeanShapeMatrixAndTheMostLikelyLocation) {
    const Population cases[] = {
        {.count = 60, .seed = 1, .logRatioSpread = 0.25, .strain = {1.8, 30.0}},
        {.count = 25, .seed = 2, .logRatioSpread = 0.7, .strain = {3.0, -80.0}},
        {.count = 8, .seed = 3, .logRatioSpread = 1.0, .strain = {1.2, 85.0}}};
    for (const Population& population : cases) {
        const std::vector<EllipseInDegrees> data = EllipsesOf(population);
        const HyperbolicMean mean = HyperbolicMeanOf(data);

        const EllipseInDegrees matrixMean = MeanShapeMatrixEllipse(data);
        EXPECT_NEAR(mean.R, matrixMean.R, 1e-12 * mean.R) << population.seed;
        EXPECT_NEAR(mean.phiDegrees, ReduceHalfTurns(matrixMean.phiDegrees), 1e-10)
            << population.seed;

        // A minimum located from values alone is good to about the square root of their
        // rounding, 1e-8.
        const StrainVector likely = MostLikelyLocation(data);
        const StrainVector x = VectorOf(mean);
        EXPECT_NEAR(x.x1, likely.x1, 1e-7) << population.seed;
        EXPECT_NEAR(x.x2, likely.x2, 1e-7) << population.seed;
    }
}

// Straining all data by a known strain moves a location estimate by exactly that strain.
TEST(LocationEstimates, MoveWithTheStrainOfTheData) {
    const std::vector<EllipseInDegrees> data = EllipsesOf(Population{.count = 80, .seed = 4});
    const auto before = EstimatedStateOf(data);
    const HyperbolicMean meanBefore = HyperbolicMeanOf(data);
    const StrainLocation t2Before{EstimatedRatio(*before), EstimatedPhiDegrees(*before)};
    const StrainLocation strains[] = {{2.5, 0.0}, {1.3, -60.0}, {4.0, 87.0}, {1.0, 0.0}};
    for (const StrainLocation& s : strains) {
        const std::vector<EllipseInDegrees> strained = Strained(data, s);
        const EllipseInDegrees t2Expected = Strained({{t2Before.R, t2Before.phiDegrees}}, s)[0];
        const EllipseInDegrees meanExpected =
            Strained({{meanBefore.R, meanBefore.phiDegrees}}, s)[0];

        const auto after = EstimatedStateOf(strained);
        EXPECT_NEAR(EstimatedRatio(*after), t2Expected.R, 1e-10) << s.R << " " << s.phiDegrees;
        EXPECT_NEAR(ReduceHalfTurns(EstimatedPhiDegrees(*after) - t2Expected.phiDegrees), 0.0,
                    1e-8);
        const HyperbolicMean meanAfter = HyperbolicMeanOf(strained);
        EXPECT_NEAR(meanAfter.R, meanExpected.R, 1e-12) << s.R << " " << s.phiDegrees;
        EXPECT_NEAR(ReduceHalfTurns(meanAfter.phiDegrees - meanExpected.phiDegrees), 0.0, 1e-9);
        // The concentration does not depend on where the data lie.
        EXPECT_NEAR(meanAfter.kappa, meanBefore.kappa, 1e-9 * meanBefore.kappa);
    }
}

TEST(HarmonicMean, AveragesInverseRatiosAndDoubledAngles) {
    struct Case {
        std::vector<EllipseInDegrees> data;
        double R, phi;
    };
    const Case cases[] = {
        {{{1.0, 10.0}, {2.0, 20.0}, {4.0, 30.0}}, 12.0 / 7.0, 20.0},
        {{{2.0, 80.0}, {2.0, -80.0}}, 2.0, 90.0},
        {{{3.0, -40.0}, {1.5, -50.0}}, 2.0, -45.0},
    };
    for (const Case& c : cases) {
        const StrainLocation mean = HarmonicMeanOf(c.data);
        EXPECT_NEAR(mean.R, c.R, 1e-14);
        EXPECT_NEAR(mean.phiDegrees, c.phi, 1e-12);
    }
}

TEST(RfMaxMin, ChoosesTheCaseByTheFluctuation) {
    // Ratios 1.5 … 6 everywhere: √(6 · 1.5) = 3 and √(6 / 1.5) = 2.
    struct Case {
        std::vector<double> phis;
        double fluctuation;
        const char* caseName;
        double Rs, Ri;
    };
    const Case cases[] = {
        {{0, 10, 20}, 20, "Ri<Rs", 3.0, 2.0},       {{-80, -20, 40}, 120, "Ri>Rs", 2.0, 3.0},
        {{85, -85, 88}, 10, "Ri<Rs", 3.0, 2.0},  // the orientations span ±90°
        {{0, 90, 90}, 90, "Ri>Rs", 2.0, 3.0},    // exactly 90° is not below it
        {{0, 45, 90, 135}, 135, "Ri>Rs", 2.0, 3.0},
    };
    for (const Case& c : cases) {
        std::vector<EllipseInDegrees> data{{6.0, c.phis[0]}, {1.5, c.phis[1]}};
        for (std::size_t i = 2; i < c.phis.size(); ++i) data.push_back({2.0, c.phis[i]});
        const RfMaxMin result = RfMaxMinOf(data);
        EXPECT_NEAR(result.fluctuationDegrees, c.fluctuation, 1e-12) << c.phis[1];
        EXPECT_EQ(result.caseName, c.caseName) << c.phis[1];
        EXPECT_EQ(result.rfMax, 6.0);
        EXPECT_EQ(result.rfMin, 1.5);
        EXPECT_DOUBLE_EQ(result.Rs, c.Rs) << c.phis[1];
        EXPECT_DOUBLE_EQ(result.Ri, c.Ri) << c.phis[1];
    }
}

}  // namespace
}  // namespace varnel::methods
