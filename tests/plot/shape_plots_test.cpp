#include "plot/shape_plots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "tests/support/recording_canvas.h"

namespace varnel::plot {
namespace {

using Calls = std::vector<std::string>;

// Three samples: prolate, near plane strain and oblate, the second with bootstrap intervals.
ShapePlotData Study(bool intervals) {
    ShapePlotData data{{{"QZ-2", 2.75, 1.41, -0.49, 1.0, std::nullopt},
                        {"GN-7", 1.98, 1.96, -0.01, 0.96, std::nullopt},
                        {"SC-11", 1.13, 1.72, 0.63, 0.5, std::nullopt}},
                       95,
                       ','};
    if (intervals)
        data.samples[1].intervals = {{1.88, 2.10}, {1.88, 2.05}, {-0.07, 0.05}, {0.93, 1.0}};
    return data;
}

std::vector<int> Numbers(const std::string& call) {
    std::istringstream in(call.substr(call.find(' ')));
    std::vector<int> values;
    for (int v; in >> v;) values.push_back(v);
    return values;
}

// The centre of each dot, in the order drawn.
std::vector<std::pair<int, int>> Dots(const Calls& calls) {
    std::vector<std::pair<int, int>> dots;
    for (const std::string& call : calls) {
        if (call.rfind("Ellipse", 0) != 0) continue;
        const std::vector<int> box = Numbers(call);
        dots.emplace_back((box[0] + box[2] - 1) / 2, (box[1] + box[3] - 1) / 2);
    }
    return dots;
}

bool HasText(const Calls& calls, const std::string& text) {
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.rfind("Text", 0) == 0 && call.size() >= text.size() &&
               call.compare(call.size() - text.size(), text.size(), text) == 0;
    });
}

// The lines drawn with the pen `pen` ("Pen 128 0 0"), as MoveTo/LineTo pairs.
std::vector<std::vector<int>> LinesIn(const Calls& calls, const std::string& pen) {
    std::vector<std::vector<int>> lines;
    std::string current;
    std::vector<int> from;
    for (const std::string& call : calls) {
        if (call.rfind("Pen", 0) == 0) current = call;
        if (call.rfind("MoveTo", 0) == 0) from = Numbers(call);
        if (call.rfind("LineTo", 0) == 0 && current == pen) {
            const std::vector<int> to = Numbers(call);
            lines.push_back({from[0], from[1], to[0], to[1]});
        }
        if (call.rfind("LineTo", 0) == 0) from = Numbers(call);
    }
    return lines;
}

// A dot lies within a pixel of its place; the mapping rounds to the nearest pixel.
constexpr double kPixel = 1.0;

TEST(DrawFlinnPlot, PutsEachSampleAtItsLogRatiosNamedOnASquareFrame) {
    const ShapePlotData data = Study(false);
    testing_support::RecordingCanvas canvas;
    DrawFlinnPlot(data, canvas, 600, 500);
    const ShapePlotFrame f = ComputeFlinnFrame(data, 600, 500);
    EXPECT_EQ(f.right - f.left, f.bottom - f.top);
    EXPECT_EQ(f.xLow, 0.0);
    EXPECT_EQ(f.xHigh, f.yHigh);
    const double pixelsPerUnit = (f.right - f.left) / f.xHigh;
    const auto dots = Dots(canvas.calls);
    ASSERT_EQ(dots.size(), data.samples.size());
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const ShapeSample& s = data.samples[i];
        EXPECT_NEAR(dots[i].first - f.left, std::log(s.YZ) * pixelsPerUnit, kPixel) << s.name;
        EXPECT_NEAR(f.bottom - dots[i].second, std::log(s.XY) * pixelsPerUnit, kPixel) << s.name;
        EXPECT_TRUE(HasText(canvas.calls, " " + s.name)) << s.name;
    }
    EXPECT_TRUE(HasText(canvas.calls, "ln(Y/Z)"));
    EXPECT_TRUE(HasText(canvas.calls, "ln(X/Y)"));
    EXPECT_TRUE(HasText(canvas.calls, " 0,4"));  // the locale's decimal separator
}

