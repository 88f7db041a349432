#include "plot/plot_frames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

namespace varnel::plot {
namespace {

struct MappingCase {
    StrainVector v;
    PixelPoint post;
    PixelPoint pre;
};

void SetFrames(AnalysisState& state, StrainVector min, StrainVector max) {
    for (PlotBounds* frame : {&state.PostPlotBounds, &state.PrePlotBounds}) {
        frame->Min = {0.0, min.x1, min.x2};
        frame->Max = {0.0, max.x1, max.x2};
    }
}

void ExpectMappings(StrainVector min, StrainVector max, const std::vector<MappingCase>& cases) {
    auto state = std::make_unique<AnalysisState>();
    SetFrames(*state, min, max);
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.v.x1 << ", " << c.v.x2 << ")");
        EXPECT_EQ(MapToPostPlot(*state, c.v, 500), c.post);
        EXPECT_EQ(MapToPrePlot(*state, c.v, 500), c.pre);
    }
}

TEST(MapToPlot, HorizontalRangeDecidesWhenWider) {
    ExpectMappings({-2, -1.5}, {2, 1.5},
                   {{{0, 0}, {200, 252}, {200, 250}},
                    {{1, 0}, {300, 252}, {300, 250}},
                    {{0, 1}, {200, 152}, {200, 150}},
                    {{1, 0.5}, {300, 202}, {300, 200}},
                    {{-2, -1.5}, {0, 402}, {0, 400}},
                    {{2, 1.5}, {400, 102}, {400, 100}}});
}

TEST(MapToPlot, VerticalRangeDecidesWhenTaller) {
    ExpectMappings({-1, -2}, {1, 2},
                   {{{0, 0}, {250, 290}, {250, 292}},
                    {{1, 0}, {350, 290}, {350, 292}},
                    {{0, 1}, {250, 190}, {250, 192}},
                    {{-1, -2}, {150, 490}, {150, 492}},
                    {{1, 2}, {350, 90}, {350, 92}}});
}

TEST(MapToPlot, VerticalRangeDecidesWhenEqual) {
    ExpectMappings({-2, -2}, {2, 2},
                   {{{0, 0}, {250, 290}, {250, 292}},
                    {{-2, -2}, {50, 490}, {50, 492}},
                    {{2, 2}, {450, 90}, {450, 92}}});
}

TEST(MapToPlot, HalvesGoToTheEvenNeighbour) {
    // e2 = 3.125 makes s = 128 exactly, so x1 = h / 128 gives the product h exactly.
    ExpectMappings({-1, -1.5625}, {1, 1.5625},
                   {{{2.5 / 128, 0}, {252, 290}, {252, 292}},
                    {{3.5 / 128, 0}, {254, 290}, {254, 292}},
                    {{-2.5 / 128, 0}, {248, 290}, {248, 292}},
                    {{-3.5 / 128, 0}, {246, 290}, {246, 292}}});
}

TEST(MapToPlot, ScaleIsHeldAsA32BitFloat) {
    // e2 = 3: s = 400 / 3 is held as the float 133.33332824…, so 0.00375 · s = 0.49999998…
    // rounds to 0; with a double scale the product would be 0.50000000000000002 and round to 1.
    auto state = std::make_unique<AnalysisState>();
    SetFrames(*state, {-1, -1.5}, {1, 1.5});
    EXPECT_EQ(MapToPostPlot(*state, {0.00375, 0}, 500).X, 250);
}

TEST(MapToPlot, PointsOutsideTheFrameAreNotClipped) {
    auto state = std::make_unique<AnalysisState>();
    SetFrames(*state, {-1, -2}, {1, 2});
    EXPECT_EQ(MapToPostPlot(*state, {-5, -5}, 500), (PixelPoint{-250, 790}));
}

TEST(MapToPlot, ExtremeVectorsStopAtTheEndsOfThe32BitRange) {
    // A huge quantile table throws region points this far out; the offsets added after the
    // rounding must not carry a coordinate past the range of a 32-bit integer.
    constexpr std::int32_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kHigh = std::numeric_limits<std::int32_t>::max();
    // Vertical range decides (s = 100): X = nearest(x1 · s) + 250, Y = 500 − nearest(…) − 10.
    ExpectMappings({-1, -2}, {1, 2},
                   {{{1e300, 0}, {kHigh, 290}, {kHigh, 292}},
                    {{-1e300, 1e300}, {kLow, kLow}, {kLow, kLow}},
                    {{0, -1e300}, {250, kHigh}, {250, kHigh}},
                    // nearest = 2147483447: the offset of 250 would pass the largest value.
                    {{21474834.47, 0}, {kHigh, 290}, {kHigh, 292}},
                    // nearest = −2147483848 lies below the range, its sum with 250 inside it.
                    {{-21474838.48, 0}, {-2147483598, 290}, {-2147483598, 292}}});
    // Horizontal range decides (s = 100): Y = 250 − nearest(x2 · s) + 2 (Post) or + 0 (Pre).
    ExpectMappings({-2, -1.5}, {2, 1.5},
                   {{{0, -1e300}, {200, kHigh}, {200, kHigh}},
                    {{0, 1e300}, {200, kLow}, {200, kLow}},
                    {{0, -21474836.47}, {200, kHigh}, {200, kHigh}},
                    {{std::numeric_limits<double>::max(), 0}, {kHigh, 252}, {kHigh, 250}}});
}

