#include "methods/fabric_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/objective.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "tests/methods/synthetic_sets.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;
using testing_support::StateOf;

constexpr double kRadian = std::numbers::pi / 180.0;

// Upper tail of F(2, ν) in closed form: (1 + 2F / ν)^(−ν / 2).
double UpperTailF2(double F, double nu) { return std::pow(1.0 + 2.0 * F / nu, -nu / 2.0); }

// Hotelling's T² of the post vectors about zero with their covariance about the mean.
double HotellingAtZero(const std::vector<Ellipse>& data) {
    const double n = double(data.size());
    double m1 = 0, m2 = 0;
    std::vector<StrainVector> v;
    for (const Ellipse& e : data) {
        v.push_back(EllipseToVector(e.R, e.phiDegrees * kRadian));
        m1 += v.back().x1 / n;
        m2 += v.back().x2 / n;
    }
    double c11 = 0, c12 = 0, c22 = 0;
    for (const StrainVector& p : v) {
        c11 += (p.x1 - m1) * (p.x1 - m1) / (n - 1);
        c12 += (p.x1 - m1) * (p.x2 - m2) / (n - 1);
        c22 += (p.x2 - m2) * (p.x2 - m2) / (n - 1);
    }
    return n * (m1 * m1 * c22 - 2 * m1 * m2 * c12 + m2 * m2 * c11) / (c11 * c22 - c12 * c12);
}

TEST(NoStrainTest, IsHotellingsFTestOfTheMeanPostVector) {
    // The objective's T² at zero strain is H / (1 + H / (N − 1)), H being Hotelling's T².
    struct Case {
        std::uint32_t seed;
        int count;
        double strainR;
    };
    for (const Case c : {Case{1, 3, 1.0}, Case{2, 10, 1.2}, Case{3, 252, 1.05}, Case{4, 30, 1.0}}) {
        Population population{.count = c.count, .seed = c.seed};
        population.strain = {c.strainR, 20.0};
        const std::vector<Ellipse> data = EllipsesOf(population);
        const auto state = StateOf(data);
        const NoStrainTest test = NoStrainTestOf(TSquaredOfStrain(*state, {0.0, 0.0}), c.count);
        const double H = HotellingAtZero(data);
        const double F = (c.count - 2) * H / (2.0 * (c.count - 1));
        EXPECT_NEAR(test.F, F, 1e-9 * F) << c.count;
        EXPECT_NEAR(test.p, UpperTailF2(F, c.count - 2), 1e-12) << c.count;
    }
}

TEST(NoStrainTest, GivesTheEndsOfTheRange) {
    const NoStrainTest none = NoStrainTestOf(0.0, 10);
    EXPECT_EQ(none.F, 0.0);
    EXPECT_EQ(none.p, 1.0);
    // T² reaches N − 1 only as Hotelling's statistic grows without bound.
    const NoStrainTest sure = NoStrainTestOf(9.0, 10);
    EXPECT_TRUE(std::isinf(sure.F));
    EXPECT_EQ(sure.p, 0.0);
}

TEST(SymmetryChi2, UsesEighteenClassesFromNinetyDataAndFewerBelow) {
    const std::pair<int, int> cases[] = {{3, 3},   {14, 3},  {15, 3},  {20, 4},
                                         {89, 17}, {90, 18}, {252, 18}};
    for (const auto& [count, classes] : cases) {
        std::vector<double> offsets;
        for (int i = 0; i < count; ++i) offsets.push_back(-90.0 + 180.0 * (i + 0.5) / count);
        EXPECT_EQ(SymmetryChi2Of(offsets).classes, classes) << count;
    }
}

