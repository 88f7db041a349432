#include "plot/shape_plots.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace varnel::plot {
namespace {

constexpr Rgb kSampleColor = kBlue;
constexpr Rgb kErrorBarColor = kDarkRed;
constexpr Rgb kReferenceColor = kGrey;

constexpr int kSampleRadius = 4;
constexpr int kMostTickSteps = 6;
// Room above the largest value, so that a dot and its bar stay clear of the frame.
constexpr double kHeadroom = 1.05;

// A round value without trailing zeros, with `separator`: 0.25, -0.5, 2.
std::string RoundValue(double value, char separator) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3).ptr;
    std::string round(text, end);
    round.erase(round.find_last_not_of('0') + 1);
    if (round.back() == '.') round.pop_back();
    if (round == "-0") round = "0";
    std::replace(round.begin(), round.end(), '.', separator);
    return round;
}

// The step of at most six ticks (1, 2, 2.5 or 5 · 10^k) from 0 to above `largest`, and the
// axis limit: the first multiple of that step at or above largest · kHeadroom.
std::pair<double, double> RoundAxis(double largest) {
    const double top = std::max(largest, 0.1) * kHeadroom;
    double step = std::pow(10.0, std::floor(std::log10(top / kMostTickSteps)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * step * kMostTickSteps >= top) {
            step *= m;
            break;
        }
    }
    return {step, step * std::ceil(top / step - 1e-9)};
}

bool Finite(double value) { return std::isfinite(value); }

// The largest finite value of `of` over the samples and, where given, their intervals' ends.
template <typename Value, typename Range>
double Largest(const ShapePlotData& data, Value of, Range rangeOf) {
    double largest = 0.0;
    for (const ShapeSample& s : data.samples) {
        if (Finite(of(s))) largest = std::max(largest, of(s));
        if (s.intervals && Finite(rangeOf(*s.intervals).hi)) {
            largest = std::max(largest, rangeOf(*s.intervals).hi);
        }
    }
    return largest;
}

// Margins for the labels: tick labels left of and below the frame, the axis titles above its
// left edge and below its middle, in proportion to the picture.
ShapePlotFrame MarginFrame(int width, int height) {
    ShapePlotFrame frame;
    frame.textHeight = std::clamp(std::min(width, height) / 40, 9, 40);
    const int h = frame.textHeight;
    frame.left = h * 4;
    frame.top = h * 4;
    frame.right = std::max(width - h * 2, frame.left + 1);
    frame.bottom = std::max(height - h * 7 / 2, frame.top + 1);
    return frame;
}

void Line(Canvas& canvas, PixelPoint from, PixelPoint to) {
    canvas.MoveTo(from.X, from.Y);
    canvas.LineTo(to.X, to.Y);
}

void DrawGround(Canvas& canvas, int width, int height) {
    // A white polygon rather than a fill, as metafile readers draw polygons alike.
    canvas.SetPenColor(kWhite);
    canvas.SetBrushColor(kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.Polygon({{0, 0}, {width, 0}, {width, height}, {0, height}});
}

// The frame, the ticks with their values on both axes and the two axis titles.
void DrawAxes(const ShapePlotFrame& f, const std::string& xTitle, const std::string& yTitle,
              char separator, Canvas& canvas) {
    const int h = f.textHeight;
    canvas.SetPenColor(kBlack);
    canvas.MoveTo(f.left, f.top);
    canvas.LineTo(f.right, f.top);
    canvas.LineTo(f.right, f.bottom);
    canvas.LineTo(f.left, f.bottom);
    canvas.LineTo(f.left, f.top);
    const int xTicks = static_cast<int>(std::lround((f.xHigh - f.xLow) / f.xStep));
    for (int i = 0; i <= xTicks; ++i) {
        const double x = f.xLow + i * f.xStep;
        const int px = MapToShapePlot(f, x, f.yLow).X;
        Line(canvas, {px, f.bottom}, {px, f.bottom + h / 2});
        canvas.Text(px, f.bottom + h * 2 / 3, RoundValue(x, separator), TextAlign::Center, h);
    }
    const int yTicks = static_cast<int>(std::lround((f.yHigh - f.yLow) / f.yStep));
    for (int i = 0; i <= yTicks; ++i) {
        const double y = f.yLow + i * f.yStep;
        const int py = MapToShapePlot(f, f.xLow, y).Y;
        Line(canvas, {f.left, py}, {f.left - h / 2, py});
        canvas.Text(f.left - h * 2 / 3, py - h / 2, RoundValue(y, separator), TextAlign::Right, h);
    }
    canvas.Text((f.left + f.right) / 2, f.bottom + h * 2, xTitle, TextAlign::Center, h);
    canvas.Text(f.left - h * 2 / 3, f.top - h * 2, yTitle, TextAlign::Right, h);
}

// The width of a text in pixels at text height h, guessed without measuring: about 0.6 h a
// character (a character is a UTF-8 lead byte).
int WidthGuess(const std::string& text, int h) {
    const auto characters =
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return int(characters) * h * 6 / 10;
}

// The text cut at a character so that with "…" it fits `width` pixels by the guess.
std::string CutToWidth(const std::string& text, int width, int h) {
    std::string cut;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t next = i + 1;
        while (next < text.size() && (text[next] & 0xC0) == 0x80) ++next;
        if (WidthGuess(cut + text.substr(i, next - i) + "…", h) > width) break;
        cut += text.substr(i, next - i);
        i = next;
    }
    return cut + "…";
}

