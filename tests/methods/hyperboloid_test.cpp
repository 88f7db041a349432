#include "methods/hyperboloid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "methods/estimators.h"
#include "tests/methods/synthetic_sets.h"
#include "tests/support/angle_units.h"
#include "tests/support/degenerate_data.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;

// Two roots of the same equation, each exact to a few units of rounding of the pre vectors.
constexpr double kSameRoot = 1e-12;

TEST(RemoveStrain, RetroDeformsAsTheSuperpositionOfTheInverseStrain) {
    struct Case {
        double R, phiDegrees, strainR, strainDegrees;
    };
    const Case cases[] = {{3.0, 30.0, 2.0, 0.0}, {1.2, -70.0, 1.8, 30.0}, {5.0, 89.0, 3.0, -45.0},
                          {1.0, 0.0, 1.5, 60.0}, {2.5, 10.0, 1.0, 0.0},   {1.05, 44.0, 7.0, 45.0}};
    for (const Case& c : cases) {
        const varnel::Ellipse strain{c.strainR, c.strainDegrees * kRadian};
        const StrainVector x = EllipseToVector(strain.R, strain.phi);
        const varnel::Ellipse expected =
            SuperposeStrain(1.0 / strain.R, c.R, c.phiDegrees * kRadian - strain.phi);
        const StrainVector pre =
            VectorOfShapePoint(RemoveStrain(x, ShapePointOf(c.R, c.phiDegrees * kRadian)));
        const StrainVector wanted = EllipseToVector(expected.R, expected.phi + strain.phi);
        EXPECT_NEAR(pre.x1, wanted.x1, 1e-13) << c.R << " " << c.phiDegrees;
        EXPECT_NEAR(pre.x2, wanted.x2, 1e-13) << c.R << " " << c.phiDegrees;
        const RemovedPoint polar =
            RemoveStrainFromPolarForm(x, ShapePointOf(c.R, c.phiDegrees * kRadian));
        const StrainVector fromPolar = VectorOfShapePoint(polar.point);
        EXPECT_NEAR(fromPolar.x1, wanted.x1, 1e-13) << c.R << " " << c.phiDegrees;
        EXPECT_NEAR(fromPolar.x2, wanted.x2, 1e-13) << c.R << " " << c.phiDegrees;
        EXPECT_NEAR(double(polar.coshMinusOne),
                    (expected.R - 1) * (expected.R - 1) / (2 * expected.R), 1e-13 * expected.R);
        // Applying the strain again gives the observed ellipse back.
        const StrainVector back = VectorOfShapePoint(ApplyStrain(x, ShapePointOfVector(pre)));
        const StrainVector observed = EllipseToVector(c.R, c.phiDegrees * kRadian);
        EXPECT_NEAR(back.x1, observed.x1, 1e-13);
        EXPECT_NEAR(back.x2, observed.x2, 1e-13);
    }
}

TEST(T2EstimateOf, FindsTheEstimateOfTheThreeEllipseExample) {
    const std::vector<EllipseInDegrees> data{{2.0, 10.0}, {3.0, 40.0}, {1.5, -20.0}};
    const std::optional<StrainVector> x = T2EstimateOf(ShapePointsOf(data), {0.0, 0.0});
    ASSERT_TRUE(x);
    EXPECT_NEAR(x->x1, 0.344687, 5e-7);
    EXPECT_NEAR(x->x2, 0.341247, 5e-7);
}

TEST(T2EstimateOf, AgreesWithTheEstimationOfTheOpenCommand) {
    const Population cases[] = {
        {.count = 252, .seed = 1, .logRatioSpread = 0.25, .strain = {1.8, 30.0}},
        {.count = 40, .seed = 2, .logRatioSpread = 0.6, .strain = {3.0, -75.0}},
        {.count = 12, .seed = 3, .logRatioSpread = 1.2, .strain = {1.1, 89.0}},
        {.count = 500, .seed = 4, .logRatioSpread = 0.1, .strain = {6.0, 0.0}},
        {.count = 5, .seed = 5, .logRatioSpread = 0.5, .strain = {1.0, 0.0}}};
    for (const Population& population : cases) {
        const std::vector<EllipseInDegrees> data = EllipsesOf(population);
        const auto state = EstimatedStateOf(data);
        for (const StrainVector start : {StrainVector{0.0, 0.0}, StrainVector{2.0, -3.0}}) {
            const std::optional<StrainVector> x = T2EstimateOf(ShapePointsOf(data), start);
            ASSERT_TRUE(x) << population.seed;
            EXPECT_NEAR(x->x1, state->StrainEstimate.x1, kSameRoot) << population.seed;
            EXPECT_NEAR(x->x2, state->StrainEstimate.x2, kSameRoot) << population.seed;
        }
    }
}

