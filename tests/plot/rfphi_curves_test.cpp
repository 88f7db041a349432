#include "plot/rfphi_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/orientation.h"

namespace varnel::plot {
namespace {

// The known answers are given to 7 significant digits in Rf and 4 decimals in φ.
constexpr double kRfTolerance = 5e-6;
constexpr double kPhiTolerance = 5e-5;
// Agreement of two exact computations in double precision.
constexpr double kExactTolerance = 1e-9;

struct KnownAnswer {
    double Ri, theta, Rf, phi;
};

TEST(StrainedEllipse, GivesTheKnownAnswersForAStrainOfTwo) {
    const KnownAnswer cases[] = {
        {1.5, 30.0, 2.642388, 9.2944},
        {1.5, 60.0, 1.857465, 16.5844},
        {2.5, 60.0, 2.425155, 32.3136},
    };
    for (const KnownAnswer& c : cases) {
        const RfPhiPoint p = StrainedEllipse(2.0, 0.0, c.Ri, c.theta);
        EXPECT_NEAR(p.R, c.Rf, kRfTolerance) << c.Ri << " " << c.theta;
        EXPECT_NEAR(p.phiDegrees, c.phi, kPhiTolerance) << c.Ri << " " << c.theta;
    }
}

// The same ellipse from the deformation matrix: B = F · B₀ · Fᵀ, with B₀ the shape matrix of the
// initial ellipse (semi-axes² Ri and 1/Ri along φs + θ) and F the strain (stretch √Rs along φs).
RfPhiPoint ByMatrices(double Rs, double phiS, double Ri, double theta) {
    const double d = std::numbers::pi / 180.0;
    auto shape = [](double ratio, double angle, double m[2][2]) {
        const double c = std::cos(angle), s = std::sin(angle);
        m[0][0] = ratio * c * c + s * s / ratio;
        m[1][1] = ratio * s * s + c * c / ratio;
        m[0][1] = m[1][0] = (ratio - 1.0 / ratio) * c * s;
    };
    double B0[2][2], F[2][2], FB[2][2], B[2][2];
    shape(Ri, (phiS + theta) * d, B0);
    shape(std::sqrt(Rs), phiS * d, F);  // symmetric: its own transpose
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) FB[i][j] = F[i][0] * B0[0][j] + F[i][1] * B0[1][j];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) B[i][j] = FB[i][0] * F[0][j] + FB[i][1] * F[1][j];
    const double mean = (B[0][0] + B[1][1]) / 2;
    const double radius = std::hypot((B[0][0] - B[1][1]) / 2, B[0][1]);
    const double phi = 0.5 * std::atan2(2 * B[0][1], B[0][0] - B[1][1]) / d;
    return {std::sqrt((mean + radius) / (mean - radius)), ReduceHalfTurns(phi)};
}

TEST(StrainedEllipse, AgreesWithTheDeformationMatrixInEveryQuadrant) {
    struct Case {
        double Rs, phiS, Ri, theta;
    };
    const Case cases[] = {
        {2.0, 0.0, 1.5, 30.0},    {2.0, 0.0, 3.0, 85.0},   {2.0, 0.0, 3.0, -85.0},
        {1.3, 40.0, 2.5, 70.0},   {1.8, 80.0, 1.2, 40.0},  {1.8, 80.0, 4.0, 60.0},
        {3.0, -75.0, 1.1, -50.0}, {3.0, -75.0, 6.0, 89.0}, {1.05, 10.0, 1.04, 88.0},
    };
    for (const Case& c : cases) {
        const RfPhiPoint expected = ByMatrices(c.Rs, c.phiS, c.Ri, c.theta);
        const RfPhiPoint p = StrainedEllipse(c.Rs, c.phiS, c.Ri, c.theta);
        EXPECT_NEAR(p.R, expected.R, kExactTolerance) << c.Rs << " " << c.phiS << " " << c.Ri;
        EXPECT_NEAR(p.phiDegrees, expected.phiDegrees, 1e-7)
            << c.Rs << " " << c.phiS << " " << c.Ri;
    }
}