// A sample at (x, y) with its bars over the x interval and the y interval where it has them:
// the bars first, then the dot, then its name to the upper right.
// `labelRow` moves the name down by as many lines, clear of the names of samples drawn before
// at about the same place.
void DrawSample(const ShapePlotFrame& f, const std::string& name, double x, double y,
                const ValueRange* xRange, const ValueRange* yRange, int labelRow, Canvas& canvas) {
    if (!Finite(x) || !Finite(y)) return;
    const int cap = f.textHeight / 4;
    const PixelPoint p = MapToShapePlot(f, x, y);
    int nameX = p.X + kSampleRadius + 2;  // right of the dot, and of its bar where it has one
    canvas.SetPenColor(kErrorBarColor);
    if (xRange && Finite(xRange->lo) && Finite(xRange->hi)) {
        const PixelPoint lo = MapToShapePlot(f, xRange->lo, y),
                         hi = MapToShapePlot(f, xRange->hi, y);
        Line(canvas, lo, {hi.X + 1, hi.Y});
        Line(canvas, {lo.X, lo.Y - cap}, {lo.X, lo.Y + cap + 1});
        Line(canvas, {hi.X, hi.Y - cap}, {hi.X, hi.Y + cap + 1});
        nameX = std::max(nameX, hi.X + 3);
    }
    if (yRange && Finite(yRange->lo) && Finite(yRange->hi)) {
        const PixelPoint lo = MapToShapePlot(f, x, yRange->lo),
                         hi = MapToShapePlot(f, x, yRange->hi);
        Line(canvas, lo, {hi.X, hi.Y - 1});
        Line(canvas, {lo.X - cap, lo.Y}, {lo.X + cap + 1, lo.Y});
        Line(canvas, {hi.X - cap, hi.Y}, {hi.X + cap + 1, hi.Y});
    }
    canvas.SetPenColor(kSampleColor);
    canvas.SetBrushColor(kSampleColor);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.Ellipse(p.X - kSampleRadius, p.Y - kSampleRadius, p.X + kSampleRadius + 1,
                   p.Y + kSampleRadius + 1);
    canvas.SetPenColor(kBlack);
    // A name that would run past the picture's right edge goes left of the dot, cut short with
    // "…" where even that side has no room for it.
    const int h = f.textHeight, top = p.Y - h - 1 + labelRow * h;
    const int rightRoom = f.right + h * 2 - nameX, leftX = p.X - kSampleRadius - 2;
    const int width = WidthGuess(name, h);
    if (width <= rightRoom || (width > leftX && rightRoom >= leftX)) {
        canvas.Text(nameX, top, width <= rightRoom ? name : CutToWidth(name, rightRoom, h),
                    TextAlign::Left, h);
    } else {
        canvas.Text(leftX, top, width <= leftX ? name : CutToWidth(name, leftX, h),
                    TextAlign::Right, h);
    }
}

