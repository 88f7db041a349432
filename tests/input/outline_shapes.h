#pragma once

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace varnel::testing_support {

/// A vertex of an outline, in the extended precision of the moment sums.
struct Point {
    long double x, y;
};

/// The corners of an a × b rectangle centred on (cx, cy), its side a turned `degrees`
/// anticlockwise from the x axis.
inline std::vector<Point> Rectangle(long double a, long double b, long double degrees,
                                    long double cx = 0, long double cy = 0) {
    const long double t = degrees * std::numbers::pi_v<long double> / 180;
    std::vector<Point> ring;
    for (const auto& [u, v] : {std::pair{-a, -b}, {a, -b}, {a, b}, {-a, b}}) {
        ring.push_back({cx + u / 2 * std::cos(t) - v / 2 * std::sin(t),
                        cy + u / 2 * std::sin(t) + v / 2 * std::cos(t)});
    }
    return ring;
}

/// n vertices on the ellipse of semi-axes a, b turned `degrees`: an affine image of a regular
/// n-gon, whose second moments are isotropic, so its moment ellipse has the ratio a / b exactly.
inline std::vector<Point> EllipseGon(int n, long double a, long double b, long double degrees) {
    const long double t = degrees * std::numbers::pi_v<long double> / 180;
    std::vector<Point> ring;
    for (int k = 0; k < n; ++k) {
        const long double u = 2 * std::numbers::pi_v<long double> * k / n;
        const long double x = a * std::cos(u), y = b * std::sin(u);
        ring.push_back({x * std::cos(t) - y * std::sin(t), x * std::sin(t) + y * std::cos(t)});
    }
    return ring;
}

}  // namespace varnel::testing_support
