#include "plot/equal_area_net.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/orientation.h"

namespace varnel::plot {
namespace {

constexpr const char* kAxisNames[] = {"X", "Y", "Z"};
constexpr Rgb kAxisColors[] = {kRed, kBlack, kBlue};
constexpr int kAxisRadius = 5;
constexpr int kResampleRadius = 1;

void Disc(Canvas& canvas, PixelPoint centre, int radius) {
    canvas.Ellipse(centre.X - radius, centre.Y - radius, centre.X + radius + 1,
                   centre.Y + radius + 1);
}

void DrawCircle(const NetFrame& f, Canvas& canvas) {
    const int h = f.textHeight, r = f.radius;
    canvas.SetPenColor(kBlack);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Ellipse(f.centreX - r, f.centreY - r, f.centreX + r + 1, f.centreY + r + 1);
    // North: a tick above the circle, named above it; the centre as a small cross.
    canvas.MoveTo(f.centreX, f.centreY - r);
    canvas.LineTo(f.centreX, f.centreY - r - h / 2);
    canvas.Text(f.centreX, f.centreY - r - h * 2, "N", TextAlign::Center, h);
    canvas.MoveTo(f.centreX - h / 2, f.centreY);
    canvas.LineTo(f.centreX + h / 2 + 1, f.centreY);
    canvas.MoveTo(f.centreX, f.centreY - h / 2);
    canvas.LineTo(f.centreX, f.centreY + h / 2 + 1);
}

// The axis's letter outward of its mark, away from the centre (up and right of a mark at the
// centre), on a white box so that the resample dots beneath do not hide it.
void DrawLabel(const NetFrame& f, Canvas& canvas, PixelPoint at, const char* name, Rgb color) {
    const int h = f.textHeight;
    double dx = at.X - f.centreX, dy = at.Y - f.centreY;
    const double length = std::hypot(dx, dy);
    if (length < 1.0) {
        dx = 1.0;
        dy = -1.0;
    }
    const double scale = (kAxisRadius + 0.8 * h) / std::hypot(dx, dy);
    const int x = at.X + static_cast<int>(std::lround(dx * scale));
    const int y = at.Y + static_cast<int>(std::lround(dy * scale));
    // A capital letter of Arial is about 0.7 of its height wide.
    const int halfWidth = (7 * h + 19) / 20;
    canvas.SetBrushColor(kWhite);
    canvas.FillRect(x - halfWidth, y - h / 2 - 1, x + halfWidth + 1, y - h / 2 + h + 1);
    canvas.SetPenColor(color);
    canvas.Text(x, y - h / 2, name, TextAlign::Center, h);
}

}  // namespace

NetFrame ComputeNetFrame(int width, int height) {
    NetFrame frame;
    frame.textHeight = std::clamp(std::min(width, height) / 40, 9, 40);
    // Two text heights above for N, one below and beside for labels outside the circle.
    const int h = frame.textHeight;
    frame.radius = std::max((std::min(width, height - h) - h * 4) / 2, 1);
    frame.centreX = width / 2;
    frame.centreY = (height + h) / 2;
    return frame;
}

PixelPoint MapToNet(const NetFrame& frame, NetLine line) {
    // Lambert's azimuthal equal-area projection of the lower hemisphere.
    const double distance =
        frame.radius * std::numbers::sqrt2 * std::sin((90.0 - line.plungeDegrees) * kDegree / 2.0);
    const double trend = line.trendDegrees * kDegree;
    return {frame.centreX + static_cast<int>(std::lround(distance * std::sin(trend))),
            frame.centreY - static_cast<int>(std::lround(distance * std::cos(trend)))};
}

void DrawEqualAreaNet(const NetData& data, Canvas& canvas, int width, int height) {
    const NetFrame f = ComputeNetFrame(width, height);
    canvas.SetPenColor(kWhite);
    canvas.SetBrushColor(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.Polygon({{0, 0}, {width, 0}, {width, height}, {0, height}});
    DrawCircle(f, canvas);
    canvas.SetBrushStyle(BrushStyle::Solid);
    for (std::size_t i = 0; i < 3; ++i) {
        if (!data.defined[i]) continue;
        canvas.SetPenColor(kAxisColors[i]);
        canvas.SetBrushColor(kAxisColors[i]);
        for (const auto& resample : data.resampleAxes) {
            Disc(canvas, MapToNet(f, resample[i]), kResampleRadius);
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (!data.defined[i]) continue;
        const PixelPoint at = MapToNet(f, data.axes[i]);
        canvas.SetPenColor(kBlack);
        canvas.SetBrushColor(kAxisColors[i]);
        Disc(canvas, at, kAxisRadius);
        DrawLabel(f, canvas, at, kAxisNames[i], kAxisColors[i]);
    }
}

}  // namespace varnel::plot