// For each point, how many points before it lie within a text line up or down and a few
// characters across: their names would be written over each other.
std::vector<int> LabelRows(const std::vector<PixelPoint>& points, int textHeight) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < points.size(); ++i) {
        int row = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (std::abs(points[j].X - points[i].X) < textHeight * 4 &&
                std::abs(points[j].Y - points[i].Y) < textHeight) {
                ++row;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// Above the frame on the right, where a sample has intervals: what its bars are.
void DrawBarsKey(const ShapePlotData& data, const ShapePlotFrame& f, Canvas& canvas) {
    const bool any = std::any_of(data.samples.begin(), data.samples.end(),
                                 [](const ShapeSample& s) { return s.intervals.has_value(); });
    if (!any) return;
    canvas.SetPenColor(kErrorBarColor);
    canvas.Text(f.right, f.top - f.textHeight * 3,
                "bars: " + std::to_string(data.levelPercent) + " % bootstrap intervals",
                TextAlign::Right, f.textHeight);
}

ValueRange LogOf(ValueRange ratios) { return {std::log(ratios.lo), std::log(ratios.hi)}; }

}  // namespace

ShapePlotFrame ComputeFlinnFrame(const ShapePlotData& data, int width, int height) {
    ShapePlotFrame frame = MarginFrame(width, height);
    const double largest = std::max(Largest(
                                        data, [](const ShapeSample& s) { return std::log(s.XY); },
                                        [](const ShapeIntervals& i) { return LogOf(i.XY); }),
                                    Largest(
                                        data, [](const ShapeSample& s) { return std::log(s.YZ); },
                                        [](const ShapeIntervals& i) { return LogOf(i.YZ); }));
    const auto [step, limit] = RoundAxis(largest);
    frame.xHigh = frame.yHigh = limit;
    frame.xStep = frame.yStep = step;
    const int side = std::min(frame.right - frame.left, frame.bottom - frame.top);
    frame.right = frame.left + side;
    frame.top = frame.bottom - side;
    return frame;
}

ShapePlotFrame ComputeHsuFrame(const ShapePlotData& data, int width, int height) {
    ShapePlotFrame frame = MarginFrame(width, height);
    frame.xLow = -1.0;
    frame.xHigh = 1.0;
    frame.xStep = 0.5;
    const auto [step, limit] = RoundAxis(Largest(
        data, [](const ShapeSample& s) { return s.epsS; },
        [](const ShapeIntervals& i) { return i.epsS; }));
    frame.yHigh = limit;
    frame.yStep = step;
    return frame;
}

// Both axes linear; nearest pixel, halves to even.
PixelPoint MapToShapePlot(const ShapePlotFrame& f, double x, double y) {
    const double px = f.left + (x - f.xLow) / (f.xHigh - f.xLow) * (f.right - f.left);
    const double py = f.bottom - (y - f.yLow) / (f.yHigh - f.yLow) * (f.bottom - f.top);
    return {static_cast<std::int32_t>(std::nearbyint(px)),
            static_cast<std::int32_t>(std::nearbyint(py))};
}

void DrawFlinnPlot(const ShapePlotData& data, Canvas& canvas, int width, int height) {
    const ShapePlotFrame f = ComputeFlinnFrame(data, width, height);
    const int h = f.textHeight;
    DrawGround(canvas, width, height);
    // k = 1: X/Y = Y/Z, the diagonal of the square area, named near its upper end.
    canvas.SetPenColor(kReferenceColor);
    Line(canvas, {f.left, f.bottom}, {f.right, f.top});
    const PixelPoint name = MapToShapePlot(f, f.xHigh * 0.9, f.yHigh * 0.9);
    canvas.Text(name.X - h / 2, name.Y - h / 2, "k = 1", TextAlign::Right, h);
    canvas.Text(f.left + h / 2, f.top + h / 2, "constriction (k > 1)", TextAlign::Left, h);
    canvas.Text(f.right - h / 2, f.bottom - h * 3 / 2, "flattening (k < 1)", TextAlign::Right, h);
    DrawAxes(f, "ln(Y/Z)", "ln(X/Y)", data.decimalSeparator, canvas);
    DrawBarsKey(data, f, canvas);
    std::vector<PixelPoint> points;
    for (const ShapeSample& s : data.samples) {
        points.push_back(MapToShapePlot(f, std::log(s.YZ), std::log(s.XY)));
    }
    const std::vector<int> rows = LabelRows(points, h);
    for (std::size_t i = 0; i < data.samples.size(); ++i) {
        const ShapeSample& s = data.samples[i];
        const std::optional<ValueRange> yz =
            s.intervals ? std::optional(LogOf(s.intervals->YZ)) : std::nullopt;
        const std::optional<ValueRange> xy =
            s.intervals ? std::optional(LogOf(s.intervals->XY)) : std::nullopt;
        DrawSample(f, s.name, std::log(s.YZ), std::log(s.XY), yz ? &*yz : nullptr,
                   xy ? &*xy : nullptr, rows[i], canvas);
    }
}

bool AnyOnHsuPlot(const ShapePlotData& data) {
    return std::any_of(data.samples.begin(), data.samples.end(),
                       [](const ShapeSample& s) { return !std::isnan(s.nu); });
}

void DrawHsuPlot(const ShapePlotData& data, Canvas& canvas, int width, int height) {
    const ShapePlotFrame f = ComputeHsuFrame(data, width, height);
    const int h = f.textHeight;
    DrawGround(canvas, width, height);
    canvas.SetPenColor(kReferenceColor);
    const PixelPoint plane = MapToShapePlot(f, 0.0, f.yLow);
    Line(canvas, plane, {plane.X, f.top});
    const int y = f.top - h * 5 / 4;
    canvas.Text(f.left, y, "prolate", TextAlign::Left, h);
    canvas.Text(plane.X, y, "plane strain", TextAlign::Center, h);
    canvas.Text(f.right, y, "oblate", TextAlign::Right, h);
    DrawAxes(f, "Lode ν", "ε_s", data.decimalSeparator, canvas);
    DrawBarsKey(data, f, canvas);
    std::vector<ShapeSample> shown;
    std::vector<PixelPoint> points;
    for (const ShapeSample& s : data.samples) {
        if (std::isnan(s.nu)) continue;
        shown.push_back(s);
        points.push_back(MapToShapePlot(f, s.nu, s.epsS));
    }
    const std::vector<int> rows = LabelRows(points, h);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const ShapeSample& s = shown[i];
        DrawSample(f, s.name, s.nu, s.epsS, s.intervals ? &s.intervals->nu : nullptr,
                   s.intervals ? &s.intervals->epsS : nullptr, rows[i], canvas);
    }
}

}  // namespace varnel::plot
