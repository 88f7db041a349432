#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace varnel::plot {

/// Computes both plot frames from the estimate, the post vectors and the pre vectors 1 … N:
/// the bounding box of those points, widened to hold the square −1 … 1, then by a margin of
/// 0.2 × its width on each side; the Post-strain frame also keeps zero in each component.
/// The confidence regions never widen a frame. Log-strain space.
void ComputePlotBounds(AnalysisState& state);

/// Brings zero back into a frame whose two bounds of a component lie on the same side of it:
/// Max becomes 0.1 when both are ≤ 0, Min becomes −0.1 when both are > 0.
void KeepZeroInFrame(PlotBounds& frame);

/// Pixel of v in the Post-strain plot of width `width` pixels (Y downwards): the larger range
/// of the frame spans 80 % of the width, the other is centred. Not clipped.
PixelPoint MapToPostPlot(const AnalysisState& state, StrainVector v, int width);

/// Pixel of v in the Pre-strain plot of width `width` pixels, laid out like MapToPostPlot.
PixelPoint MapToPrePlot(const AnalysisState& state, StrainVector v, int width);

/// True once both frames have positive extents in both components, so the mappings can be used.
bool PlotFramesExist(const AnalysisState& state);

}  // namespace varnel::plot
