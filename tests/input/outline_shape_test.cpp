#include "input/outline_shape.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/input/outline_shapes.h"

namespace varnel {
namespace {

using testing_support::EllipseGon;
using testing_support::Point;
using testing_support::Rectangle;

// The rings as the GeoJSON reader hands them over: vertices in a row, the end of each ring.
OutlineFault CheckRings(const std::vector<std::vector<Point>>& rings) {
    std::vector<OutlineVertex> vertices;
    std::vector<std::size_t> ends;
    for (const std::vector<Point>& ring : rings) {
        for (const Point& p : ring) {
            vertices.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
        }
        vertices.push_back(vertices[ends.empty() ? 0 : ends.back()]);  // closed as GeoJSON is
        ends.push_back(vertices.size());
    }
    return CheckOutline(vertices, ends);
}

TEST(CheckOutline, FindsRingsThatBoundNoRegion) {
    std::vector<Point> swapped = EllipseGon(3600, 3, 1, 20);
    std::swap(swapped[1000], swapped[1001]);  // one small twist in a long outline
    const std::vector<Point> square = Rectangle(4, 4, 0, 2, 2);
    struct Case {
        const char* name;
        std::vector<std::vector<Point>> rings;
        OutlineFault fault;
    };
    const Case cases[] = {
        {"square", {square}, OutlineFault::None},
        {"3600-gon", {EllipseGon(3600, 3, 1, 20)}, OutlineFault::None},
        {"L shape", {{{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}}, OutlineFault::None},
        {"two squares touching at a corner, traced as one ring",
         {{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}}},
         OutlineFault::None},
        {"vertical edges on one line",
         {{{0, 0}, {1, 0}, {1, 3}, {0, 3}, {0, 2}, {0, 1}}},
         OutlineFault::None},
        {"bow-tie", {{{0, 0}, {2, 2}, {2, 0}, {0, 2}}}, OutlineFault::CrossesItself},
        {"five-point star",
         {{{0, 10}, {6, -8}, {-10, 3}, {10, 3}, {-6, -8}}},
         OutlineFault::CrossesItself},
        {"3600-gon with two vertices swapped", {swapped}, OutlineFault::CrossesItself},
        {"hole inside", {square, Rectangle(1, 1, 0, 2, 2)}, OutlineFault::None},
        {"hole touching the outer ring from inside",
         {square, {{0, 0}, {1, 2}, {2, 1}}},
         OutlineFault::None},
        {"hole across the outer ring",
         {square, Rectangle(2, 2, 0, 4, 2)},
         OutlineFault::RingsCross},
        {"hole outside", {square, Rectangle(1, 1, 0, 10, 10)}, OutlineFault::HoleOutside},
        {"hole around the outer ring",
         {square, Rectangle(10, 10, 0, 2, 2)},
         OutlineFault::HoleOutside},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckRings(c.rings), c.fault) << c.name;
}

}  // namespace
}  // namespace varnel
