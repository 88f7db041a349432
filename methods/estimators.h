#pragma once

#include <vector>

#include "methods/hyperboloid.h"
#include "methods/methods.h"

namespace varnel::methods {

/// An angle in degrees reduced by multiples of 180° into [−90°, 90°).
double ReduceOffset(double degrees);

/// The shape points of ellipses given in degrees.
std::vector<ShapePoint> ShapePointsOf(const std::vector<EllipseInDegrees>& ellipses);

/// Hyperbolic mean of shape points h_i: S = Σ h_i, ‖S‖ = √(S₀² − S₁² − S₂²),
/// R = exp(arcosh(S₀ / ‖S‖)), φ = ½ atan2(S₂, S₁), κ = 1 / (‖S‖ / N − 1) (infinite when all
/// points coincide). The direction S / ‖S‖ is the mean of the unit-area shape matrices.
HyperbolicMean HyperbolicMeanOf(const std::vector<ShapePoint>& points);
HyperbolicMean HyperbolicMeanOf(const std::vector<EllipseInDegrees>& ellipses);

/// The log-strain vector of a hyperbolic mean.
StrainVector VectorOf(const HyperbolicMean& mean);

/// Harmonic mean ratio N / Σ(1 / R_i) with the vector mean orientation
/// ½ atan2(Σ sin 2φ_i, Σ cos 2φ_i).
StrainLocation HarmonicMeanOf(const std::vector<EllipseInDegrees>& ellipses);

/// Extreme ratios and the fluctuation (180° minus the largest gap between the sorted orientations
/// modulo 180°). Below 90° the case is "Ri<Rs": Rs = √(Rf_max · Rf_min), Ri = √(Rf_max / Rf_min);
/// otherwise "Ri>Rs" with the two swapped. Needs at least one ellipse.
RfMaxMin RfMaxMinOf(const std::vector<EllipseInDegrees>& ellipses);

}  // namespace varnel::methods