TEST(DrawFlinnPlot, DrawsTheLineKEqualsOneThroughTheOriginAt45Degrees) {
    testing_support::RecordingCanvas canvas;
    DrawFlinnPlot(Study(false), canvas, 500, 500);
    const ShapePlotFrame f = ComputeFlinnFrame(Study(false), 500, 500);
    const auto grey = LinesIn(canvas.calls, "Pen 128 128 128");
    ASSERT_EQ(grey.size(), 1u);
    EXPECT_EQ(grey[0], (std::vector<int>{f.left, f.bottom, f.right, f.top}));
    EXPECT_TRUE(HasText(canvas.calls, "k = 1"));
}

TEST(ShapePlots, DrawErrorBarsOnlyWhereASampleHasIntervals) {
    for (const auto draw : {DrawFlinnPlot, DrawHsuPlot}) {
        testing_support::RecordingCanvas without, with;
        draw(Study(false), without, 500, 500);
        draw(Study(true), with, 500, 500);
        EXPECT_TRUE(LinesIn(without.calls, "Pen 128 0 0").empty());
        EXPECT_EQ(LinesIn(with.calls, "Pen 128 0 0").size(), 6u);  // two bars, four caps
        EXPECT_TRUE(HasText(with.calls, "bars: 95 % bootstrap intervals"));
    }
}

TEST(ShapePlots, WriteTheNamesOfSamplesAtOnePlaceOnSeparateLines) {
    ShapePlotData data = Study(false);
    data.samples.push_back(data.samples[1]);
    data.samples.back().name = "GN-8";
    // A sphere: on the Flinn plot at its origin, left out of the Hsu plot.
    data.samples.push_back({"ball", 1.0, 1.0, NAN, 0.0, std::nullopt});
    // At the right edge: its name goes left of its dot rather than off the picture.
    data.samples.push_back({"OBLATE", 1.0, 1.5, 1.0, 0.4, std::nullopt});
    for (bool flinn : {true, false}) {
        testing_support::RecordingCanvas canvas;
        if (flinn) {
            DrawFlinnPlot(data, canvas, 500, 500);
        } else {
            DrawHsuPlot(data, canvas, 500, 500);
        }
        EXPECT_EQ(Dots(canvas.calls).size(), flinn ? 6u : 5u);
        EXPECT_EQ(HasText(canvas.calls, "Right 12 OBLATE"), !flinn);
        std::vector<int> heights;
        for (const std::string& call : canvas.calls) {
            if (call.size() > 5 && (call.ends_with(" GN-7") || call.ends_with(" GN-8"))) {
                heights.push_back(Numbers(call)[1]);
            }
        }
        ASSERT_EQ(heights.size(), 2u);
        EXPECT_GE(std::abs(heights[0] - heights[1]), 500 / 40) << flinn;
    }
}

TEST(DrawHsuPlot, PutsEachSampleAtNuAndEpsSBetweenTheNamedEnds) {
    const ShapePlotData data = Study(true);
    testing_support::RecordingCanvas canvas;
    DrawHsuPlot(data, canvas, 500, 400);
    const ShapePlotFrame f = ComputeHsuFrame(data, 500, 400);
    const auto dots = Dots(canvas.calls);
    ASSERT_EQ(dots.size(), data.samples.size());
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const ShapeSample& s = data.samples[i];
        EXPECT_NEAR(dots[i].first - f.left, (s.nu + 1) / 2 * (f.right - f.left), kPixel);
        EXPECT_NEAR(f.bottom - dots[i].second, s.epsS / f.yHigh * (f.bottom - f.top), kPixel);
    }
    for (const char* text : {"prolate", "plane strain", "oblate", "Lode ν", "ε_s", " -0,5"}) {
        EXPECT_TRUE(HasText(canvas.calls, text)) << text;
    }
}

}  // namespace
}  // namespace varnel::plot
