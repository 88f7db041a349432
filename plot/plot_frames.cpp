#include "plot/plot_frames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace varnel::plot {
namespace {

double Component(StrainVector v, int j) { return j == 1 ? v.x1 : v.x2; }

// A value equal to a bound changes nothing; a value below Min is not tested against Max.
void Enclose(PlotBounds& frame, StrainVector v) {
    for (int j = 1; j <= 2; ++j) {
        const double value = Component(v, j);
        if (value < frame.Min[j]) {
            frame.Min[j] = value;
        } else if (value > frame.Max[j]) {
            frame.Max[j] = value;
        }
    }
}

// Holds the square −1 … 1, then widens by 0.2 × the width on each side: Min first, and
// Max from the width the widened Min gives.
void WidenFrame(PlotBounds& frame) {
    for (int j = 1; j <= 2; ++j) {
        frame.Min[j] = std::min(frame.Min[j], -1.0);
        frame.Max[j] = std::max(frame.Max[j], 1.0);
    }
    for (int j = 1; j <= 2; ++j) {
        const long double width = static_cast<long double>(frame.Max[j]) - frame.Min[j];
        frame.Min[j] = static_cast<double>(frame.Min[j] - 0.2L * width);
        const long double widened = static_cast<long double>(frame.Max[j]) - frame.Min[j];
        frame.Max[j] = static_cast<double>(frame.Max[j] + 0.2L * widened);
    }
}

// Nearest integer, a half to the even neighbour (the default rounding mode), as a 64-bit value
// held within ±2⁶², so that a pixel offset can be added to it without overflow.
std::int64_t Nearest(long double x) {
    constexpr long double kLimit = 4611686018427387904.0L;  // 2⁶²
    const long double r = std::nearbyint(x);
    if (!(r > -kLimit)) return -static_cast<std::int64_t>(kLimit);
    if (r > kLimit) return static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(r);
}

// A pixel coordinate: the 64-bit sum kept within the range of a 32-bit integer.
std::int32_t Pixel(std::int64_t value) {
    constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, kLow, kHigh));
}

// Scale s and middle m are held as 32-bit floats; the products are formed in extended precision.
// `verticalOffset` applies when the vertical range decides, `horizontalOffset` otherwise.
PixelPoint MapToFrame(const PlotBounds& frame, StrainVector v, int width, int verticalOffset,
                      int horizontalOffset) {
    const long double e1 = static_cast<long double>(frame.Max[1]) - frame.Min[1];
    const long double e2 = static_cast<long double>(frame.Max[2]) - frame.Min[2];
    const int half = width / 2;
    PixelPoint p;
    if (e2 >= e1) {
        const float s = static_cast<float>(0.8L * width / e2);
        const float m =
            static_cast<float>((static_cast<long double>(frame.Max[1]) + frame.Min[1]) / 2);
        p.X = Pixel(Nearest((static_cast<long double>(v.x1) - m) * s) + half);
        p.Y = Pixel(width - Nearest((static_cast<long double>(v.x2) - frame.Min[2]) * s) +
                    verticalOffset);
    } else {
        const float s = static_cast<float>(0.8L * width / e1);
        const float m =
            static_cast<float>((static_cast<long double>(frame.Max[2]) + frame.Min[2]) / 2);
        p.X = Pixel(Nearest((static_cast<long double>(v.x1) - frame.Min[1]) * s));
        p.Y = Pixel(half - Nearest((static_cast<long double>(v.x2) - m) * s) + horizontalOffset);
    }
    return p;
}

bool HasPositiveExtents(const PlotBounds& frame) {
    return frame.Max[1] > frame.Min[1] && frame.Max[2] > frame.Min[2];
}

}  // namespace

void ComputePlotBounds(AnalysisState& state) {
    const StrainVector xs = state.StrainEstimate;
    for (PlotBounds* frame : {&state.PrePlotBounds, &state.PostPlotBounds}) {
        frame->Max = {0.0, xs.x1, xs.x2};
        frame->Min = {0.0, xs.x1, xs.x2};
    }
    for (int i = 1; i <= state.DataCount; ++i) {
        Enclose(state.PostPlotBounds, state.PostVectors[i]);
        Enclose(state.PrePlotBounds, state.PreVectors[i]);
    }
    WidenFrame(state.PostPlotBounds);
    WidenFrame(state.PrePlotBounds);
    KeepZeroInFrame(state.PostPlotBounds);
}

void KeepZeroInFrame(PlotBounds& frame) {
    for (int j = 1; j <= 2; ++j) {
        if (frame.Min[j] * frame.Max[j] > 0.0) {
            if (frame.Min[j] <= 0.0) {
                frame.Max[j] = 0.1;
            } else {
                frame.Min[j] = -0.1;
            }
        }
    }
}

PixelPoint MapToPostPlot(const AnalysisState& state, StrainVector v, int width) {
    return MapToFrame(state.PostPlotBounds, v, width, -10, 2);
}

PixelPoint MapToPrePlot(const AnalysisState& state, StrainVector v, int width) {
    return MapToFrame(state.PrePlotBounds, v, width, -8, 0);
}

bool PlotFramesExist(const AnalysisState& state) {
    return HasPositiveExtents(state.PostPlotBounds) && HasPositiveExtents(state.PrePlotBounds);
}

}  // namespace varnel::plot
