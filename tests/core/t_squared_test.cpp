#include "core/t_squared.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "core/varnel_error.h"
#include "tests/support/angle_units.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

using testing_support::ErrorTextOf;

// T² = H / (1 + H / (N − 1)), H = N · mᵀ C⁻¹ m with C the covariance about the mean, in
// extended precision: the centred vectors keep the digits that a moment matrix about the origin
// loses when the vectors cluster far from it.
long double CentredTSquared(const std::vector<StrainVector>& v) {
    const long double n = static_cast<long double>(v.size()) - 1;  // v[0] is unused
    long double m1 = 0, m2 = 0;
    for (std::size_t k = 1; k < v.size(); ++k) {
        m1 += v[k].x1;
        m2 += v[k].x2;
    }
    m1 /= n;
    m2 /= n;
    long double c11 = 0, c22 = 0, c12 = 0;
    for (std::size_t k = 1; k < v.size(); ++k) {
        const long double d1 = v[k].x1 - m1, d2 = v[k].x2 - m2;
        c11 += d1 * d1;
        c22 += d2 * d2;
        c12 += d1 * d2;
    }
    const long double H =
        n * (n - 1) * (m1 * m1 * c22 - 2 * m1 * m2 * c12 + m2 * m2 * c11) / (c11 * c22 - c12 * c12);
    return H / (1 + H / (n - 1));
}

// Five vectors round the point at `distance` along `angleDegrees`, `spread` away from it in
// an uneven pattern, so that their mean lies off the centre.
std::vector<StrainVector> Cluster(double distance, double angleDegrees, double spread) {
    const double u1 = std::cos(angleDegrees * kDegree), u2 = std::sin(angleDegrees * kDegree);
    const double offsets[][2] = {{1, 0}, {-1, 0.2}, {0.3, 1}, {0, -0.7}, {0.5, 0.4}};
    std::vector<StrainVector> v(1);
    for (const auto& o : offsets) {
        const double along = distance + spread * o[0], across = spread * o[1];
        v.push_back({along * u1 - across * u2, along * u2 + across * u1});
    }
    return v;
}

std::vector<StrainVector> OnOneLine(double axisDegrees, int count) {
    std::vector<StrainVector> v(1);
    for (int k = 1; k <= count; ++k) {
        const double length = (k % 3 == 0 ? -0.2 : 0.1) * (1 + k % 17);
        v.push_back(EllipseToVector(std::exp(1.0), axisDegrees * kDegree));
        v.back() = {v.back().x1 * length, v.back().x2 * length};
    }
    return v;
}

TEST(TSquaredOfVectors, EqualsTheCentredHotellingFormFromWideToNearlySingularClusters) {
    // Spread over distance from 0.3 to 1e-10: the smallest over the largest eigenvalue of S runs
    // from about 1e-2 to 1e-20, where the determinant of the rounded S is noise.
    struct Case {
        double distance, angleDegrees, spread;
    };
    const Case cases[] = {
        {1.0, 0.0, 0.3},    {0.4, 37.0, 0.1},   {1.0, 37.0, 3e-5},
        {0.8, -20.0, 1e-4}, {1.0, 37.0, 1e-6},  {0.1, 90.0, 1e-7},
        {2.0, -45.0, 1e-8}, {1.0, 123.0, 1e-9}, {0.5, 10.0, 1e-10},
    };
    // The two evaluations differ by their own rounding, a few units of 1e-16 times N.
    constexpr long double kAgreement = 1e-13L;
    for (const Case& c : cases) {
        const std::vector<StrainVector> v = Cluster(c.distance, c.angleDegrees, c.spread);
        const long double expected = CentredTSquared(v);
        EXPECT_NEAR(TSquaredOfVectors(v.data(), int(v.size()) - 1), expected, kAgreement * expected)
            << c.distance << " at " << c.angleDegrees << "°, spread " << c.spread;
    }
}

TEST(TSquaredOfVectors, DividesByZeroForVectorsOnOneLineThroughTheOrigin) {
    for (const double axis : {0.0, 10.0, 45.0, -45.0, 90.0, 33.3}) {
        for (const int count : {2, 3, 100, 10000}) {
            const std::vector<StrainVector> v = OnOneLine(axis, count);
            EXPECT_EQ(ErrorTextOf([&] { TSquaredOfVectors(v.data(), count); }),
                      kDivisionByZeroMessage)
                << count << " vectors along " << axis << "°";
        }
    }
}

TEST(TSquaredOfVectors, TellsALineThroughTheOriginFromOtherDegenerateSets) {
    const std::vector<StrainVector> zero(4);
    EXPECT_EQ(ErrorTextOf([&] { TSquaredOfVectors(zero.data(), 3); }), kInvalidOperationMessage);
    // On one line that misses the origin: S about the origin is regular, the covariance about
    // the mean is not, and T² takes its limit N − 1 as H grows without bound.
    const std::vector<StrainVector> offLine{{}, {1, 0.1}, {1, 0.2}, {1, -0.4}};
    EXPECT_NEAR(TSquaredOfVectors(offLine.data(), 3), 2.0, 1e-13);
    const std::vector<StrainVector> one{{}, {0.5, 0.5}};
    EXPECT_EQ(ErrorTextOf([&] { TSquaredOfVectors(one.data(), 1); }), kDivisionByZeroMessage);
}

