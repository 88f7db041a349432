#include "core/orientation.h"

#include <gtest/gtest.h>

#include <numbers>

namespace varnel {
namespace {

TEST(ReduceHalfTurns, BringsEveryAngleIntoTheOpenClosedQuarterTurnsExactly) {
    struct Case {
        double degrees, reduced;
    };
    const Case cases[] = {
        {30, 30},   {90, 90},       {-90, 90},  {90.5, -89.5}, {179.9, 179.9 - 180},
        {180, 0},   {-180, 0},      {360, 0},   {450, 90},     {-270, 90},
        {0.1, 0.1}, {-725.5, -5.5}, {1e300, 0}, {-91, 89},     {-179.5, 0.5},
        {-45, -45}, {-269, -89},    {100, -80}, {-100, 80},    {179.5, -0.5},
    };
    for (const Case& c : cases) EXPECT_EQ(ReduceHalfTurns(c.degrees), c.reduced) << c.degrees;
}

TEST(OrientationDegreesOf, IsHalfTheDirectionOfTheVector) {
    EXPECT_DOUBLE_EQ(OrientationDegreesOf({0, 1}), 45.0);
    EXPECT_DOUBLE_EQ(OrientationDegreesOf({-1, 0}), 90.0);
    EXPECT_DOUBLE_EQ(OrientationDegreesOf({1, -1}), -22.5);
    EXPECT_DOUBLE_EQ(RadiansToDegrees(std::numbers::pi / 3), 60.0);
}

}  // namespace
}  // namespace varnel