TEST(SymmetryChi2, CountsClassesWithTheirLowerBoundsIn) {
    // N = 15: classes [−90, −30), [−30, 30), [30, 90); 90° is −90°. χ²(2) has p = e^(−χ²/2).
    struct Case {
        std::vector<double> offsets;
        double chi2;
    };
    const Case cases[] = {
        {{-60, -60, -60, -60, -60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 10.0},
        {{90, -90, -89, -31, 89.9, -30, -30, 0, 29.9, 29.99, 30, 30, 30, 60, 89}, 0.4},
        {{90, 90, 90, 90, 90, -30, -30, -30, -30, -30, 30, 30, 30, 30, 30}, 0.0},
    };
    for (const Case& c : cases) {
        const SymmetryChi2 test = SymmetryChi2Of(c.offsets);
        EXPECT_NEAR(test.chi2, c.chi2, 1e-12);
        EXPECT_NEAR(test.p, std::exp(-c.chi2 / 2.0), 1e-12);
    }
    // N = 25: five classes, χ²(4) has p = e^(−χ²/2) (1 + χ²/2). Counts 9, 4, 4, 4, 4: χ² = 4.
    std::vector<double> offsets(9, -80.0);
    for (double centre : {-40.0, 0.0, 40.0, 80.0}) offsets.insert(offsets.end(), 4, centre);
    const SymmetryChi2 five = SymmetryChi2Of(offsets);
    EXPECT_EQ(five.classes, 5);
    EXPECT_NEAR(five.chi2, 4.0, 1e-12);
    EXPECT_NEAR(five.p, std::exp(-2.0) * (1 + 2.0), 1e-12);
}

TEST(RetroDeformedOffsets, AreThePreStrainOrientationsOfTheObjectiveAboutTheStrainAxis) {
    const std::vector<Ellipse> data = EllipsesOf(Population{.count = 40});
    const auto state = EstimatedStateOf(data);
    const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
    const std::vector<double> offsets = RetroDeformedOffsets(data, strain);
    TSquaredOfStrain(*state, state->StrainEstimate);
    for (int k = 1; k <= state->DataCount; ++k) {
        const double expected = ReduceOffset(state->PhiPre[k] / kRadian - strain.phiDegrees);
        EXPECT_NEAR(ReduceOffset(offsets[std::size_t(k - 1)] - expected), 0.0, 1e-9) << k;
    }
}

TEST(SymmetryIndex, CountsEllipsesOnEachSideOfTheVectorMean) {
    struct Case {
        std::vector<Ellipse> data;
        double Isym;
    };
    const Case cases[] = {
        {{{2.0, 20.0}, {2.0, -20.0}, {1.2, 40.0}, {1.2, -40.0}}, 1.0},
        // Large ellipses all on one side, small ones all on the other.
        {{{3.0, 30.0}, {3.0, 30.0}, {1.1, -30.0}, {1.1, -30.0}}, 0.0},
        // φ̄ = 20.5°: large ones both at d > 0, small ones one on each side.
        {{{3.0, 30.0}, {3.0, 30.0}, {1.1, -30.0}, {1.1, 30.0}}, 0.5},
        // About a mean of 90°: offsets of ±10° across the ±90° turn-over.
        {{{2.0, 80.0}, {2.0, -80.0}, {1.2, 85.0}, {1.2, -85.0}}, 1.0},
    };
    for (const Case& c : cases) {
        const SymmetryIndex index = SymmetryIndexOf(c.data, 1);
        EXPECT_DOUBLE_EQ(index.Isym, c.Isym) << c.data[2].phiDegrees;
        EXPECT_GE(index.p, 1.0 / (1 + kReflectedSets));
        EXPECT_LE(index.p, 1.0);
    }
}

TEST(SymmetryIndex, GivesTheSamePOnAnyNumberOfThreads) {
    const std::vector<Ellipse> data = EllipsesOf(Population{
        .count = 100, .seed = 5, .largeFabricDegrees = 30.0, .largeFabricHalfWidth = 30.0});
    const SymmetryIndex parallel = SymmetryIndexOf(data, 3);
    // Started inside a part, the reflected sets run one after another on one thread.
    SymmetryIndex serial;
    RunInParallel(2, [&](int part) {
        if (part == 0) serial = SymmetryIndexOf(data, 3);
    });
    EXPECT_EQ(serial.p, parallel.p);
    EXPECT_EQ(serial.Isym, parallel.Isym);
    EXPECT_NE(SymmetryIndexOf(data, 4).p, parallel.p);  // another seed, other reflections
}

// Synthetic sets without an initial fabric: each test rejects about one in twenty at 5 %.
TEST(FabricTests, GiveLargePOnIsotropicSets) {
    constexpr int kSets = 20;
    // Five or more rejections of 20 at 5 % would happen by chance with probability 0.003.
    constexpr int kMostRejections = 4;
    int noStrain = 0, chi2 = 0, index = 0;
    for (std::uint32_t seed = 1; seed <= kSets; ++seed) {
        Population population{.count = 252, .seed = seed};
        const std::vector<Ellipse> data = EllipsesOf(population);
        const auto state = EstimatedStateOf(data);
        const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
        chi2 += SymmetryChi2Of(RetroDeformedOffsets(data, strain)).p < 0.05;
        index += SymmetryIndexOf(data, 1).p < 0.05;
        population.strain = {1.0, 0.0};
        const auto unstrained = StateOf(EllipsesOf(population));
        noStrain += NoStrainTestOf(TSquaredOfStrain(*unstrained, {0.0, 0.0}), 252).p < 0.05;
        // A strain of 1.8 is found every time.
        EXPECT_LT(NoStrainTestOf(TSquaredOfStrain(*state, {0.0, 0.0}), 252).p, 1e-12) << seed;
    }
    EXPECT_LE(noStrain, kMostRejections);
    EXPECT_LE(chi2, kMostRejections);
    EXPECT_LE(index, kMostRejections);
}

TEST(FabricTests, GiveTinyPOnSetsWithAnInitialFabric) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        // Initial long axes within ±25° of 60° from the strain axis: the retro-deformed
        // orientations crowd into a few classes.
        const std::vector<Ellipse> aligned = EllipsesOf(
            {.count = 252, .seed = seed, .fabricDegrees = 60.0, .fabricHalfWidth = 25.0});
        const auto state = EstimatedStateOf(aligned);
        const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
        EXPECT_LT(SymmetryChi2Of(RetroDeformedOffsets(aligned, strain)).p, 1e-6) << seed;
        // The more elongated half within ±20° of 40° from the strain axis, to one side of it.
        const std::vector<Ellipse> imbricated = EllipsesOf(
            {.count = 252, .seed = seed, .largeFabricDegrees = 40.0, .largeFabricHalfWidth = 20.0});
        EXPECT_LE(SymmetryIndexOf(imbricated, 1).p, 1e-3) << seed;
    }
}

}  // namespace
}  // namespace varnel::methods
