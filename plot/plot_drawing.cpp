#include "plot/plot_drawing.h"

#include <vector>

#include "plot/plot_frames.h"

namespace varnel::plot {
namespace {

constexpr int kPictureExtent = 1000;  // clear and axes span 0 … 1000 whatever the picture size
constexpr int kDatumRadius = 3;
constexpr int kCrossArm = 30;

using Mapping = PixelPoint (*)(const AnalysisState&, StrainVector, int);

void ClearPlot(Canvas& screen) {
    screen.SetBrushColor(kWhite);
    screen.FillRect(0, 0, kPictureExtent, kPictureExtent);
}

void DrawAxes(const AnalysisState& state, Canvas& canvas, int width, Mapping map) {
    canvas.SetPenColor(kGrey);
    canvas.SetBrushStyle(BrushStyle::Clear);
    const PixelPoint origin = map(state, {0.0, 0.0}, width);
    canvas.MoveTo(origin.X, 0);
    canvas.LineTo(origin.X, kPictureExtent);
    canvas.MoveTo(0, origin.Y);
    canvas.LineTo(kPictureExtent, origin.Y);
    const PixelPoint up = map(state, {0.0, 1.0}, width);
    const PixelPoint down = map(state, {0.0, -1.0}, width);
    const PixelPoint right = map(state, {1.0, 0.0}, width);
    const PixelPoint left = map(state, {-1.0, 0.0}, width);
    canvas.Ellipse(left.X, up.Y, right.X, down.Y);
    canvas.SetBrushStyle(BrushStyle::Solid);
}

template <typename Vectors>
void DrawData(const AnalysisState& state, const Vectors& vectors, Canvas& canvas, int width,
              Mapping map) {
    canvas.SetPenColor(kBlue);
    canvas.SetBrushColor(kWhite);
    for (int i = 1; i <= state.DataCount; ++i) {
        const PixelPoint p = map(state, vectors[i], width);
        canvas.Ellipse(p.X - kDatumRadius, p.Y - kDatumRadius, p.X + kDatumRadius,
                       p.Y + kDatumRadius);
    }
}

void DrawEstimateMark(const AnalysisState& state, Canvas& canvas, int width, Mapping map) {
    const PixelPoint p = map(state, state.StrainEstimate, width);
    canvas.SetPenColor(kRed);
    canvas.MoveTo(p.X - kCrossArm, p.Y);
    canvas.LineTo(p.X + kCrossArm, p.Y);
    canvas.MoveTo(p.X, p.Y - kCrossArm);
    canvas.LineTo(p.X, p.Y + kCrossArm);
}

template <typename Region>
void DrawRegion(const AnalysisState& state, const Region& region, Canvas& canvas, int width,
                Mapping map) {
    std::vector<PixelPoint> points;
    points.reserve(kRegionPoints);
    for (int k = 1; k <= kRegionPoints; ++k) points.push_back(map(state, region[k], width));
    canvas.SetPenColor(kDarkRed);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Polygon(points);
    canvas.SetBrushStyle(BrushStyle::Solid);
}

}  // namespace

void ClearPostPlot(Canvas& screen) { ClearPlot(screen); }

void DrawPostAxes(const AnalysisState& state, Canvas& canvas, int width) {
    DrawAxes(state, canvas, width, MapToPostPlot);
}

void DrawPostData(const AnalysisState& state, Canvas& canvas, int width) {
    DrawData(state, state.PostVectors, canvas, width, MapToPostPlot);
}

void DrawPostEstimateMark(const AnalysisState& state, Canvas& canvas, int width) {
    DrawEstimateMark(state, canvas, width, MapToPostPlot);
}

void DrawPostRegion(const AnalysisState& state, Canvas& canvas, int width) {
    DrawRegion(state, state.PostRegion, canvas, width, MapToPostPlot);
}

void ClearPrePlot(Canvas& screen) { ClearPlot(screen); }

void DrawPreAxes(const AnalysisState& state, Canvas& canvas, int width) {
    DrawAxes(state, canvas, width, MapToPrePlot);
}

void DrawPreData(const AnalysisState& state, Canvas& canvas, int width) {
    DrawData(state, state.PreVectors, canvas, width, MapToPrePlot);
}

void DrawPreEstimateMark(const AnalysisState& state, Canvas& canvas, int width) {
    DrawEstimateMark(state, canvas, width, MapToPrePlot);
}

void DrawPreRegion(const AnalysisState& state, Canvas& canvas, int width) {
    DrawRegion(state, state.PreRegion, canvas, width, MapToPrePlot);
}

void DrawPostStrainPlot(const AnalysisState& state, Canvas& canvas, Canvas& screen, int width) {
    ClearPostPlot(screen);
    DrawPostAxes(state, canvas, width);
    DrawPostData(state, canvas, width);
    DrawPostEstimateMark(state, canvas, width);
    DrawPostRegion(state, canvas, width);
}

void DrawPreStrainPlot(const AnalysisState& state, Canvas& canvas, Canvas& screen, int width) {
    ClearPrePlot(screen);
    DrawPreAxes(state, canvas, width);
    DrawPreData(state, canvas, width);
    DrawPreEstimateMark(state, canvas, width);
    DrawPreRegion(state, canvas, width);
}

}  // namespace varnel::plot
