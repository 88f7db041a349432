#pragma once

#include <span>

#include "core/analysis_state.h"

namespace varnel {

// The T² objective: T² = N · mᵀ S⁻¹ m of the pre vectors that a trial strain leaves when it is
// removed from the observed ellipses. It has three formulations of one definition.
//
// - The reference path (this header) retro-deforms each ellipse by the tangent form of the
//   superposition equations (SuperposeStrain) and converts it to its pre vector. It is the
//   definition: the fast path is tested against it, and it alone writes pre-strain ellipses.
// - The fast path (FastObjective, core/fast_objective.h) boosts precomputed shape tensors
//   without trigonometry and shares large data sets between both cores. It agrees with the
//   reference within a few units of rounding (a nearly singular moment matrix it evaluates in
//   its principal frame, as the reference does), keeps no pre-strain data, and hands every
//   evaluation it cannot vouch for (a fault, N < 3, a moment matrix too near to singular for
//   its error bound) to the reference path, which then decides the value or the error.
// - The Newton steps (FindNewtonRoot, core/newton_root.h) solve for T²'s zero and only
//   minimum, the strain whose removal leaves a mean pre vector of (0, 0), instead of
//   minimising T². The methods (T2EstimateOf, methods/hyperboloid.h) give them the mean from
//   the ellipses as points of the hyperboloid of shapes, where removing a strain is a Lorentz
//   boost (core/lorentz_boost.h), and never evaluate T² itself: the bootstrap, the fabric tests
//   and the ellipsoid fit estimate thousands of resamples with them instead of the simplex. The
//   estimation gives them the reference path's mean (FindMeanPreVectorRoot,
//   core/estimate_newton.h).
//
// Who runs which: EstimateStrain minimises the fast path, then evaluates the reference path
// once at the estimate, so the confidence region and the Pre-strain plot see the reference
// pre-strain data of x_s; an estimate the simplex left short of the minimum is finished by the
// Newton steps on the reference path. The T² grid tabulates the fast path and evaluates on the
// reference path every point whose printed digits a fast value cannot settle.
// InitialStrainGuess and MinimizeStrain minimise whichever objective they are given; the tests
// and the benchmarks give them the reference path (StrainObjective) to compare the two.

/// Where a reference evaluation writes the retro-deformed data 1 … N (index 0 unused): the
/// state's RPre, PhiPre and PreVectors, or buffers of the caller's with at least N + 1 entries.
struct PreStrainBuffers {
    std::span<double> ratios;
    std::span<double> orientations;  // radians
    std::span<StrainVector> vectors;
};

/// The state's own RPre, PhiPre and PreVectors.
PreStrainBuffers PreStrainBuffersOf(AnalysisState& state);

/// T² of the trial strain x (a log-strain vector) on the reference path: retro-deforms every
/// observed ellipse of `state` by x into `out` and returns T² = N · mᵀ S⁻¹ m of the pre vectors.
/// Throws VarnelError on a floating-point fault (N = 0, N = 1, a singular moment matrix).
double TSquaredInto(const AnalysisState& state, StrainVector x, const PreStrainBuffers& out);

/// TSquaredInto the state's own pre-strain arrays (RPre, PhiPre, PreVectors 1 … N).
double TSquaredOfStrain(AnalysisState& state, StrainVector x);

/// Mean of PreVectors 1 … N, summed in order.
StrainVector MeanPreVector(const AnalysisState& state);

/// S = (1 / (N − 1)) Σ p pᵀ over the pre vectors 1 … N of the state, about the origin.
Matrix2 ComputeMomentMatrix(const AnalysisState& state);

/// The reference objective as the minimisers evaluate it: TSquaredOfStrain of a point.
double StrainObjective(AnalysisState& state, StrainVector point);

}  // namespace varnel
