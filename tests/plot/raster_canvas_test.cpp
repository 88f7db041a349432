#include "plot/raster_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace varnel::plot {
namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kRed = 0xffff0000;

struct RasterFixture : testing::Test {
    QImage image{40, 40, QImage::Format_RGB32};
    RasterCanvas canvas{image};
    RasterFixture() { image.fill(kBlack); }
    QRgb At(int x, int y) const { return image.pixel(x, y); }
};

TEST_F(RasterFixture, FillRectLeavesTheRightColumnAndBottomRow) {
    canvas.SetBrushColor({255, 255, 255});
    canvas.FillRect(2, 3, 6, 8);
    EXPECT_EQ(At(2, 3), kWhite);
    EXPECT_EQ(At(5, 7), kWhite);
    EXPECT_EQ(At(6, 7), kBlack);
    EXPECT_EQ(At(5, 8), kBlack);
    EXPECT_EQ(At(1, 3), kBlack);
}

TEST_F(RasterFixture, LineToLeavesTheEndPixelAndMovesOn) {
    canvas.SetPenColor({255, 0, 0});
    canvas.MoveTo(5, 10);
    canvas.LineTo(15, 10);
    canvas.LineTo(15, 20);
    EXPECT_EQ(At(5, 10), kRed);
    EXPECT_EQ(At(14, 10), kRed);
    EXPECT_EQ(At(15, 10), kRed);  // drawn as the start of the second line
    EXPECT_EQ(At(15, 19), kRed);
    EXPECT_EQ(At(15, 20), kBlack);
    EXPECT_EQ(At(16, 10), kBlack);
}

TEST_F(RasterFixture, DatumIsACircleSixPixelsAcrossWhiteInside) {
    canvas.SetPenColor({0, 0, 255});
    canvas.SetBrushColor({255, 255, 255});
    canvas.Ellipse(17, 17, 23, 23);
    EXPECT_EQ(At(20, 20), kWhite);  // inside
    EXPECT_EQ(At(17, 20), kBlue);   // leftmost column
    EXPECT_EQ(At(22, 20), kBlue);   // rightmost column
    EXPECT_EQ(At(20, 17), kBlue);
    EXPECT_EQ(At(20, 22), kBlue);
    EXPECT_EQ(At(16, 20), kBlack);
    EXPECT_EQ(At(23, 20), kBlack);
    EXPECT_EQ(At(20, 23), kBlack);
    EXPECT_EQ(At(17, 17), kBlack);  // corners stay outside the circle
}

TEST_F(RasterFixture, ClearBrushOutlinesOnly) {
    canvas.SetPenColor({0, 0, 255});
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Ellipse(5, 5, 35, 35);
    EXPECT_EQ(At(20, 20), kBlack);
    EXPECT_EQ(At(5, 20), kBlue);
    EXPECT_EQ(At(34, 20), kBlue);
}

TEST_F(RasterFixture, PolygonClosesBackToItsFirstPoint) {
    canvas.SetPenColor({255, 0, 0});
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Polygon({{5, 5}, {30, 5}, {30, 30}, {5, 30}});
    EXPECT_EQ(At(5, 18), kRed);  // the closing edge from (5, 30) to (5, 5)
    EXPECT_EQ(At(30, 18), kRed);
    EXPECT_EQ(At(18, 18), kBlack);
}

TEST_F(RasterFixture, FloodFillFillsTheConnectedSurface) {
    canvas.SetPenColor({255, 0, 0});
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Polygon({{5, 5}, {30, 5}, {30, 30}, {5, 30}});
    canvas.SetBrushColor({255, 255, 255});
    canvas.FloodFill(18, 18, {0, 0, 0});
    EXPECT_EQ(At(18, 18), kWhite);
    EXPECT_EQ(At(6, 6), kWhite);
    EXPECT_EQ(At(5, 18), kRed);
    EXPECT_EQ(At(2, 2), kBlack);
}

// The columns and rows that a text in red on black touched.
struct Ink {
    int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
};
Ink InkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(image.pixel(x, y)) < 100) continue;
            ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y),
                   std::max(ink.bottom, y)};
        }
    }
    return ink;
}

TEST(RasterCanvasText, PutsTheLeftEndMiddleOrRightEndOnTheReferencePointBelowItsTop) {
    for (TextAlign align : {TextAlign::Left, TextAlign::Center, TextAlign::Right}) {
        QImage image(200, 40, QImage::Format_RGB32);
        image.fill(kBlack);
        RasterCanvas canvas(image);
        canvas.SetPenColor({255, 0, 0});
        canvas.Text(100, 10, "MMM", align, 20);
        const Ink ink = InkOf(image);
        ASSERT_GE(ink.right, 0) << static_cast<int>(align);
        EXPECT_GT(ink.right - ink.left, 30);  // three capitals of 20 pixels
        EXPECT_GE(ink.top, 10);
        EXPECT_LE(ink.bottom, 10 + 24);
        switch (align) {
            case TextAlign::Left:
                EXPECT_TRUE(ink.left >= 100 && ink.left <= 104) << ink.left;
                break;
            case TextAlign::Center:
                EXPECT_LE(std::abs((ink.left + ink.right) / 2 - 100), 3);
                break;
            case TextAlign::Right:
                EXPECT_TRUE(ink.right >= 95 && ink.right <= 100) << ink.right;
                break;
        }
    }
}

}  // namespace
}  // namespace varnel::plot
