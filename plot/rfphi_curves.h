#pragma once

#include <vector>

#include "core/strain_vector.h"

namespace varnel::plot {

/// A point of the Rf/φ plot: an ellipse's axial ratio Rf ≥ 1 (its R) and the orientation of its
/// long axis in degrees, in (−90°, 90°].
using RfPhiPoint = EllipseInDegrees;

/// A connected piece of a curve of the Rf/φ plot, in drawing order.
using RfPhiPolyline = std::vector<RfPhiPoint>;

/// The ellipse that an initial ellipse of ratio Ri, whose long axis lies θ degrees from the
/// strain's long axis, becomes under a strain of ratio Rs whose long axis lies at φs degrees.
/// With ρ = ln R:
///   ln Rf = arccosh(cosh ρs · cosh ρi + sinh ρs · sinh ρi · cos 2θ)
///   tan 2(φ − φs) = 2Rs(Ri² − 1) sin 2θ / [(Ri² + 1)(Rs² − 1) + (Ri² − 1)(Rs² + 1) cos 2θ]
/// the doubled angle taken in its quadrant from the signs of the numerator and denominator.
RfPhiPoint StrainedEllipse(double Rs, double phiSDegrees, double Ri, double thetaDegrees);

/// Cuts a run of curve samples into drawable pieces: where φ wraps at ±90° the piece runs to
/// the edge and the next one starts at the opposite edge at the same Rf; where φ jumps by
/// more than 45° between neighbours (the curve passes through Rf = 1, where φ is undefined)
/// the piece ends; above `rfTop` nothing is kept, a piece ends and starts on that line.
/// Pieces of fewer than two points are dropped.
std::vector<RfPhiPolyline> SplitCurve(const std::vector<RfPhiPoint>& samples, double rfTop);

/// The Ri-curve: the initial ellipses of ratio Ri at every θ from −90° to 90° after the
/// strain (Rs, φs), cut by SplitCurve at `rfTop`.
std::vector<RfPhiPolyline> RiCurve(double Rs, double phiSDegrees, double Ri, double rfTop);

/// The θ-curve (Lisle 1985): the initial ellipses of orientation θ and every ratio Ri ≥ 1
/// after the strain (Rs, φs), from (Rs, φs) at Ri = 1 up to `rfTop`, cut by SplitCurve.
std::vector<RfPhiPolyline> ThetaCurve(double Rs, double phiSDegrees, double thetaDegrees,
                                      double rfTop);

/// The ratios of the Ri-curves that reach below `rfTop` under a strain of ratio Rs:
/// 1.25, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10, then 1, 1.5, 2, 2.5, 3, 4, 5, 6, 8 times powers of ten.
std::vector<double> RiCurveRatios(double Rs, double rfTop);

}  // namespace varnel::plot