struct FrameFixture : testing::Test {
    std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
    void AddDatum(StrainVector post, StrainVector pre) {
        ++state->DataCount;
        state->PostVectors[state->DataCount] = post;
        state->PreVectors[state->DataCount] = pre;
    }
};

void ExpectFrame(const PlotBounds& frame, StrainVector min, StrainVector max) {
    EXPECT_DOUBLE_EQ(frame.Min[1], min.x1);
    EXPECT_DOUBLE_EQ(frame.Min[2], min.x2);
    EXPECT_DOUBLE_EQ(frame.Max[1], max.x1);
    EXPECT_DOUBLE_EQ(frame.Max[2], max.x2);
}

TEST_F(FrameFixture, PointsInsideTheUnitSquareGiveTheSquareWidened) {
    // −1 … 1 widened: Min = −1 − 0.4 = −1.4, then Max = 1 + 0.2 · (1 + 1.4) = 1.48.
    state->StrainEstimate = {0.3, -0.2};
    AddDatum({0.5, 0.9}, {-0.7, 0.1});
    AddDatum({-0.9, -0.99}, {0.2, 0.2});
    ComputePlotBounds(*state);
    ExpectFrame(state->PostPlotBounds, {-1.4, -1.4}, {1.48, 1.48});
    ExpectFrame(state->PrePlotBounds, {-1.4, -1.4}, {1.48, 1.48});
    EXPECT_TRUE(PlotFramesExist(*state));
}

TEST_F(FrameFixture, EachFrameEnclosesItsOwnVectorsAndTheEstimate) {
    // Post x1: −1 … 3 (width 4) → Min −1.8, Max 3 + 0.2 · 4.8 = 3.96.
    // Post x2: −2 … 1 (width 3) → Min −2.6, Max 1 + 0.2 · 3.6 = 1.72.
    // Pre x1: −1 … 2.5 (the estimate) → Min −1.7, Max 2.5 + 0.2 · 4.2 = 3.34; x2: −1 … 1.
    state->StrainEstimate = {2.5, 0.0};
    AddDatum({3.0, 0.5}, {0.1, 0.0});
    AddDatum({1.0, -2.0}, {-0.5, 0.3});
    ComputePlotBounds(*state);
    ExpectFrame(state->PostPlotBounds, {-1.8, -2.6}, {3.96, 1.72});
    ExpectFrame(state->PrePlotBounds, {-1.7, -1.4}, {3.34, 1.48});
}

TEST_F(FrameFixture, ConfidenceRegionsNeverWidenAFrame) {
    AddDatum({0.0, 0.0}, {0.0, 0.0});
    state->PostRegion[5] = {9.0, 9.0};
    state->PreRegion[7] = {-9.0, -9.0};
    ComputePlotBounds(*state);
    ExpectFrame(state->PostPlotBounds, {-1.4, -1.4}, {1.48, 1.48});
    ExpectFrame(state->PrePlotBounds, {-1.4, -1.4}, {1.48, 1.48});
}

TEST(KeepZeroInFrame, BringsZeroBackIntoOneSidedRanges) {
    PlotBounds frame;
    frame.Min = {0.0, -3.0, 0.5};
    frame.Max = {0.0, -0.5, 2.0};
    KeepZeroInFrame(frame);
    EXPECT_EQ(frame.Max[1], 0.1);
    EXPECT_EQ(frame.Min[1], -3.0);
    EXPECT_EQ(frame.Min[2], -0.1);
    EXPECT_EQ(frame.Max[2], 2.0);

    PlotBounds straddling;
    straddling.Min = {0.0, -1.0, 0.0};
    straddling.Max = {0.0, 1.0, 2.0};
    KeepZeroInFrame(straddling);
    EXPECT_EQ(straddling.Min[2], 0.0);
    EXPECT_EQ(straddling.Max[1], 1.0);
}

}  // namespace
}  // namespace varnel::plot
