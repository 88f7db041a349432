#include "input/outline_moments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "tests/input/outline_shapes.h"

namespace varnel {
namespace {

using testing_support::EllipseGon;
using testing_support::Point;
using testing_support::Rectangle;

AreaMoments MomentsOf(const std::vector<Point>& ring) {
    RingMoments moments;
    for (const Point& p : ring) moments.Add(p.x, p.y);
    return moments.Close();
}

MomentEllipse EllipseOf(std::initializer_list<std::vector<Point>> rings) {
    PolygonMoments polygon;
    for (const std::vector<Point>& ring : rings) polygon.AddRing(MomentsOf(ring));
    return EquivalentEllipse(polygon.Total());
}

TEST(OutlineMoments, AUnitSquareHasItsTextbookMoments) {
    const AreaMoments square = MomentsOf({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    EXPECT_EQ(square.area, 1);
    EXPECT_EQ(square.x, 0.5L);
    EXPECT_EQ(square.y, 0.5L);
    EXPECT_NEAR(static_cast<double>(square.xx), 1.0 / 3, 1e-18);
    EXPECT_NEAR(static_cast<double>(square.yy), 1.0 / 3, 1e-18);
    EXPECT_EQ(square.xy, 0.25L);
    EXPECT_EQ(MomentsOf({{0, 0}, {0, 1}, {1, 1}, {1, 0}}).area, -1);  // clockwise
}

TEST(OutlineMoments, KnownShapesGiveTheirEllipses) {
    struct Case {
        const char* name;
        MomentEllipse ellipse;
        double R, degrees, tolerance;
    };
    std::vector<Point> clockwise = Rectangle(4, 1, 30);
    std::reverse(clockwise.begin(), clockwise.end());
    std::vector<Point> clockwiseHole = Rectangle(2, 1, 0);
    std::reverse(clockwiseHole.begin(), clockwiseHole.end());
    const Case cases[] = {
        {"4 × 1 rectangle at 30°", EllipseOf({Rectangle(4, 1, 30)}), 4, 30, 1e-15},
        {"the same, clockwise", EllipseOf({clockwise}), 4, 30, 1e-15},
        {"3600-gon of a 3:1 ellipse at −40°", EllipseOf({EllipseGon(3600, 3, 1, -40)}), 3, -40,
         1e-12},
        {"rectangle along y", EllipseOf({Rectangle(2, 1, 90)}), 2, 90, 1e-15},
        {"rectangle at −90° reads as 90°", EllipseOf({Rectangle(2, 1, -90)}), 2, 90, 1e-15},
        // A 4 × 2 plate with a 2 × 1 hole: Ixx : Iyy = (4²·8 − 2²·2) : (2²·8 − 1²·2) = 4, R = 2.
        {"hollow rectangle", EllipseOf({Rectangle(4, 2, 0), Rectangle(2, 1, 0)}), 2, 0, 1e-15},
        {"hole running the other way", EllipseOf({Rectangle(4, 2, 0), clockwiseHole}), 2, 0, 1e-15},
        // About its centroid a right isosceles triangle has μxx = μyy = L²/18, μxy = −L²/36.
        {"right triangle", EllipseOf({{{0, 0}, {1, 0}, {0, 1}}}), std::sqrt(3.0), -45, 1e-15},
        {"right triangle of legs 1e308", EllipseOf({{{0, 0}, {1e308, 0}, {0, 1e308}}}),
         std::sqrt(3.0), -45, 1e-15},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.ellipse.valid) << c.name;
        EXPECT_NEAR(static_cast<double>(c.ellipse.ratio), c.R, c.tolerance) << c.name;
        EXPECT_NEAR(static_cast<double>(c.ellipse.degrees), c.degrees, c.tolerance * 100) << c.name;
    }
}

TEST(OutlineMoments, ARegionWithoutAreaHasNoEllipse) {
    EXPECT_FALSE(EllipseOf({{{0, 0}, {1, 1}, {2, 2}}}).valid);
    EXPECT_FALSE(EllipseOf({}).valid);
    EXPECT_FALSE(EllipseOf({Rectangle(2, 1, 0), Rectangle(2, 1, 0)}).valid);  // hole fills it
}

}  // namespace
}  // namespace varnel
