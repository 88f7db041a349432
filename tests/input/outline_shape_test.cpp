#include "input/outline_shape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
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
        {"two triangles touching at a vertex, traced as one ring",
         {{{1, 1}, {0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}}},
         OutlineFault::None},
        {"figure-8 through a shared vertex, lobes in opposite senses",
         {{{1, 1}, {0, 0}, {2, 0}, {1, 1}, {0, 3}, {2, 3}}},
         OutlineFault::CrossesItself},
        {"figure-8 through a vertex inside an edge",
         {{{0, 0}, {4, 4}, {0, 4}, {2, 2}, {4, 0}}},
         OutlineFault::CrossesItself},
        {"square traced twice",
         {{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}}},
         OutlineFault::CrossesItself},
        {"a ring round a hole it touches at a vertex",
         {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {1, 2}, {2, 1}}},
         OutlineFault::None},
        {"zero-width spike",
         {{{0, 0}, {4, 0}, {4, 2}, {6, 2}, {4, 2}, {4, 4}, {0, 4}}},
         OutlineFault::None},
        {"two identical holes",
         {square, Rectangle(1, 1, 0, 2, 2), Rectangle(1, 1, 0, 2, 2)},
         OutlineFault::HolesOverlap},
        {"a hole over part of another, sharing its sides",
         {square, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}, {{1, 1}, {3, 1}, {3, 2}, {1, 2}}},
         OutlineFault::HolesOverlap},
        {"a hole inside a hole",
         {Rectangle(8, 8, 0), Rectangle(4, 4, 0), Rectangle(1, 1, 0)},
         OutlineFault::HolesOverlap},
        {"two holes side by side, sharing a side",
         {square, {{1, 1}, {2, 1}, {2, 3}, {1, 3}}, {{2, 1}, {3, 1}, {3, 3}, {2, 3}}},
         OutlineFault::None},
        {"two holes touching at a vertex",
         {square, {{1, 1}, {2, 1}, {2, 2}}, {{2, 2}, {3, 2}, {3, 3}}},
         OutlineFault::None},
        {"hole across the notch of an L, its vertices on the outline",
         {{{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {{2, 1}, {1, 2}, {0, 0}}},
         OutlineFault::HoleOutside},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckRings(c.rings), c.fault) << c.name;
}

// The fault by definition, brute force on small integer outlines: a proper crossing of two
// edges, else the winding numbers of every face, each sampled at the centroid of a triangle of
// vertices (every face of edges that do not cross holds one), in exact integer arithmetic.
struct BruteForce {
    using Ring = std::vector<std::pair<long, long>>;  // coordinates times 3
    std::vector<Ring> rings;

    static long Cross(std::pair<long, long> a, std::pair<long, long> b, std::pair<long, long> c) {
        const long v = (b.first - a.first) * (c.second - a.second) -
                       (b.second - a.second) * (c.first - a.first);
        return (v > 0) - (v < 0);
    }
    static int WindingAt(const Ring& ring, std::pair<long, long> point, bool& onEdge) {
        int w = 0;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const auto a = ring[i], b = ring[(i + 1) % ring.size()];
            const long side = Cross(a, b, point);
            if (side == 0 && std::min(a.first, b.first) <= point.first &&
                point.first <= std::max(a.first, b.first) &&
                std::min(a.second, b.second) <= point.second &&
                point.second <= std::max(a.second, b.second))
                onEdge = true;
            if (a.second <= point.second && point.second < b.second && side > 0) ++w;
            if (b.second <= point.second && point.second < a.second && side < 0) --w;
        }
        return w;
    }
    std::set<OutlineFault> Faults() const {
        std::set<OutlineFault> crossings;
        for (std::size_t r = 0; r < rings.size(); ++r)
            for (std::size_t s = r; s < rings.size(); ++s)
                for (std::size_t i = 0; i < rings[r].size(); ++i)
                    for (std::size_t j = 0; j < rings[s].size(); ++j) {
                        const auto a = rings[r][i], b = rings[r][(i + 1) % rings[r].size()];
                        const auto c = rings[s][j], d = rings[s][(j + 1) % rings[s].size()];
                        if (Cross(a, b, c) * Cross(a, b, d) < 0 &&
                            Cross(c, d, a) * Cross(c, d, b) < 0)
                            crossings.insert(r == s ? OutlineFault::CrossesItself
                                                    : OutlineFault::RingsCross);
                    }
        if (!crossings.empty()) return crossings;
        Ring all;
        for (const Ring& ring : rings) all.insert(all.end(), ring.begin(), ring.end());
        std::vector<std::vector<int>> windings;  // of each ring, at each sample inside no edge
        for (std::size_t i = 0; i < all.size(); ++i)
            for (std::size_t j = i + 1; j < all.size(); ++j)
                for (std::size_t k = j + 1; k < all.size(); ++k) {
                    if (Cross(all[i], all[j], all[k]) == 0) continue;
                    const std::pair<long, long> centroid{
                        (all[i].first + all[j].first + all[k].first) / 3,
                        (all[i].second + all[j].second + all[k].second) / 3};
                    bool onEdge = false;
                    std::vector<int> w;
                    for (const Ring& ring : rings) w.push_back(WindingAt(ring, centroid, onEdge));
                    if (!onEdge) windings.push_back(w);
                }
        std::vector<int> senses(rings.size(), 0);
        for (std::size_t r = 0; r < rings.size(); ++r) {
            int lowest = 0, highest = 0;
            for (const auto& w : windings) {
                lowest = std::min(lowest, w[r]);
                highest = std::max(highest, w[r]);
            }
            if (highest - lowest > 1) return {OutlineFault::CrossesItself};
            senses[r] = highest - (lowest < 0);
        }
        std::set<OutlineFault> faults;
        for (const auto& w : windings) {
            int holes = 0;
            for (std::size_t r = 1; r < rings.size(); ++r) holes += w[r] * senses[r];
            if (holes > w[0] * senses[0])
                faults.insert(w[0] * senses[0] > 0 ? OutlineFault::HolesOverlap
                                                   : OutlineFault::HoleOutside);
        }
        return faults;
    }
};

