#pragma once

#include <array>
#include <vector>

#include "plot/canvas.h"

namespace varnel::plot {

/// A line in the sample's frame: trend clockwise from north and plunge downwards, in degrees
/// (0–90°, the lower-hemisphere end).
struct NetLine {
    double trendDegrees = 0.0;
    double plungeDegrees = 0.0;
};

/// What the net shows: the principal axes X, Y, Z of the ellipsoid and, after a bootstrap, the
/// axes of each resample in the same order. An axis without a defined direction (one of two
/// equal axes) is not shown, nor are its resamples.
struct NetData {
    std::array<NetLine, 3> axes;
    std::vector<std::array<NetLine, 3>> resampleAxes;
    std::array<bool, 3> defined{true, true, true};
};

/// The net's circle in its picture, in pixels: centre, radius and the text height.
struct NetFrame {
    int centreX = 0, centreY = 0, radius = 1;
    int textHeight = 12;
};

/// The largest circle that fits a picture of width × height pixels with room for its labels.
NetFrame ComputeNetFrame(int width, int height);

/// The pixel of a line on the lower-hemisphere equal-area (Schmidt) net, north up: at distance
/// radius · √2 · sin((90° − plunge) / 2) from the centre, at azimuth trend. A horizontal line
/// falls on the circle, a vertical one on the centre. Nearest pixel.
PixelPoint MapToNet(const NetFrame& frame, NetLine line);

/// Draws the net on a white ground of width × height pixels: the circle with its north mark
/// and centre cross, the resample axes as small dots and the principal axes as labelled marks
/// (X red, Y black, Z blue). Each label stands outward of its mark, away from the centre, on a
/// white ground so that it stays readable over the resample dots.
void DrawEqualAreaNet(const NetData& data, Canvas& canvas, int width, int height);

}  // namespace varnel::plot
