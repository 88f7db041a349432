#pragma once

#include <array>

namespace varnel::ellipsoid {

/// A direction or point in the sample's frame: x east, y north, z up.
using Vector3 = std::array<double, 3>;

/// A section's plane: strike clockwise from north, dipping to the right of the strike (the
/// right-hand rule), dip 0–90°.
struct Plane {
    double strikeDegrees = 0.0;
    double dipDegrees = 0.0;
};

/// The plane's own axes: x′ along the strike, y′ down the dip. φ of a section is measured from
/// x′ towards y′, so a horizontal section (strike 0, dip 0) measures it from north towards east.
struct PlaneAxes {
    Vector3 strike;
    Vector3 downDip;
};

PlaneAxes AxesOf(Plane plane);

/// A line as geologists give it: trend clockwise from north (0–360°) and plunge downwards
/// (0–90°), the lower-hemisphere end of the line.
struct Line {
    double trendDegrees = 0.0;
    double plungeDegrees = 0.0;
};

/// The line of the (non-zero) vector v.
Line LineOf(const Vector3& v);

}  // namespace varnel::ellipsoid
