#pragma once

#include <optional>
#include <vector>

#include "core/strain_vector.h"

namespace varnel::methods {

/// An ellipse as a point of the hyperboloid t² − w1² − w2² = 1 of unit-area shapes:
/// (cosh ρ, sinh ρ · cos 2φ, sinh ρ · sin 2φ) with ρ = ln R. Its hyperbolic distance from the
/// circle is ρ, the length of its log-strain vector, and a pure strain acts on it as a Lorentz
/// boost, an isometry.
struct ShapePoint {
    double t = 1.0, w1 = 0.0, w2 = 0.0;
};

/// The point of an ellipse of ratio R and orientation φ (radians): cosh ρ = (R + 1/R) / 2,
/// sinh ρ = (R − 1/R) / 2, without logarithms.
ShapePoint ShapePointOf(double R, double phiRadians);

/// The point of a log-strain vector x: (cosh |x|, sinh |x| · x / |x|).
ShapePoint ShapePointOfVector(StrainVector x);

/// The log-strain vector of a point: ρ = arsinh |w| (exact near the circle), direction w / |w|.
StrainVector VectorOfShapePoint(ShapePoint p);

/// The pure strain of log-strain vector x applied to p (the boost of rapidity |x| along x).
ShapePoint ApplyStrain(StrainVector x, ShapePoint p);

/// The pure strain of log-strain vector x removed from p (the boost of rapidity −|x|).
ShapePoint RemoveStrain(StrainVector x, ShapePoint p);

/// A point with a strain removed, and cosh ρ − 1 of it kept apart (its t rounds that away near
/// the circle).
struct RemovedPoint {
    ShapePoint point;
    long double coshMinusOne = 0.0L;
};

/// The pure strain x removed from p as RemoveStrain does, from the polar forms (ρ, α = 2φ) of p
/// and (r, β) of x, δ = α − β: cosh ρ′ − 1 = 2 sinh²((ρ − r)/2) + 2 sinh ρ sinh r sin²(δ/2), and
/// along and across x, w∥ = sinh(ρ − r) − 2 sinh ρ cosh r sin²(δ/2), w⊥ = sinh ρ sin δ. Nothing
/// of cosh ρ cosh r cancels against sinh ρ sinh r, so far ellipses and far strains keep their
/// digits. Extended precision.
RemovedPoint RemoveStrainFromPolarForm(StrainVector x, ShapePoint p);

/// The T² estimate of the ellipses `points`: the strain whose removal leaves their pre vectors a
/// mean of (0, 0), the zero and only minimum of T². Removing a strain carries the pre vectors'
/// sum to the sum of the points' log maps, so this is their Riemannian (Karcher) mean, which
/// exists and is unique on the hyperboloid; found by damped Newton steps (FindNewtonRoot,
/// core/newton_root.h) from `start`.
/// Nothing when T² does not exist there (a singular moment matrix of the pre vectors, as when all
/// points coincide), when it cannot tell one strain from another (a singular covariance of the
/// pre vectors about their mean, as with two distinct points) or the iteration fails.
std::optional<StrainVector> T2EstimateOf(const std::vector<ShapePoint>& points, StrainVector start);

}  // namespace varnel::methods
