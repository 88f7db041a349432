#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace varnel::plot {

// Both plots are drawn in layers, each later layer over the earlier ones. `width` is the width
// in pixels of the on-screen picture of the plot; every position comes from its mapping, also
// when the canvas records an exported picture.

/// Fills the on-screen picture white from (0, 0) to (1000, 1000).
void ClearPostPlot(Canvas& screen);
/// Grey axes through the origin from 0 to 1000 pixels and the unit circle, outline only.
void DrawPostAxes(const AnalysisState& state, Canvas& canvas, int width);
/// One white circle 6 pixels across, outlined in blue, per post vector 1 … N.
void DrawPostData(const AnalysisState& state, Canvas& canvas, int width);
/// A red cross with arms of 30 pixels at the strain estimate.
void DrawPostEstimateMark(const AnalysisState& state, Canvas& canvas, int width);
/// The outline of the 72 points of the Post-strain confidence region, in dark red.
void DrawPostRegion(const AnalysisState& state, Canvas& canvas, int width);

/// Pre-strain twins of the layers above: pre vectors, Pre-strain region, the same estimate.
void ClearPrePlot(Canvas& screen);
void DrawPreAxes(const AnalysisState& state, Canvas& canvas, int width);
void DrawPreData(const AnalysisState& state, Canvas& canvas, int width);
void DrawPreEstimateMark(const AnalysisState& state, Canvas& canvas, int width);
void DrawPreRegion(const AnalysisState& state, Canvas& canvas, int width);

/// The whole Post-strain plot: the clear on `screen`, then axes, data, estimate and region on
/// `canvas`. To draw on screen pass the same canvas twice. Needs the frames (PlotFramesExist).
void DrawPostStrainPlot(const AnalysisState& state, Canvas& canvas, Canvas& screen, int width);

/// The whole Pre-strain plot, as DrawPostStrainPlot.
void DrawPreStrainPlot(const AnalysisState& state, Canvas& canvas, Canvas& screen, int width);

}  // namespace varnel::plot
