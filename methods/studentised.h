#pragma once

#include <array>
#include <optional>
#include <vector>

#include "methods/hyperboloid.h"
#include "methods/methods.h"

namespace varnel::methods {

/// The pre vector of b at a: b with the strain a removed, Log_a(b) on the hyperboloid.
StrainVector PreVectorAt(StrainVector a, StrainVector b);

/// The strain reached from a by the pre vector v: v with the strain a applied, Exp_a(v).
StrainVector PostVectorAt(StrainVector a, StrainVector v);

/// The analytic scale of the T² estimate x of `points`: the moment matrix of their pre vectors
/// p_k at x about the origin, divided by N, C = Σ p pᵀ / ((N − 1) N), the matrix whose
/// (v − m)ᵀ C⁻¹ (v − m) ≤ N K bounds the analytic region. Nothing when C is singular or not
/// finite.
std::optional<Covariance2> T2ScaleOf(const std::vector<ShapePoint>& points, StrainVector x);

/// The scale of the hyperbolic mean h of `points`: with the strain h removed, the points
/// (t_k, w_k) have mean (t̄, 0); the mean moves across the hyperboloid by the mean of w over t̄,
/// so C = Σ (w − w̄)(w − w̄)ᵀ / ((N − 1) N t̄²). Nothing when C is singular or not finite.
std::optional<Covariance2> HyperbolicMeanScaleOf(const std::vector<ShapePoint>& points,
                                                 StrainVector h);

/// Studentised distance of a resample's estimate e* (scale C*) from the data's estimate ê:
/// z = C*^(−1/2) δ with δ = −Log_{e*}(ê), the error the analytic region measures with the truth
/// in place of ê, and region = |z|².
ResamplePivots PivotsOf(StrainVector resample, const Covariance2& scale, StrainVector data);

/// Region, ranges and marginal intervals at `levelPercent` from the pivots of the resamples and
/// the data's estimate `centre` with its scale. q = the type-7 quantile at the level of the
/// region pivots: the region is {Exp_ê(v) : vᵀ Ĉ⁻¹ v ≤ q}, sampled at t = 5°, 10°, … 360° as
/// the analytic region is. It holds zero strain when Log_ê(0) = −ê lies in it: then the R range
/// starts at 1 and the φ range is NaN; otherwise they are the extremes over the 72 points, φ
/// taken relative to φ̂ and wrapped into ±90°. The marginal intervals invert the simulated
/// estimates Exp_x(Ĉ^(1/2) z_b) of a truth x along ê: ln R holds each r whose simulated ln R
/// hold |ê| in their central `level` (from zero strain exactly when the region holds zero
/// strain); φ is φ̂ less half the central `level` of the turns of 2φ from x to its simulated
/// estimates, x at the median-unbiased ln R, and NaN where that is zero strain or the interval
/// would span 180° or more.
BootstrapStatements StatementsOf(const std::vector<ResamplePivots>& pivots, StrainVector centre,
                                 const Covariance2& scale, int levelPercent);

/// True when the strain x lies in the bootstrap region: Log_ê(x)ᵀ Ĉ⁻¹ Log_ê(x) ≤ q.
bool RegionHolds(const BootstrapRegion& region, StrainVector x);

/// The type-7 quantile at q ∈ [0, 1] of `values` (NaN for none).
double Quantile(std::vector<double> values, double q);

}  // namespace varnel::methods
