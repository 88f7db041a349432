#pragma once

#include <optional>

#include "core/analysis_state.h"

namespace varnel {

/// The most damped Newton steps a start of FindMeanPreVectorRoot takes.
inline constexpr int kNewtonStepLimit = 50;

/// T² at which FindMeanPreVectorRoot stops stepping: the mean pre vector is zero to rounding.
inline constexpr double kNewtonTargetTSquared = 1e-20;

/// The strain x at which the mean pre vector m(x) of the reference path (TSquaredInto) vanishes,
/// found by damped Newton steps (FindNewtonRoot) from `start`: the Jacobian by central
/// differences of m, each step halved until |m| decreases. Returns the last point once T² there is
/// at most kNewtonTargetTSquared, or, after kNewtonStepLimit steps or a step that no halving
/// improves, if T² there is at most `acceptedTSquared`; otherwise nothing. The root must also pass
/// a second computation of T² from the post vectors (ComputePostVectors has run) by shape tensors,
/// with no difference of angles: where the reference path has lost the digits of one (an
/// orientation of 1e300°), its root is not the strain's. Leaves the state alone.
std::optional<StrainVector> FindMeanPreVectorRoot(const AnalysisState& state, StrainVector start,
                                                  double acceptedTSquared);

}  // namespace varnel
