#include "core/minimizers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varnel {
namespace {

// Counts the evaluations of a function of t along the segment (0, 0) … (1, 0).
struct CountingLine {
    std::function<double(double)> g;
    int evaluations = 0;
    ObjectiveFunction Objective() {
        return [this](StrainVector p) {
            ++evaluations;
            return g(p.x1);
        };
    }
};

TEST(GoldenSectionSearch, FindsASmoothMinimumInThirtyEvaluations) {
    CountingLine line{[](double t) { return (t - 0.8) * (t - 0.8); }};
    const LineSearchResult result = GoldenSectionSearch({0, 0}, {1, 0}, line.Objective());
    EXPECT_NEAR(result.point.x1, 0.8, 1e-6);
    EXPECT_EQ(line.evaluations, 30);
}

TEST(GoldenSectionSearch, StaysInsideTheSegmentAndEndsWhereTheRelativeTestCannot) {
    struct Case {
        const char* name;
        std::function<double(double)> g;
        double expected;
    };
    const Case cases[] = {
        {"minimum beyond the end", [](double t) { return (t - 1.3) * (t - 1.3); }, 1.0},
        {"minimum at the start point", [](double t) { return t * t; }, 0.0},
        {"constant", [](double) { return 1.0; }, -1.0},
    };
    for (const Case& c : cases) {
        CountingLine line{c.g};
        const LineSearchResult result = GoldenSectionSearch({0, 0}, {1, 0}, line.Objective());
        EXPECT_GT(result.point.x1, 0.0) << c.name;
        EXPECT_LT(result.point.x1, 1.0) << c.name;
        if (c.expected >= 0) {
            EXPECT_NEAR(result.point.x1, c.expected, 1e-6) << c.name;
        }
        EXPECT_LE(line.evaluations, 202) << c.name;
    }
}

TEST(SimplexMinimize, ReturnsAtOnceWhenTheValuesAlreadyAgree) {
    // A constant objective, and one whose values are all exactly 0 (T² at an exact minimum).
    for (const double value : {2.0, 0.0}) {
        int evaluations = 0;
        const ObjectiveFunction constant = [&](StrainVector) {
            ++evaluations;
            return value;
        };
        std::array<StrainVector, 3> triangle{{{0.1, 0.2}, {0.0, 0.2}, {0.1, 0.1}}};
        const auto before = triangle;
        EXPECT_TRUE(MinimizeFromTriangle(triangle, constant)) << value;
        EXPECT_EQ(evaluations, 3) << value;  // the three starting vertices only
        EXPECT_EQ(triangle, before) << value;
    }
}

TEST(SimplexMinimize, FindsTheMinimumOfAValley) {
    // A rotated, elongated bowl with its minimum value 1 at (0.3, −0.2).
    const ObjectiveFunction bowl = [](StrainVector p) {
        const double u = (p.x1 - 0.3) + (p.x2 + 0.2), v = (p.x1 - 0.3) - (p.x2 + 0.2);
        return 1.0 + u * u + 10 * v * v;
    };
    std::array<StrainVector, 3> triangle{{{1, 1}, {0.9, 1}, {1, 0.9}}};
    ASSERT_TRUE(MinimizeFromTriangle(triangle, bowl));
    for (const StrainVector& v : triangle) {
        EXPECT_NEAR(v.x1, 0.3, 1e-2);
        EXPECT_NEAR(v.x2, -0.2, 1e-2);
    }
}

TEST(SimplexMinimize, EndsOnTheEvaluationLimitWhenValuesNeverAgree) {
    // Every evaluation is worse than the last: the triangle shrinks onto its best vertex while the
    // values of the others keep rising, so they never come within the tolerance.
    int calls = 0;
    const ObjectiveFunction rough = [&calls](StrainVector) { return 1.0 + calls++; };
    Simplex simplex{{{{0, 0}, {0.1, 0}, {0, 0.1}}}, {}};
    for (int i = 0; i < 3; ++i) simplex.value[i] = rough(simplex.vertex[i]);
    std::int32_t count = 0;
    EXPECT_FALSE(SimplexMinimize(simplex, 1e-6, count, rough));
    EXPECT_GE(count, 5000);
    EXPECT_LE(count, 5003);
}

TEST(SimplexMinimize, CountsTheRepeatedCyclesOfAStalledRunWithoutEvaluatingThem) {
    // The bowl's minimum lies between doubles: its values there differ relatively by far more
    // than the tolerance, and the triangle, contracted onto neighbouring doubles, repeats a cycle.
    int calls = 0;
    const ObjectiveFunction bowl = [&calls](StrainVector p) {
        ++calls;
        return (p.x1 - 0.3) * (p.x1 - 0.3) + (p.x2 - 0.2) * (p.x2 - 0.2);
    };
    std::array<StrainVector, 3> triangle{{{0, 0}, {0.1, 0}, {0, 0.1}}};
    EXPECT_FALSE(MinimizeFromTriangle(triangle, bowl));
    EXPECT_LT(calls, 1000);
    for (const StrainVector& v : triangle) {
        EXPECT_NEAR(v.x1, 0.3, 1e-15);
        EXPECT_NEAR(v.x2, 0.2, 1e-15);
    }
}

TEST(SimplexTry, AWorseTrialChangesNothingButTheCount) {
    const ObjectiveFunction f = [](StrainVector p) { return p.x1 * p.x1 + p.x2 * p.x2; };
    Simplex simplex{{{{0, 0}, {0.1, 0}, {0, 0.1}}}, {0, 0.01, 0.01}};
    StrainVector sum{0.1, 0.1};
    std::int32_t count = 0;
    const Simplex before = simplex;
    // Reflecting the best vertex through the others lands further from the minimum.
    const double y = SimplexTry(simplex, sum, 0, count, -1.0, f);
    EXPECT_DOUBLE_EQ(y, 0.02);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(simplex.vertex, before.vertex);
    EXPECT_EQ(simplex.value, before.value);
    EXPECT_EQ(sum, (StrainVector{0.1, 0.1}));
    // Contracting vertex 2 halfway to the centroid improves it and moves the vertex sum.
    SimplexTry(simplex, sum, 1, count, 0.5, f);
    EXPECT_DOUBLE_EQ(simplex.vertex[1].x1, 0.05);
    EXPECT_DOUBLE_EQ(simplex.vertex[1].x2, 0.025);
    EXPECT_DOUBLE_EQ(simplex.value[1], 0.003125);
    EXPECT_DOUBLE_EQ(sum.x1, 0.05);
    EXPECT_DOUBLE_EQ(sum.x2, 0.125);
}

}  // namespace
}  // namespace varnel
