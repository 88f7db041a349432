#pragma once

#include "core/analysis_state.h"

namespace varnel {

/// T² of the trial strain x (a log-strain vector): retro-deforms every observed ellipse by x,
/// writing RPre, PhiPre and PreVectors 1 … N, and returns T² = N · mᵀ S⁻¹ m of the pre vectors.
/// Throws VarnelError on a floating-point fault (N = 0, N = 1, a singular moment matrix).
double TSquaredOfStrain(AnalysisState& state, StrainVector x);

/// PreVectors[k] = EllipseToVector(RPre[k], PhiPre[k]) for k = 1 … N.
void ComputePreVectors(AnalysisState& state);

/// Mean of PreVectors 1 … N, summed in order.
StrainVector MeanPreVector(const AnalysisState& state);

/// S = (1 / (N − 1)) Σ p pᵀ over the pre vectors, about the origin.
Matrix2 ComputeMomentMatrix(const AnalysisState& state);

/// The function every minimiser evaluates: T² of a point on the one analysis state.
double StrainObjective(AnalysisState& state, StrainVector point);

}  // namespace varnel
