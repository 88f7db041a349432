#pragma once

#include <numbers>

#include "core/strain_vector.h"

namespace varnel {

/// Radians in one degree.
inline constexpr double kDegree = std::numbers::pi / 180.0;

/// `degrees` less the whole half-turns that bring it into (−90°, 90°]; exact for every finite
/// value.
double ReduceHalfTurns(double degrees);

/// An angle in radians in degrees: radians · 180 / π in double precision, as the observed
/// orientations of the state are shown and handed to the methods.
double RadiansToDegrees(double radians);

/// The orientation of the ellipse or strain of a log-strain vector in degrees, ½ atan2(x2, x1)
/// in double precision: in [−90°, 90°].
double OrientationDegreesOf(StrainVector x);

}  // namespace varnel