TEST(MomentMatrixIsSingular, JudgesAsTheTSquaredOfTheVectorsDoes) {
    struct Case {
        const char* name;
        std::vector<StrainVector> vectors;  // [0] unused
        bool singular;
    };
    const Case cases[] = {
        {"on one line through the origin", OnOneLine(33.3, 100), true},
        {"on one line along an axis", OnOneLine(90.0, 3), true},
        {"all zero", std::vector<StrainVector>(4), true},
        {"one vector", {{}, {0.5, 0.5}}, true},
        {"no vector", {{}}, true},
        {"a thin cluster whose rounded S has lost its determinant", Cluster(0.5, 10.0, 1e-10),
         false},
        {"a wide cluster", Cluster(1.0, 0.0, 0.3), false},
        {"on one line that misses the origin", {{}, {1, 0.1}, {1, 0.2}, {1, -0.4}}, false},
    };
    for (const Case& c : cases) {
        const int count = int(c.vectors.size()) - 1;
        EXPECT_EQ(MomentMatrixIsSingular(c.vectors.data(), count), c.singular) << c.name;
        // The judgement is the one that ends T² in its error, or lets it be evaluated.
        if (count >= 2) {
            EXPECT_EQ(
                ErrorTextOf([&] { TSquaredOfVectors(c.vectors.data(), count); }) != "(no error)",
                c.singular)
                << c.name;
        }
    }
}

// `count` vectors on the line through `offset`·(−sin a, cos a) along angle a, moved across it by
// `noise` times a pattern of five offsets.
std::vector<StrainVector> NearlyOnALine(double axisDegrees, double offset, int count,
                                        double noise) {
    const double u1 = std::cos(axisDegrees * kDegree), u2 = std::sin(axisDegrees * kDegree);
    std::vector<StrainVector> v(1);
    for (int k = 1; k <= count; ++k) {
        const double along = 0.1 * (k % 23) - 1.0, across = offset + noise * (k * 7 % 5 - 2);
        v.push_back({along * u1 - across * u2, along * u2 + across * u1});
    }
    return v;
}

// Nine ellipses of ratios 1.2 to 4 whose long axes lie within ±`widthDegrees` of one axis.
std::vector<StrainVector> TightFabric(double axisDegrees, double widthDegrees) {
    std::vector<StrainVector> v(1);
    for (int k = 0; k < 9; ++k) {
        const double phi = axisDegrees + widthDegrees * (k * 5 % 9 - 4) / 4.0;
        v.push_back(EllipseToVector(1.2 + 0.35 * k, phi * kDegree));
    }
    return v;
}

TEST(CovarianceIsSingular, TellsSetsOnOneLineToTheirRoundingFromThinAndTinySets) {
    // The eigenvalue ratio of the covariance of NearlyOnALine is about 4.5 noise²: the share
    // 1e-10 falls at a noise of 5e-6. That of TightFabric grows as the width squared: 2.1e-4 at
    // ±0.3°, 9.4e-7 at ±0.02°, about 2e-13 at ±1e-5°.
    struct Case {
        const char* name;
        std::vector<StrainVector> vectors;  // [0] unused
        bool singular;
    };
    const Case cases[] = {
        {"on one line through the origin", OnOneLine(33.3, 10000), true},
        {"on one line that misses the origin", NearlyOnALine(-17.0, 0.8, 10000, 0.0), true},
        {"three on a line that misses the origin", NearlyOnALine(90.0, 0.3, 3, 0.0), true},
        {"two distinct vectors, repeated", {{}, {1, 2}, {0.3, -0.4}, {1, 2}, {1, 2}}, true},
        {"all equal", {{}, {0.2, 0.1}, {0.2, 0.1}, {0.2, 0.1}}, true},
        {"one vector", {{}, {0.5, 0.5}}, true},
        {"off a line by 1e-9 of the spread", NearlyOnALine(40.0, 0.5, 100, 1e-9), true},
        {"off a line by 1e-6 of the spread", NearlyOnALine(40.0, 0.5, 100, 1e-6), true},
        {"off a line by 3e-4 of the spread", NearlyOnALine(40.0, 0.5, 100, 3e-4), false},
        {"off a line by 1e-2 of the spread", NearlyOnALine(40.0, 0.5, 100, 1e-2), false},
        {"long axes within ±1e-5° of one axis", TightFabric(25.0, 1e-5), true},
        {"long axes within ±0.02° of one axis", TightFabric(25.0, 0.02), false},
        {"long axes within ±0.3° of one axis", TightFabric(25.0, 0.3), false},
        {"a cluster 1e-10 wide", Cluster(0.5, 10.0, 1e-10), false},
        {"nearly round: a cluster 1e-7 wide at the origin", Cluster(0.0, 0.0, 1e-7), false},
        {"a wide cluster", Cluster(1.0, 0.0, 0.3), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CovarianceIsSingular(c.vectors.data(), int(c.vectors.size()) - 1), c.singular)
            << c.name;
    }
}

TEST(NearSingularity, IsTheEigenvalueRatioOnTheScaleOfTheMatrix) {
    struct Case {
        Matrix2 S;
        long double expected;  // λ1·λ2 / (λ1² + λ2²)
    };
    const Case cases[] = {
        {{2, 0, 0, 2}, 0.5L},         {{3, 1, 1, 3}, 8.0L / 20.0L},  // λ = 4, 2
        {{1, 0, 0, 1e-20}, 1e-20L},    // tiny on the scale of the matrix, though det = m11·m22
        {{0.5, 0.5, 0.5, 0.5}, 0.0L},  // λ = 1, 0
        {{0, 0, 0, 0}, 0.0L},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(NearSingularity(c.S), c.expected, 1e-15L * c.expected)
            << c.S.m11 << " " << c.S.m12 << " " << c.S.m22;
    }
}

}  // namespace
}  // namespace varnel
