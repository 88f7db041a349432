#include "methods/fabric_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/objective.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "tests/methods/synthetic_sets.h"
#include "tests/support/angle_units.h"

namespace varnel::methods {
namespace {

using testing_support::EllipsesOf;
using testing_support::EstimatedStateOf;
using testing_support::Population;
using testing_support::StateOf;

// Upper tail of F(2, ν) in closed form: (1 + 2F / ν)^(−ν / 2).
double UpperTailF2(double F, double nu) { return std::pow(1.0 + 2.0 * F / nu, -nu / 2.0); }

// Hotelling's T² of the post vectors about zero with their covariance about the mean.
double HotellingAtZero(const std::vector<EllipseInDegrees>& data) {
    const double n = double(data.size());
    double m1 = 0, m2 = 0;
    std::vector<StrainVector> v;
    for (const EllipseInDegrees& e : data) {
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
        const std::vector<EllipseInDegrees> data = EllipsesOf(population);
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

TEST(SymmetryTests, SimulateFewerSetsOfManyData) {
    const std::pair<int, int> cases[] = {{3, 999},    {252, 999},  {1000, 999},
                                         {1001, 499}, {2000, 499}, {2001, 199},
                                         {5000, 199}, {5001, 99},  {10000, 99}};
    for (const auto& [count, sets] : cases) EXPECT_EQ(SymmetryNullSetsFor(count), sets) << count;
}

TEST(SymmetryChi2, CountsClassesWithTheirLowerBoundsIn) {
    // N = 15: classes [−90, −30), [−30, 30), [30, 90); 90° is −90°.
    struct Case {
        std::vector<double> offsets;
        double chi2;
        std::int64_t squares;
    };
    const Case cases[] = {
        {{-60, -60, -60, -60, -60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 10.0, 25 + 100},
        {{90, -90, -89, -31, 89.9, -30, -30, 0, 29.9, 29.99, 30, 30, 30, 60, 89},
         0.4,
         36 + 25 + 16},
        {{90, 90, 90, 90, 90, -30, -30, -30, -30, -30, 30, 30, 30, 30, 30}, 0.0, 75},
    };
    for (const Case& c : cases) {
        const SymmetryChi2 test = SymmetryChi2Of(c.offsets);
        EXPECT_NEAR(test.chi2, c.chi2, 1e-12);
        EXPECT_EQ(SquaredClassCounts(c.offsets, 3), c.squares);
    }
    // N = 25: five classes. Counts 9, 4, 4, 4, 4: χ² = (25 + 4 · 1) / 5 = 4.
    std::vector<double> offsets(9, -80.0);
    for (double centre : {-40.0, 0.0, 40.0, 80.0}) offsets.insert(offsets.end(), 4, centre);
    const SymmetryChi2 five = SymmetryChi2Of(offsets);
    EXPECT_EQ(five.classes, 5);
    EXPECT_NEAR(five.chi2, 4.0, 1e-12);
}

TEST(RetroDeformedOffsets, AreThePreStrainOrientationsOfTheObjectiveAboutTheStrainAxis) {
    const std::vector<EllipseInDegrees> data = EllipsesOf(Population{.count = 40});
    const auto state = EstimatedStateOf(data);
    const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
    const std::vector<double> offsets = RetroDeformedOffsets(data, strain);
    const std::vector<EllipseInDegrees> pre = RetroDeformedEllipses(data, strain);
    TSquaredOfStrain(*state, state->StrainEstimate);
    for (int k = 1; k <= state->DataCount; ++k) {
        const double expected = ReduceOffset(state->PhiPre[k] / kRadian - strain.phiDegrees);
        EXPECT_NEAR(ReduceOffset(offsets[std::size_t(k - 1)] - expected), 0.0, 1e-9) << k;
        EXPECT_NEAR(pre[std::size_t(k - 1)].R, state->RPre[k], 1e-9 * state->RPre[k]) << k;
    }
}

TEST(SymmetryIndex, CountsEllipsesOnEachSideOfTheVectorMean) {
    struct Case {
        std::vector<EllipseInDegrees> data;
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
        EXPECT_EQ(ImbalanceOf(c.data), int(std::lround(4 * (1.0 - c.Isym))))
            << c.data[2].phiDegrees;
        const SymmetryIndex index = SymmetryTestsOf(c.data, {1.5, 0.0}, 1, 99).index;
        EXPECT_DOUBLE_EQ(index.Isym, c.Isym) << c.data[2].phiDegrees;
    }
}

// Sets of known answer for both symmetry tests, with their simulated null of M sets.
struct SymmetryCase {
    const char* name;
    std::vector<EllipseInDegrees> pre;  // initial ellipses, φ from the strain axis
    double leastChi2P, mostChi2P, leastIndexP, mostIndexP;
};

// 2 · pairs initial ellipses mirrored about the strain axis, at evenly spaced offsets.
std::vector<EllipseInDegrees> Mirrored(int pairs) {
    std::vector<EllipseInDegrees> pre;
    for (int i = 0; i < pairs; ++i) {
        const double theta = 90.0 * (i + 0.5) / pairs, R = 1.3 + 0.1 * (i % 7);
        pre.push_back({R, theta});
        pre.push_back({R, -theta});
    }
    return pre;
}

// Large ellipses within 20° to 40° of the strain axis and small ones within −40° to −20°.
std::vector<EllipseInDegrees> OneSided(int count) {
    std::vector<EllipseInDegrees> pre;
    for (int i = 0; i < count; ++i) {
        const double spread = 20.0 * i / count;
        pre.push_back(i % 2 ? EllipseInDegrees{2.5, 20.0 + spread}
                            : EllipseInDegrees{1.2, -20.0 - spread});
    }
    return pre;
}

TEST(SymmetryTests, GiveTheSimulatedPOfKnownSets) {
    constexpr int kSets = 999;
    constexpr double kSmallest = 1.0 / (kSets + 1);
    const SymmetryCase cases[] = {
        // Offsets spread evenly (χ² = 0) and mirror pairs (I_sym = 1): no set is more symmetric.
        {"mirrored", Mirrored(30), 0.5, 1.0, 0.5, 1.0},
        // Every offset within a third of the range, large and small on opposite sides.
        {"one-sided", OneSided(40), kSmallest, kSmallest, kSmallest, kSmallest},
    };
    const StrainLocation strain{2.0, 25.0};
    for (const SymmetryCase& c : cases) {
        std::vector<EllipseInDegrees> turned;
        for (const EllipseInDegrees& e : c.pre)
            turned.push_back({e.R, e.phiDegrees + strain.phiDegrees});
        const std::vector<EllipseInDegrees> data = testing_support::Strained(turned, strain);
        const auto state = EstimatedStateOf(data);
        const StrainLocation estimate{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
        const SymmetryTests tests = SymmetryTestsOf(data, estimate, 1, kSets);
        EXPECT_EQ(tests.null.sets, kSets) << c.name;
        EXPECT_EQ(tests.null.failed, 0) << c.name;
        EXPECT_GE(tests.chi2.p, c.leastChi2P) << c.name;
        EXPECT_LE(tests.chi2.p, c.mostChi2P) << c.name;
        EXPECT_GE(tests.index.p, c.leastIndexP) << c.name;
        EXPECT_LE(tests.index.p, c.mostIndexP) << c.name;
    }
}

TEST(SymmetryTests, GiveNoPWhenTheSimulatedSetsHaveNoEstimate) {
    // Identical ellipses leave circles at their own strain: every simulated set is one point.
    const std::vector<EllipseInDegrees> data(10, EllipseInDegrees{2.0, 10.0});
    const SymmetryTests tests = SymmetryTestsOf(data, {2.0, 10.0}, 1, 99);
    EXPECT_EQ(tests.null.failed, 99);
    EXPECT_TRUE(std::isnan(tests.chi2.p));
    EXPECT_TRUE(std::isnan(tests.index.p));
}

TEST(SymmetryTests, GiveTheSamePOnAnyNumberOfThreads) {
    const std::vector<EllipseInDegrees> data = EllipsesOf(Population{
        .count = 100, .seed = 5, .largeFabricDegrees = 30.0, .largeFabricHalfWidth = 30.0});
    const StrainLocation strain{1.8, 30.0};
    const SymmetryTests parallel = SymmetryTestsOf(data, strain, 3, 199);
    // Started inside a part, the simulated sets run one after another on one thread.
    SymmetryTests serial;
    RunInParallel(2, [&](int part) {
        if (part == 0) serial = SymmetryTestsOf(data, strain, 3, 199);
    });
    EXPECT_EQ(serial.chi2.p, parallel.chi2.p);
    EXPECT_EQ(serial.index.p, parallel.index.p);
    EXPECT_EQ(serial.index.Isym, parallel.index.Isym);
    const SymmetryTests other = SymmetryTestsOf(data, strain, 4, 199);
    EXPECT_TRUE(other.chi2.p != parallel.chi2.p || other.index.p != parallel.index.p);
}

// Synthetic sets without an initial fabric: each test rejects about one in twenty at 5 %.
TEST(FabricTests, GiveLargePOnIsotropicSets) {
    constexpr int kSets = 20;
    // Five or more rejections of 20 at 5 % would happen by chance with probability 0.003.
    constexpr int kMostRejections = 4;
    int noStrain = 0, chi2 = 0, index = 0;
    for (std::uint32_t seed = 1; seed <= kSets; ++seed) {
        Population population{.count = 252, .seed = seed};
        const std::vector<EllipseInDegrees> data = EllipsesOf(population);
        const auto state = EstimatedStateOf(data);
        const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
        const SymmetryTests tests = SymmetryTestsOf(data, strain, 1, 199);
        chi2 += tests.chi2.p < 0.05;
        index += tests.index.p < 0.05;
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

TEST(FabricTests, GiveTheSmallestPOnSetsWithAnInitialFabric) {
    constexpr int kSets = 999;
    constexpr double kSmallest = 1.0 / (kSets + 1);
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        // Initial long axes within ±25° of 60° from the strain axis: the retro-deformed
        // orientations crowd into a few classes.
        const std::vector<EllipseInDegrees> aligned = EllipsesOf(
            {.count = 252, .seed = seed, .fabricDegrees = 60.0, .fabricHalfWidth = 25.0});
        const auto state = EstimatedStateOf(aligned);
        const StrainLocation strain{EstimatedRatio(*state), EstimatedPhiDegrees(*state)};
        EXPECT_EQ(SymmetryTestsOf(aligned, strain, 1, kSets).chi2.p, kSmallest) << seed;
        // The more elongated half within ±20° of 40° from the strain axis, to one side of it.
        const std::vector<EllipseInDegrees> imbricated = EllipsesOf(
            {.count = 252, .seed = seed, .largeFabricDegrees = 40.0, .largeFabricHalfWidth = 20.0});
        const auto imbricatedState = EstimatedStateOf(imbricated);
        const StrainLocation imbricatedStrain{EstimatedRatio(*imbricatedState),
                                              EstimatedPhiDegrees(*imbricatedState)};
        EXPECT_EQ(SymmetryTestsOf(imbricated, imbricatedStrain, 1, kSets).index.p, kSmallest)
            << seed;
    }
}

}  // namespace
}  // namespace varnel::methods
