#include "plot/rfphi_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "core/orientation.h"
#include "core/varnel_error.h"
#include "plot/text_font.h"

namespace varnel::plot {
namespace {

constexpr Rgb kRiCurveColor = kGrey;
constexpr Rgb kThetaCurveColor{150, 200, 150};

constexpr int kDatumRadius = 3;
constexpr double kThetaStep = 10.0;  // degrees between θ-curves

// Round values per decade for the axis limit and the tick series, finest first.
constexpr double kLimitMantissas[] = {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
const std::vector<std::vector<double>> kTickSeries = {
    {1.0, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0},
    {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0},
    {1.0, 1.5, 2.0, 3.0, 4.0, 5.0, 6.0, 8.0},
    {1.0, 2.0, 3.0, 5.0},
    {1.0, 2.0, 5.0},
    {1.0},
};
constexpr std::size_t kMostTicks = 10;
constexpr int kLargestDecade = 300;
constexpr const char* kRfAxisTitle = "Rf";

// Fixed-point text with `decimals` decimals and `separator`, whatever the C library's locale.
std::string Fixed(double value, int decimals, char separator) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    std::string fixed(text, end);
    std::replace(fixed.begin(), fixed.end(), '.', separator);
    return fixed;
}

// A round axis value without trailing zeros: 1.25, 2, 1200.
std::string RoundValue(double value, char separator) {
    std::string text = Fixed(value, 3, separator);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == separator) text.pop_back();
    return text;
}

// The values m · 10^k of a series from 1 to `top` (with a relative slack for rounding).
std::vector<double> SeriesUpTo(const std::vector<double>& mantissas, double top) {
    std::vector<double> values;
    for (int k = 0; k <= kLargestDecade; ++k) {
        const double decade = std::pow(10.0, k);
        if (decade > top * (1 + 1e-9)) break;
        for (double m : mantissas) {
            if (m * decade <= top * (1 + 1e-9)) values.push_back(m * decade);
        }
    }
    return values;
}

void DrawPolyline(const RfPhiFrame& frame, const RfPhiPolyline& line, Canvas& canvas) {
    PixelPoint last = MapToRfPhiPlot(frame, line.front());
    canvas.MoveTo(last.X, last.Y);
    for (std::size_t i = 1; i < line.size(); ++i) {
        const PixelPoint p = MapToRfPhiPlot(frame, line[i]);
        if (p == last) continue;
        canvas.LineTo(p.X, p.Y);
        last = p;
    }
}

// The Ri-curves, each labelled with its Ri beside its highest point (Rs · Ri at φs), then the
// θ-curves every 10°.
void DrawCurves(const RfPhiPlotData& data, const RfPhiFrame& frame, Canvas& canvas) {
    const double Rs = data.strain.R, phiS = data.strain.phiDegrees;
    canvas.SetPenColor(kRiCurveColor);
    for (double Ri : RiCurveRatios(Rs, frame.rfTop)) {
        for (const RfPhiPolyline& line : RiCurve(Rs, phiS, Ri, frame.rfTop)) {
            DrawPolyline(frame, line, canvas);
        }
        if (Rs * Ri <= frame.rfTop) {
            const PixelPoint p = MapToRfPhiPlot(frame, {Rs * Ri, phiS});
            canvas.Text(p.X + 3, p.Y - frame.textHeight, RoundValue(Ri, data.decimalSeparator),
                        TextAlign::Left, frame.textHeight * 3 / 4);
        }
    }
    canvas.SetPenColor(kThetaCurveColor);
    for (double theta = -90.0 + kThetaStep; theta <= 90.0; theta += kThetaStep) {
        for (const RfPhiPolyline& line : ThetaCurve(Rs, phiS, theta, frame.rfTop)) {
            DrawPolyline(frame, line, canvas);
        }
    }
}

void DrawFrameAndPhiAxis(const RfPhiFrame& frame, Canvas& canvas) {
    const int h = frame.textHeight;
    canvas.SetPenColor(kBlack);
    canvas.MoveTo(frame.left, frame.top);
    canvas.LineTo(frame.right, frame.top);
    canvas.LineTo(frame.right, frame.bottom);
    canvas.LineTo(frame.left, frame.bottom);
    canvas.LineTo(frame.left, frame.top);
    for (int phi = -90; phi <= 90; phi += 10) {
        const bool major = phi % 30 == 0;
        const int x = MapToRfPhiPlot(frame, {1.0, static_cast<double>(phi)}).X;
        canvas.MoveTo(x, frame.bottom);
        canvas.LineTo(x, frame.bottom + (major ? h / 2 : h / 4));
        if (major) {
            canvas.Text(x, frame.bottom + h * 2 / 3, std::to_string(phi), TextAlign::Center, h);
        }
    }
    canvas.Text((frame.left + frame.right) / 2, frame.bottom + h * 2, "φ (°)", TextAlign::Center,
                h);
}

// The width left of the frame that the Rf axis's labels need: each ends h · 2/3 left of the
// frame (DrawRfAxis), and a third of h stays free at the picture's edge. Measured in the font
// every canvas draws with; without a font system, the margin of ordinary ratios.
int RfLabelsMargin(double rfTop, int h, char separator) {
    if (!TextSupport::Available()) return 0;
    int widest = LayOutText(kRfAxisTitle, h).width;
    for (double rf : RfAxisTicks(rfTop)) {
        widest = std::max(widest, LayOutText(RoundValue(rf, separator), h).width);
    }
    return h * 2 / 3 + widest + h / 3;
}

void DrawRfAxis(const RfPhiFrame& frame, char separator, Canvas& canvas) {
    const int h = frame.textHeight;
    canvas.SetPenColor(kBlack);
    for (double rf : RfAxisTicks(frame.rfTop)) {
        const int y = MapToRfPhiPlot(frame, {rf, -90.0}).Y;
        canvas.MoveTo(frame.left, y);
        canvas.LineTo(frame.left - h / 2, y);
        canvas.Text(frame.left - h * 2 / 3, y - h / 2, RoundValue(rf, separator), TextAlign::Right,
                    h);
    }
    canvas.Text(frame.left - h * 2 / 3, frame.top - h * 2, kRfAxisTitle, TextAlign::Right, h);
}

void DrawDataAndEstimate(const RfPhiPlotData& data, const RfPhiFrame& frame, Canvas& canvas) {
    canvas.SetPenColor(kBlue);
    canvas.SetBrushColor(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    for (const RfPhiPoint& e : data.ellipses) {
        if (!std::isfinite(e.R) || !std::isfinite(e.phiDegrees)) continue;
        const PixelPoint p = MapToRfPhiPlot(frame, {e.R, ReduceHalfTurns(e.phiDegrees)});
        canvas.Ellipse(p.X - kDatumRadius, p.Y - kDatumRadius, p.X + kDatumRadius,
                       p.Y + kDatumRadius);
    }
    const PixelPoint s = MapToRfPhiPlot(frame, data.strain);
    const int arm = frame.textHeight * 2 / 3;
    canvas.SetPenColor(kRed);
    canvas.MoveTo(s.X - arm, s.Y);
    canvas.LineTo(s.X + arm + 1, s.Y);
    canvas.MoveTo(s.X, s.Y - arm);
    canvas.LineTo(s.X, s.Y + arm + 1);
}

// The estimate above the frame on the left, the key of the curves on the right.
void DrawCaption(const RfPhiPlotData& data, const RfPhiFrame& frame, Canvas& canvas) {
    const int h = frame.textHeight;
    const int y = frame.top - h * 2;
    canvas.SetPenColor(kRed);
    canvas.Text(frame.left, y,
                "Rs = " + Fixed(data.strain.R, 3, data.decimalSeparator) +
                    "   φs = " + Fixed(data.strain.phiDegrees, 1, data.decimalSeparator) + "°",
                TextAlign::Left, h);
    canvas.SetPenColor(kThetaCurveColor);
    canvas.Text(frame.right, y, "θ-curves every 10°", TextAlign::Right, h);
    canvas.SetPenColor(kRiCurveColor);
    canvas.Text(frame.right, y - h - h / 4, "Ri-curves", TextAlign::Right, h);
}

}  // namespace

RfPhiPlotData RfPhiDataOf(const AnalysisState& state, char decimalSeparator) {
    RfPhiPlotData data;
    data.decimalSeparator = decimalSeparator;
    for (int k = 1; k <= state.DataCount; ++k) {
        data.ellipses.push_back({state.RPost[k], RadiansToDegrees(state.PhiPost[k])});
    }
    data.strain = {EstimatedRatio(state), EstimatedPhiDegrees(state)};
    return data;
}

double RfPhiUpperLimit(const RfPhiPlotData& data) {
    double largest = 1.0;
    for (const RfPhiPoint& e : data.ellipses) {
        if (std::isfinite(e.R)) largest = std::max(largest, e.R);
    }
    if (std::isfinite(data.strain.R)) largest = std::max(largest, data.strain.R);
    for (int k = 0; k <= kLargestDecade; ++k) {
        for (double m : kLimitMantissas) {
            const double limit = m * std::pow(10.0, k);
            if (limit > largest) return limit;
        }
    }
    return largest * 1.2;
}

std::vector<double> RfAxisTicks(double rfTop) {
    for (const std::vector<double>& series : kTickSeries) {
        std::vector<double> ticks = SeriesUpTo(series, rfTop);
        if (ticks.size() <= kMostTicks) return ticks;
    }
    return {1.0};
}

RfPhiFrame ComputeRfPhiFrame(const RfPhiPlotData& data, int width, int height) {
    RfPhiFrame frame;
    frame.textHeight = std::clamp(std::min(width, height) / 40, 9, 40);
    const int h = frame.textHeight;
    frame.rfTop = RfPhiUpperLimit(data);
    frame.left = std::max(h * 4, RfLabelsMargin(frame.rfTop, h, data.decimalSeparator));
    frame.right = std::max(width - h * 2, frame.left + 1);
    frame.top = h * 4;
    frame.bottom = std::max(height - h * 7 / 2, frame.top + 1);
    return frame;
}

// X linear in φ from −90° at the left edge to 90° at the right, Y linear in ln Rf from
// Rf = 1 at the bottom to rfTop at the top; nearest pixel, halves to even.
PixelPoint MapToRfPhiPlot(const RfPhiFrame& frame, RfPhiPoint point) {
    const double x = frame.left + (point.phiDegrees + 90.0) / 180.0 * (frame.right - frame.left);
    const double y =
        frame.bottom - std::log(point.R) / std::log(frame.rfTop) * (frame.bottom - frame.top);
    return {static_cast<std::int32_t>(std::nearbyint(x)),
            static_cast<std::int32_t>(std::nearbyint(y))};
}

void DrawRfPhiPlot(const RfPhiPlotData& data, Canvas& canvas, int width, int height) {
    const RfPhiFrame frame = ComputeRfPhiFrame(data, width, height);
    // The ground is a white polygon rather than a fill, as metafile readers draw polygons alike.
    canvas.SetPenColor(kWhite);
    canvas.SetBrushColor(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.Polygon({{0, 0}, {width, 0}, {width, height}, {0, height}});
    if (std::isfinite(data.strain.R) && data.strain.R >= 1.0) {
        DrawCurves(data, frame, canvas);
    }
    DrawFrameAndPhiAxis(frame, canvas);
    DrawRfAxis(frame, data.decimalSeparator, canvas);
    DrawDataAndEstimate(data, frame, canvas);
    DrawCaption(data, frame, canvas);
}

void ExportRfPhiPicture(const RfPhiPlotData& data, const std::string& path, PictureFormat format,
                        int width, int height, const DisplayGeometry& display) {
    if (data.ellipses.empty() || width <= 0 || height <= 0) throw VarnelError("No data loaded.");
    const TextSupport text;
    const auto drawOn = [&](Canvas& canvas) { DrawRfPhiPlot(data, canvas, width, height); };
    SavePictureFile(path, PictureBytes(format, width, height, drawOn, display));
}

}  // namespace varnel::plot
