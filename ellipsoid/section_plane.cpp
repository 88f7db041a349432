#include "ellipsoid/section_plane.h"

#include <cmath>
#include <numbers>

#include "core/orientation.h"

namespace varnel::ellipsoid {

PlaneAxes AxesOf(Plane plane) {
    const double s = plane.strikeDegrees * kDegree, d = plane.dipDegrees * kDegree;
    // Right of the strike, horizontally, is (cos s, −sin s, 0); down the dip tilts it by d.
    return {{std::sin(s), std::cos(s), 0.0},
            {std::cos(d) * std::cos(s), -std::cos(d) * std::sin(s), -std::sin(d)}};
}

Line LineOf(const Vector3& v) {
    const double sign = v[2] > 0.0 ? -1.0 : 1.0;  // the end that points down
    const double x = sign * v[0], y = sign * v[1], z = sign * v[2];
    const double horizontal = std::hypot(x, y);
    Line line;
    line.plungeDegrees = std::atan2(-z, horizontal) / kDegree;
    line.trendDegrees = horizontal > 0.0 ? std::atan2(x, y) / kDegree : 0.0;
    if (line.trendDegrees < 0.0) line.trendDegrees += 360.0;
    // A horizontal line has two ends at the same height: name the one east of south-north.
    if (z == 0.0 && line.trendDegrees >= 180.0) line.trendDegrees -= 180.0;
    return line;
}

}  // namespace varnel::ellipsoid