TEST(T2EstimateOf, FindsTheStrainOfFarData) {
    // Ratios 2 and 3 on six evenly spread axes each have a zero mean vector: strained by Rs, the
    // estimate is that strain, far from the circle where a boost of the Cartesian points would
    // lose every digit. The data's orientations, doubles, move them by sinh ρ · 1e-16.
    for (const double Rs : {1e4, 1e8}) {
        std::vector<EllipseInDegrees> data;
        for (const double R0 : {2.0, 3.0}) {
            for (int i = 0; i < 6; ++i) {
                const double phi0 = (i * 30.0 + 7.0 * R0 - 20.0) * kRadian;
                const varnel::Ellipse e = SuperposeStrain(Rs, R0, phi0);
                data.push_back({e.R, e.phi / kRadian + 20.0});
            }
        }
        const std::optional<StrainVector> x = T2EstimateOf(ShapePointsOf(data), {0.0, 0.0});
        ASSERT_TRUE(x) << Rs;
        const StrainVector expected = EllipseToVector(Rs, 20.0 * kRadian);
        EXPECT_NEAR(x->x1, expected.x1, 1e-6) << Rs;
        EXPECT_NEAR(x->x2, expected.x2, 1e-6) << Rs;
    }
}

TEST(T2EstimateOf, FindsTheEstimateOfATightInitialFabric) {
    // Initial long axes within 0.3° of the strain's: at the estimate the pre vectors lie on both
    // sides of the origin in a band whose λ2 / λ1 is about 8e-5, the thin valley in which the
    // Open's simplex has the most to do.
    const Population population{
        .count = 40, .seed = 6, .fabricHalfWidth = 0.3, .strain = {2.0, 30.0}};
    const std::vector<EllipseInDegrees> data = EllipsesOf(population);
    const auto state = EstimatedStateOf(data);
    const std::optional<StrainVector> x = T2EstimateOf(ShapePointsOf(data), {0.0, 0.0});
    ASSERT_TRUE(x);
    EXPECT_NEAR(x->x1, state->StrainEstimate.x1, 1e-9);
    EXPECT_NEAR(x->x2, state->StrainEstimate.x2, 1e-9);
}

TEST(T2EstimateOf, FindsNothingWhereTheDataDetermineNoEstimate) {
    // One ellipse three times, two ellipses whose pre vectors lie on one line through zero,
    // data on one line up to 1e-9 of their spread, and initial long axes within 1e-4° of the
    // strain's (λ2 / λ1 about 1e-12 at the estimate, 100 times below the share at which the Open
    // command refuses them).
    const std::vector<EllipseInDegrees> nearlyCollinear =
        testing_support::NearlyCollinearData(10, 5, 1e-9);
    const Population tightFabric{
        .count = 40, .seed = 6, .fabricHalfWidth = 1e-4, .strain = {2.0, 30.0}};
    const std::vector<EllipseInDegrees> cases[] = {{{2.0, 10.0}, {2.0, 10.0}, {2.0, 10.0}},
                                                   {{2.0, 10.0}, {2.0, 10.0}, {3.0, -50.0}},
                                                   nearlyCollinear,
                                                   EllipsesOf(tightFabric)};
    for (const std::vector<EllipseInDegrees>& data : cases) {
        EXPECT_FALSE(T2EstimateOf(ShapePointsOf(data), {0.0, 0.0})) << data[2].R;
    }
}

}  // namespace
}  // namespace varnel::methods
