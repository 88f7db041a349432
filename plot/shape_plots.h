#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/canvas.h"

namespace varnel::plot {

/// An interval lo … hi of a plotted quantity.
struct ValueRange {
    double lo = 0.0, hi = 0.0;
};

/// The bootstrap's percentile intervals of one sample's shape.
struct ShapeIntervals {
    ValueRange XY, YZ, nu, epsS;
};

/// One sample of a strain study: its name, the ratios X/Y and Y/Z of its ellipsoid, Lode's ν
/// and Nadai's ε_s, and their intervals where a bootstrap was run.
struct ShapeSample {
    std::string name;
    double XY = 1.0, YZ = 1.0, nu = 0.0, epsS = 0.0;
    std::optional<ShapeIntervals> intervals;
};

/// What the Flinn and Hsu plots show: the samples, the level of their intervals in percent and
/// the decimal separator of the labels.
struct ShapePlotData {
    std::vector<ShapeSample> samples;
    int levelPercent = 95;
    char decimalSeparator = '.';
};

/// The layout of a Flinn or Hsu plot in its picture, in pixels: the plotting area, the values
/// at its edges (x from `xLow` at `left` to `xHigh` at `right`, y from `yLow` at `bottom` to
/// `yHigh` at `top`, both linear), the step of the ticks on each axis and the text height.
struct ShapePlotFrame {
    int left = 0, top = 0, right = 0, bottom = 0;
    double xLow = 0.0, xHigh = 1.0, yLow = 0.0, yHigh = 1.0;
    double xStep = 0.5, yStep = 0.5;
    int textHeight = 12;
};

/// The logarithmic Flinn plot in a picture of width × height pixels: ln(Y/Z) across, ln(X/Y)
/// up, both from 0 to one round limit above every sample and interval, on a square area so
/// that the line k = 1 (X/Y = Y/Z) runs at 45° through the origin.
ShapePlotFrame ComputeFlinnFrame(const ShapePlotData& data, int width, int height);

/// The Hsu plot in a picture of width × height pixels: Lode's ν across from −1 (prolate) to
/// 1 (oblate), Nadai's ε_s up from 0 to a round limit above every sample and interval.
ShapePlotFrame ComputeHsuFrame(const ShapePlotData& data, int width, int height);

/// The pixel of the plot values (x, y) (Y downwards), nearest pixel. Not clipped.
PixelPoint MapToShapePlot(const ShapePlotFrame& frame, double x, double y);

/// Lode's ν of a sphere is NaN: it has no place on the Hsu plot, though its Flinn point (1, 1)
/// is defined.
bool AnyOnHsuPlot(const ShapePlotData& data);

inline constexpr const char* kNoHsuSampleMessage =
    "No sample for the Hsu plot: Lode's nu is undefined for a sphere (all sections circles).";

/// Draws the Flinn plot on a white ground of width × height pixels: the frame with its ticks
/// and labels, the labelled line k = 1, each sample as a dot labelled with its name, and its
/// intervals as error bars where it has them.
void DrawFlinnPlot(const ShapePlotData& data, Canvas& canvas, int width, int height);

/// Draws the Hsu plot as DrawFlinnPlot draws the Flinn plot, with the plane-strain line ν = 0
/// and the prolate, plane-strain and oblate ends named above the frame.
void DrawHsuPlot(const ShapePlotData& data, Canvas& canvas, int width, int height);

}  // namespace varnel::plot
