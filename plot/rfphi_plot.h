#pragma once

#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "plot/canvas.h"
#include "plot/emf_canvas.h"
#include "plot/picture_export.h"
#include "plot/rfphi_curves.h"

namespace varnel::plot {

/// What the Rf/φ plot shows: the observed ellipses and a strain estimate (Rs, φs in degrees),
/// and the decimal separator its labels are written with.
struct RfPhiPlotData {
    std::vector<RfPhiPoint> ellipses;
    RfPhiPoint strain;
    char decimalSeparator = '.';
};

/// The layout of an Rf/φ plot in its picture, in pixels: the plotting area (φ = −90° at
/// `left`, 90° at `right`; Rf = 1 at `bottom`, `rfTop` at `top` on a log scale) and the
/// character height of its texts.
struct RfPhiFrame {
    int left = 0, top = 0, right = 0, bottom = 0;
    double rfTop = 2.0;
    int textHeight = 12;
};

/// The observed ellipses 1 … N of an analysed state (φ in degrees) and its estimate (R_s, φ_s),
/// labelled with `decimalSeparator`.
RfPhiPlotData RfPhiDataOf(const AnalysisState& state, char decimalSeparator);

/// The upper limit of the Rf axis: the first of 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10, 12, 15, …
/// above the largest finite Rf of the data and the estimate.
double RfPhiUpperLimit(const RfPhiPlotData& data);

/// The ticks of the Rf axis from 1 to rfTop: the finest of a few series of round values
/// (1, 1.1, 1.2 …; 1, 1.2, 1.5, 2 …; … 1, 10, 100) that gives at most ten.
std::vector<double> RfAxisTicks(double rfTop);

/// The frame of the plot in a picture of width × height pixels.
RfPhiFrame ComputeRfPhiFrame(const RfPhiPlotData& data, int width, int height);

/// The pixel of a point (Y downwards). Not clipped.
PixelPoint MapToRfPhiPlot(const RfPhiFrame& frame, RfPhiPoint point);

/// Draws the whole plot on a white ground of width × height pixels: the Ri-curves and θ-curves
/// of the estimate, the frame with its ticks and labels, the data as circles and a cross at the
/// estimate.
void DrawRfPhiPlot(const RfPhiPlotData& data, Canvas& canvas, int width, int height);

/// Saves the plot as a picture file of width × height pixels (EMF framed by `display`, SVG,
/// PNG). Throws VarnelError("No data loaded.") without ellipses, the creation message when the
/// file cannot be made; an earlier file is replaced only by a complete picture.
void ExportRfPhiPicture(const RfPhiPlotData& data, const std::string& path, PictureFormat format,
                        int width, int height, const DisplayGeometry& display = {});

}  // namespace varnel::plot