TEST(StrainedEllipse, AnInitialCircleTakesTheStrainAndAnEllipseAcrossItIsShortened) {
    const RfPhiPoint circle = StrainedEllipse(2.5, 20.0, 1.0, 37.0);
    EXPECT_NEAR(circle.R, 2.5, kExactTolerance);
    EXPECT_NEAR(circle.phiDegrees, 20.0, kExactTolerance);
    const RfPhiPoint across = StrainedEllipse(2.0, 20.0, 3.0, 90.0);
    EXPECT_NEAR(across.R, 1.5, kExactTolerance);
    EXPECT_NEAR(across.phiDegrees, -70.0, kExactTolerance);  // 20° + 90°, wrapped
}

TEST(SplitCurve, EndsAPieceAtTheEdgeWhereTheOrientationWrapsAndGoesOnFromTheOtherEdge) {
    const auto pieces = SplitCurve({{2, 80}, {2, 88}, {8, -88}, {8, -80}}, 10.0);
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_EQ(pieces[0].size(), 3u);
    ASSERT_EQ(pieces[1].size(), 3u);
    // Half way in φ, half way in ln Rf: Rf = 4 at both edges.
    EXPECT_DOUBLE_EQ(pieces[0][2].phiDegrees, 90.0);
    EXPECT_NEAR(pieces[0][2].R, 4.0, kExactTolerance);
    EXPECT_DOUBLE_EQ(pieces[1][0].phiDegrees, -90.0);
    EXPECT_NEAR(pieces[1][0].R, 4.0, kExactTolerance);
    EXPECT_DOUBLE_EQ(pieces[1][2].phiDegrees, -80.0);
}

TEST(SplitCurve, WrapsLeftwardsAsWell) {
    const auto pieces = SplitCurve({{3, -85}, {3, -89}, {3, 89}, {3, 85}}, 10.0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].back().phiDegrees, -90.0);
    EXPECT_DOUBLE_EQ(pieces[1].front().phiDegrees, 90.0);
}

TEST(SplitCurve, BreaksWithoutEdgePointsWhereTheOrientationJumpsThroughRfOne) {
    const auto pieces = SplitCurve({{1.1, 40}, {1.05, 44}, {1.05, -44}, {1.1, -40}}, 10.0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].back().phiDegrees, 44.0);
    EXPECT_DOUBLE_EQ(pieces[1].front().phiDegrees, -44.0);
}

TEST(SplitCurve, KeepsNothingAboveTheTopAndEndsPiecesOnIt) {
    const auto pieces = SplitCurve({{2, 0}, {4, 10}, {4, 20}, {2, 30}, {1.5, 40}}, 3.0);
    ASSERT_EQ(pieces.size(), 2u);
    const double t = std::log(1.5) / std::log(2.0);  // where ln Rf reaches ln 3 from ln 2
    ASSERT_EQ(pieces[0].size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0][1].R, 3.0);
    EXPECT_NEAR(pieces[0][1].phiDegrees, 10.0 * t, kExactTolerance);
    ASSERT_EQ(pieces[1].size(), 3u);
    EXPECT_DOUBLE_EQ(pieces[1][0].R, 3.0);
    EXPECT_NEAR(pieces[1][0].phiDegrees, 30.0 - 10.0 * t, kExactTolerance);
    EXPECT_DOUBLE_EQ(pieces[1][2].phiDegrees, 40.0);
}

TEST(SplitCurve, DropsPiecesOfASinglePointAndNonFiniteSamples) {
    EXPECT_TRUE(SplitCurve({{2, 0}}, 3.0).empty());
    EXPECT_TRUE(SplitCurve({{2, 0}, {NAN, 5}, {2, 10}}, 3.0).empty());
    EXPECT_TRUE(SplitCurve({{5, 0}, {6, 5}}, 3.0).empty());
}

// No segment of any piece crosses the plot: neighbours lie close in φ and nothing is above the top.
void ExpectDrawable(const std::vector<RfPhiPolyline>& pieces, double rfTop,
                    const std::string& what) {
    for (const RfPhiPolyline& piece : pieces) {
        for (std::size_t i = 0; i < piece.size(); ++i) {
            EXPECT_LE(piece[i].R, rfTop * (1 + 1e-12)) << what;
            EXPECT_GE(piece[i].phiDegrees, -90.0) << what;
            EXPECT_LE(piece[i].phiDegrees, 90.0) << what;
            if (i > 0) {
                EXPECT_LT(std::abs(piece[i].phiDegrees - piece[i - 1].phiDegrees), 10.0) << what;
            }
        }
    }
}

