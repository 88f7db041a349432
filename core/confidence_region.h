#pragma once

#include "core/analysis_state.h"

namespace varnel {

/// Confidence ellipse of the mean pre vector at the given level, sampled at 72 points
/// (t = 5°, 10°, … 360°) into PreRegion. Requires N ≥ 3.
void ComputePreConfidenceRegion(AnalysisState& state, ConfidenceLevel level);

/// Carries PreRegion forward by the estimated strain into PostRegion.
void ComputePostConfidenceRegion(AnalysisState& state);

/// Ranges of x1, x2, R and φ (degrees) over PostRegion; R and φ are NaN when the region's
/// bounding box holds the origin strictly inside in both coordinates.
void ComputeRegionRanges(AnalysisState& state);

/// The three operations above, in order: the numeric part of the result stage.
void ComputeConfidenceResults(AnalysisState& state, ConfidenceLevel level);

}  // namespace varnel