TEST(CheckOutline, AgreesWithTheWindingNumbersOfEveryFace) {
    std::mt19937 random(20261207);
    std::map<OutlineFault, int> seen;
    for (int trial = 0; trial < 4000; ++trial) {
        std::vector<std::vector<Point>> rings;
        BruteForce brute;
        const int ringCount = 1 + static_cast<int>(random() % 3);
        for (int r = 0; r < ringCount; ++r) {
            rings.emplace_back();
            brute.rings.emplace_back();
            const int size = 3 + static_cast<int>(random() % 4);
            // Some rings repeat the one before, from another vertex, one way or the other.
            const bool copy = r > 0 && random() % 3 == 0;
            const std::vector<Point> before = copy ? rings[r - 1] : std::vector<Point>();
            const bool reverse = random() % 2 == 0;
            const std::size_t shift = random() % 7;
            for (std::size_t v = 0; v < (copy ? before.size() : static_cast<std::size_t>(size));
                 ++v) {
                const std::size_t at = (reverse ? before.size() - 1 - v : v) + shift;
                const long x = copy ? static_cast<long>(before[at % before.size()].x)
                                    : static_cast<long>(random() % 4);
                const long y = copy ? static_cast<long>(before[at % before.size()].y)
                                    : static_cast<long>(random() % 4);
                rings.back().push_back({static_cast<long double>(x), static_cast<long double>(y)});
                brute.rings.back().push_back({3 * x, 3 * y});
            }
            // Repeated vertices in a row, and rings of fewer than three vertices, are dropped.
            BruteForce::Ring& ring = brute.rings.back();
            ring.erase(std::unique(ring.begin(), ring.end()), ring.end());
            while (ring.size() > 1 && ring.back() == ring.front()) ring.pop_back();
            if (ring.size() < 3) ring.clear();
        }
        const std::set<OutlineFault> expected = brute.Faults();
        const OutlineFault fault = CheckRings(rings);
        ++seen[fault];
        if (expected.empty()) {
            EXPECT_EQ(fault, OutlineFault::None) << trial;
        } else {
            std::string rings;  // as the brute force has them
            for (const auto& ring : brute.rings) {
                rings += " |";
                for (const auto& [x, y] : ring)
                    rings += ' ' + std::to_string(x / 3) + ',' + std::to_string(y / 3);
            }
            EXPECT_TRUE(expected.count(fault))
                << trial << rings << " gave " << static_cast<int>(fault);
        }
    }
    for (const OutlineFault fault :
         {OutlineFault::None, OutlineFault::CrossesItself, OutlineFault::RingsCross,
          OutlineFault::HoleOutside, OutlineFault::HolesOverlap})
        EXPECT_GT(seen[fault], 20) << static_cast<int>(fault);
}

}  // namespace
}  // namespace varnel
