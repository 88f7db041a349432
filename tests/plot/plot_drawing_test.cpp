#include "plot/plot_drawing.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/recording_canvas.h"

namespace varnel::plot {
namespace {

using testing_support::RecordingCanvas;
using Calls = std::vector<std::string>;

// Frames of s = 100 at width 500: Post maps (x1, x2) to (250 + 100·x1, 290 − 100·x2),
// Pre maps it to (250 + 100·x1, 292 − 100·x2).
std::unique_ptr<AnalysisState> SmallState() {
    auto state = std::make_unique<AnalysisState>();
    for (PlotBounds* frame : {&state->PostPlotBounds, &state->PrePlotBounds}) {
        frame->Min = {0.0, -1.0, -2.0};
        frame->Max = {0.0, 1.0, 2.0};
    }
    state->DataCount = 2;
    state->PostVectors[1] = {0.5, 0.0};
    state->PostVectors[2] = {0.0, -1.0};
    state->PostVectors[3] = {0.9, 0.9};  // beyond N: never drawn
    state->PreVectors[1] = {-0.5, 0.5};
    state->PreVectors[2] = {0.1, 0.2};
    state->StrainEstimate = {0.2, 0.1};
    for (int k = 1; k <= kRegionPoints; ++k) {
        state->PostRegion[k] = {0.01 * k, 0.0};
        state->PreRegion[k] = {0.0, 0.01 * k};
    }
    return state;
}

std::string PolygonOf(bool post) {
    std::string line = "Polygon";
    for (int k = 1; k <= kRegionPoints; ++k) {
        const int x = post ? 250 + k : 250;
        const int y = post ? 290 : 292 - k;
        line += " " + std::to_string(x) + " " + std::to_string(y);
    }
    return line;
}

TEST(DrawPostStrainPlot, DrawsTheLayersInOrderOnOneCanvas) {
    const auto state = SmallState();
    RecordingCanvas screen;
    DrawPostStrainPlot(*state, screen, screen, 500);
    const Calls expected = {"Brush 255 255 255",
                            "FillRect 0 0 1000 1000",  // clear
                            "Pen 128 128 128",
                            "BrushStyle Clear",
                            "MoveTo 250 0",
                            "LineTo 250 1000",  // axes
                            "MoveTo 0 290",
                            "LineTo 1000 290",
                            "Ellipse 150 190 350 390",
                            "BrushStyle Solid",
                            "Pen 0 0 255",
                            "Brush 255 255 255",
                            "Ellipse 297 287 303 293",  // data
                            "Ellipse 247 387 253 393",
                            "Pen 255 0 0",
                            "MoveTo 240 280",
                            "LineTo 300 280",
                            "MoveTo 270 250",  // estimate
                            "LineTo 270 310",
                            "Pen 128 0 0",
                            "BrushStyle Clear",
                            PolygonOf(true),
                            "BrushStyle Solid"};  // region
    EXPECT_EQ(screen.calls, expected);
}

TEST(DrawPreStrainPlot, MarksTheEstimateNotTheMeanPreVector) {
    const auto state = SmallState();
    RecordingCanvas screen;
    DrawPreStrainPlot(*state, screen, screen, 500);
    const Calls expected = {"Brush 255 255 255",
                            "FillRect 0 0 1000 1000",
                            "Pen 128 128 128",
                            "BrushStyle Clear",
                            "MoveTo 250 0",
                            "LineTo 250 1000",
                            "MoveTo 0 292",
                            "LineTo 1000 292",
                            "Ellipse 150 192 350 392",
                            "BrushStyle Solid",
                            "Pen 0 0 255",
                            "Brush 255 255 255",
                            "Ellipse 197 239 203 245",
                            "Ellipse 257 269 263 275",
                            "Pen 255 0 0",
                            "MoveTo 240 282",
                            "LineTo 300 282",
                            "MoveTo 270 252",
                            "LineTo 270 312",
                            "Pen 128 0 0",
                            "BrushStyle Clear",
                            PolygonOf(false),
                            "BrushStyle Solid"};
    EXPECT_EQ(screen.calls, expected);
}

TEST(DrawPostStrainPlot, ExportCanvasGetsNoBackground) {
    const auto state = SmallState();
    RecordingCanvas screen;
    RecordingCanvas picture;
    DrawPostStrainPlot(*state, picture, screen, 500);
    EXPECT_EQ(screen.calls, (Calls{"Brush 255 255 255", "FillRect 0 0 1000 1000"}));
    ASSERT_FALSE(picture.calls.empty());
    EXPECT_EQ(picture.calls.front(), "Pen 128 128 128");
}

TEST(DrawPostStrainPlot, ClearAndAxesSpanTheSameWhateverTheWidth) {
    auto state = SmallState();
    RecordingCanvas screen;
    DrawPostStrainPlot(*state, screen, screen, 200);
    EXPECT_EQ(screen.calls[1], "FillRect 0 0 1000 1000");
    EXPECT_EQ(screen.calls[5], "LineTo 100 1000");
    EXPECT_EQ(screen.calls[7], "LineTo 1000 110");  // s = 40: the origin at Y = 200 − 80 − 10
}

}  // namespace
}  // namespace varnel::plot
