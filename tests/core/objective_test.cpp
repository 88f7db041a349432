#include "core/objective.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "core/varnel_error.h"
#include "tests/support/angle_units.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

using testing_support::StateOf;
constexpr double kExampleTolerance = 5e-6;  // the worked examples carry six or seven digits

std::string ErrorOf(AnalysisState& state, StrainVector x) {
    return testing_support::ErrorTextOf([&] { TSquaredOfStrain(state, x); });
}

TEST(TSquaredOfStrain, MatchesTheThreeEllipseExample) {
    auto state = StateOf({{2, 10}, {3, 40}, {1.5, -20}});
    EXPECT_NEAR(TSquaredOfStrain(*state, {0, 0}), 1.722751, kExampleTolerance);
    EXPECT_NEAR(TSquaredOfStrain(*state, {0.2, 0.1}), 1.142123, kExampleTolerance);
    // The pre-strain arrays belong to the last evaluation.
    const StrainVector expected[] = {
        {0.452437, 0.133816}, {-0.074089, 0.985496}, {0.101955, -0.366315}};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_NEAR(state->PreVectors[k].x1, expected[k - 1].x1, kExampleTolerance) << k;
        EXPECT_NEAR(state->PreVectors[k].x2, expected[k - 1].x2, kExampleTolerance) << k;
        const StrainVector fromEllipse = EllipseToVector(state->RPre[k], state->PhiPre[k]);
        EXPECT_EQ(fromEllipse, state->PreVectors[k]);
    }
}

TEST(TSquaredOfStrain, IsOneForTwoDataAndZeroForTheStrainThatMadeTheData) {
    auto two = StateOf({{2, 10}, {3, 70}});
    for (StrainVector x : {StrainVector{0, 0}, StrainVector{0.3, -0.2}, StrainVector{-1, 0.5}}) {
        EXPECT_NEAR(TSquaredOfStrain(*two, x), 1.0, 1e-12);
    }
    // Pre-strain ellipses with a zero mean vector, strained by x: T²(x) vanishes.
    auto state = std::make_unique<AnalysisState>();
    const StrainVector strain{0.4, -0.3};
    const Ellipse s = VectorToEllipse(strain);
    const Ellipse pre[] = {{1.5, 0},
                           {1.5, std::numbers::pi / 3},
                           {1.5, -std::numbers::pi / 3},
                           {2.0, 0.1},
                           {2.0, 0.1 + std::numbers::pi / 2}};
    for (const Ellipse& e : pre) {
        const Ellipse post = SuperposeStrain(s.R, e.R, e.phi - s.phi);
        ++state->DataCount;
        state->RPost[state->DataCount] = post.R;
        state->PhiPost[state->DataCount] = post.phi + s.phi;
    }
    EXPECT_NEAR(TSquaredOfStrain(*state, strain), 0.0, 1e-20);
    EXPECT_GT(TSquaredOfStrain(*state, {0, 0}), 0.1);
}

TEST(TSquaredOfStrain, RaisesTheFloatingPointErrorOfDegenerateData) {
    auto none = StateOf({});
    EXPECT_EQ(ErrorOf(*none, {0.1, 0.1}), kInvalidOperationMessage);  // mean of no data: 0/0
    auto one = StateOf({{2, 10}});
    EXPECT_EQ(ErrorOf(*one, {0.1, 0.1}), kDivisionByZeroMessage);  // moment matrix over N − 1 = 0
    // A singular moment matrix: all data circles leave every pre vector zero at zero strain.
    auto circles = StateOf({{1, 0}, {1, 30}, {1, 60}});
    EXPECT_EQ(ErrorOf(*circles, {0, 0}), kInvalidOperationMessage);
}

TEST(TSquaredOfStrain, DividesByZeroWhereThePreVectorsOfCollinearDataStayOnTheirLine) {
    // Removing a strain along the data's own axis (or none) keeps every vector on the line;
    // a strain along another axis turns the ellipses by different amounts, off the line.
    for (const double axis : {0.0, 10.0, 45.0, -45.0, 90.0}) {
        for (const int count : {3, 100}) {
            SCOPED_TRACE(testing::Message() << count << " data along " << axis << "°");
            auto state = StateOf(testing_support::CollinearData(axis, count));
            EXPECT_EQ(ErrorOf(*state, {0, 0}), kDivisionByZeroMessage);
            EXPECT_EQ(ErrorOf(*state, EllipseToVector(1.5, axis * kDegree)),
                      kDivisionByZeroMessage);
            const double across =
                TSquaredOfStrain(*state, EllipseToVector(1.5, (axis + 30) * kDegree));
            EXPECT_GE(across, 0.0);
            EXPECT_LE(across, count - 1 + 1e-9);  // T² never exceeds N − 1
        }
    }
}

TEST(MomentMatrixAndMean, FollowTheWorkedExample) {
    auto state = std::make_unique<AnalysisState>();
    state->DataCount = 3;
    state->PreVectors[1] = {1, 0};
    state->PreVectors[2] = {0, 1};
    state->PreVectors[3] = {1, 1};
    const StrainVector m = MeanPreVector(*state);
    EXPECT_DOUBLE_EQ(m.x1, 2.0 / 3);
    const Matrix2 S = ComputeMomentMatrix(*state);
    EXPECT_EQ(S.m11, 1.0);
    EXPECT_EQ(S.m12, 0.5);
    EXPECT_EQ(S.m21, 0.5);
    EXPECT_EQ(S.m22, 1.0);
    const Matrix2 inverse = Invert2x2(S);
    const double T2 = 3 * (m.x1 * (m.x1 * inverse.m11 + m.x2 * inverse.m21) +
                           m.x2 * (m.x1 * inverse.m12 + m.x2 * inverse.m22));
    EXPECT_NEAR(T2, 16.0 / 9, 1e-15);
}

}  // namespace
}  // namespace varnel
