#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// True when `quantile` can scale a confidence region: a positive finite number. A missing,
/// cut or damaged quantile table leaves 0 or another unusable value in its place.
bool IsUsableQuantile(double quantile);

/// True when the table of `level` holds a usable quantile for N = DataCount (3 … 10000).
bool HasUsableQuantile(const AnalysisState& state, ConfidenceLevel level);

/// Confidence ellipse of the mean pre vector at the given level, sampled at 72 points
/// (t = 5°, 10°, … 360°) into PreRegion; without a usable quantile, every point is the mean.
/// Requires N ≥ 3.
void ComputePreConfidenceRegion(AnalysisState& state, ConfidenceLevel level);

/// Carries PreRegion forward by the estimated strain into PostRegion.
void ComputePostConfidenceRegion(AnalysisState& state);

/// Ranges of x1, x2, R and φ (degrees) over PostRegion; R and φ are NaN when the region's
/// bounding box holds the origin strictly inside in both coordinates.
void ComputeRegionRanges(AnalysisState& state);

/// The three operations above, in order: the numeric part of the result stage. Without a
/// usable quantile for N no range is known: all four ranges are NaN.
void ComputeConfidenceResults(AnalysisState& state, ConfidenceLevel level);

/// One line that says why the report shows NAN for the ranges ComputeConfidenceResults left,
/// or "" when every range is a number.
std::string RangesUnavailableReason(const AnalysisState& state);

}  // namespace varnel