TEST(RiCurve, ClosesAroundTheStrainWhenRiIsBelowRs) {
    const auto pieces = RiCurve(2.0, 0.0, 1.5, 10.0);
    ASSERT_EQ(pieces.size(), 1u);
    const RfPhiPolyline& line = pieces[0];
    EXPECT_NEAR(line.front().R, line.back().R, kExactTolerance);
    EXPECT_NEAR(line.front().phiDegrees, line.back().phiDegrees, kExactTolerance);
    double lowest = 1e9, highest = 0;
    for (const RfPhiPoint& p : line) {
        lowest = std::min(lowest, p.R);
        highest = std::max(highest, p.R);
    }
    EXPECT_NEAR(lowest, 2.0 / 1.5, kExactTolerance);  // θ = 90°: Rs / Ri
    EXPECT_NEAR(highest, 3.0, kExactTolerance);       // θ = 0°: Rs · Ri
}

TEST(RiCurve, NeverDrawsALineAcrossThePlot) {
    for (double phiS : {0.0, 35.0, 80.0, -89.0}) {
        for (double Ri : {1.25, 1.9, 2.0, 2.1, 3.0, 6.0}) {
            const std::string what = "phiS " + std::to_string(phiS) + " Ri " + std::to_string(Ri);
            ExpectDrawable(RiCurve(2.0, phiS, Ri, 5.0), 5.0, what);
        }
    }
}

TEST(RiCurve, AboveRsSpansTheWholeOrientationRange) {
    double lowest = 90, highest = -90;
    for (const RfPhiPolyline& piece : RiCurve(2.0, 30.0, 3.0, 10.0)) {
        for (const RfPhiPoint& p : piece) {
            lowest = std::min(lowest, p.phiDegrees);
            highest = std::max(highest, p.phiDegrees);
        }
    }
    EXPECT_DOUBLE_EQ(lowest, -90.0);
    EXPECT_DOUBLE_EQ(highest, 90.0);
}

TEST(ThetaCurve, StartsAtTheStrainAndRisesToTheTop) {
    const auto zero = ThetaCurve(2.0, 25.0, 0.0, 6.0);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_NEAR(zero[0].front().R, 2.0, kExactTolerance);
    EXPECT_NEAR(zero[0].front().phiDegrees, 25.0, kExactTolerance);
    EXPECT_DOUBLE_EQ(zero[0].back().R, 6.0);
    for (const RfPhiPoint& p : zero[0]) EXPECT_NEAR(p.phiDegrees, 25.0, kExactTolerance);
}

TEST(ThetaCurve, AcrossTheStrainFallsToRfOneAndRisesAtRightAngles) {
    const auto across = ThetaCurve(2.0, 25.0, 90.0, 6.0);
    ASSERT_EQ(across.size(), 2u);
    EXPECT_NEAR(across[0].front().R, 2.0, kExactTolerance);
    EXPECT_LT(across[0].back().R, 1.01);
    EXPECT_NEAR(across[0].back().phiDegrees, 25.0, kExactTolerance);
    EXPECT_LT(across[1].front().R, 1.01);
    EXPECT_NEAR(across[1].front().phiDegrees, -65.0, kExactTolerance);
    EXPECT_DOUBLE_EQ(across[1].back().R, 6.0);
}

TEST(ThetaCurve, NeverDrawsALineAcrossThePlot) {
    for (double phiS : {0.0, 60.0, 85.0}) {
        for (double theta = -80.0; theta <= 90.0; theta += 10.0) {
            const std::string what =
                "phiS " + std::to_string(phiS) + " theta " + std::to_string(theta);
            ExpectDrawable(ThetaCurve(1.7, phiS, theta, 4.0), 4.0, what);
        }
    }
}

TEST(RiCurveRatios, ListsTheCurvesThatReachIntoThePlot) {
    struct Case {
        double Rs, rfTop;
        std::vector<double> ratios;
    };
    const Case cases[] = {
        {2.0, 4.0, {1.25, 1.5, 2, 2.5, 3, 4, 5, 6}},
        {1.1, 1.5, {1.25, 1.5}},
        {1.0, 1.2, {}},
        {5.0, 5.0, {1.25, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10, 15, 20}},
    };
    for (const Case& c : cases) EXPECT_EQ(RiCurveRatios(c.Rs, c.rfTop), c.ratios) << c.Rs;
}

}  // namespace
}  // namespace varnel::plot
