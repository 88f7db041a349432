#include "plot/rfphi_plot.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSvgRenderer>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/varnel_error.h"
#include "plot/raster_canvas.h"
#include "plot/text_font.h"
#include "tests/support/comma_locale.h"
#include "tests/support/error_text.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/test_folder.h"

namespace varnel::plot {
namespace {

using Calls = std::vector<std::string>;

// Three ellipses and a strain of 2 along 20°: the Rf axis ends at 4, and in a 500-pixel square
// the frame spans X 48 … 476 (φ −90° … 90°) and Y 458 … 48 (Rf 1 … 4).
RfPhiPlotData SmallData() { return {{{1.5, 10.0}, {2.2, -30.0}, {3.1, 85.0}}, {2.0, 20.0}}; }

Calls Matching(const Calls& calls, const std::string& prefix) {
    Calls found;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) found.push_back(call);
    }
    return found;
}

TEST(RfPhiUpperLimit, IsTheNextRoundValueAboveTheLargestRatio) {
    const std::pair<double, double> cases[] = {{1.0, 1.2},   {1.19, 1.2}, {1.2, 1.5},
                                               {2.64, 3.0},  {3.0, 4.0},  {9.5, 10.0},
                                               {10.0, 12.0}, {130, 150},  {7.9, 8.0}};
    for (const auto& [largest, limit] : cases) {
        RfPhiPlotData data{{{largest, 0.0}, {1.1, 5.0}}, {1.05, 0.0}};
        EXPECT_DOUBLE_EQ(RfPhiUpperLimit(data), limit) << largest;
    }
}

TEST(RfPhiUpperLimit, CountsTheEstimateAndSkipsRatiosThatAreNotFinite) {
    EXPECT_DOUBLE_EQ(RfPhiUpperLimit({{{1.5, 0.0}}, {2.2, 0.0}}), 2.5);
    EXPECT_DOUBLE_EQ(RfPhiUpperLimit({{{1.5, 0.0}, {INFINITY, 0.0}, {NAN, 1.0}}, {1.1, 0.0}}), 2.0);
}

TEST(RfAxisTicks, TakesTheFinestSeriesOfAtMostTenTicks) {
    const std::pair<double, std::vector<double>> cases[] = {
        {1.5, {1, 1.1, 1.2, 1.3, 1.4, 1.5}},
        {3.0, {1, 1.2, 1.5, 2, 2.5, 3}},
        {4.0, {1, 1.2, 1.5, 2, 2.5, 3, 4}},
        {10.0, {1, 1.5, 2, 3, 4, 5, 6, 8, 10}},
        {100.0, {1, 2, 3, 5, 10, 20, 30, 50, 100}},
        {1000.0, {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}},
    };
    for (const auto& [top, ticks] : cases) {
        const std::vector<double> found = RfAxisTicks(top);
        ASSERT_EQ(found.size(), ticks.size()) << top;
        for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(found[i], ticks[i], 1e-9) << top;
    }
}

TEST(ComputeRfPhiFrame, LeavesMarginsForTheLabelsInProportionToThePicture) {
    const RfPhiFrame square = ComputeRfPhiFrame(SmallData(), 500, 500);
    EXPECT_EQ(square.textHeight, 12);
    EXPECT_EQ((std::vector<int>{square.left, square.top, square.right, square.bottom}),
              (std::vector<int>{48, 48, 476, 458}));
    EXPECT_DOUBLE_EQ(square.rfTop, 4.0);
    const RfPhiFrame wide = ComputeRfPhiFrame(SmallData(), 1200, 800);
    EXPECT_EQ(wide.textHeight, 20);
    EXPECT_EQ((std::vector<int>{wide.left, wide.top, wide.right, wide.bottom}),
              (std::vector<int>{80, 80, 1160, 730}));
}

TEST(MapToRfPhiPlot, PlacesOrientationLinearlyAndRatioOnALogScale) {
    const RfPhiFrame frame = ComputeRfPhiFrame(SmallData(), 500, 500);
    const std::pair<RfPhiPoint, PixelPoint> cases[] = {
        {{1.0, -90.0}, {48, 458}}, {{4.0, 90.0}, {476, 48}},   {{2.0, 0.0}, {262, 253}},
        {{1.5, 10.0}, {286, 338}}, {{2.2, -30.0}, {191, 225}}, {{8.0, 0.0}, {262, -157}},
    };
    for (const auto& [point, pixel] : cases) {
        EXPECT_EQ(MapToRfPhiPlot(frame, point), pixel) << point.R << " " << point.phiDegrees;
    }
}

TEST(DrawRfPhiPlot, PaintsTheGroundFirstThenTheCurvesInTheirColours) {
    testing_support::RecordingCanvas canvas;
    DrawRfPhiPlot(SmallData(), canvas, 500, 500);
    const Calls start(canvas.calls.begin(), canvas.calls.begin() + 5);
    EXPECT_EQ(start, (Calls{"Pen 255 255 255", "Brush 255 255 255", "BrushStyle Solid",
                            "Polygon 0 0 500 0 500 500 0 500", "Pen 128 128 128"}));
    EXPECT_EQ(
        Matching(canvas.calls, "Pen "),
        (Calls{"Pen 255 255 255", "Pen 128 128 128", "Pen 150 200 150", "Pen 0 0 0", "Pen 0 0 0",
               "Pen 0 0 255", "Pen 255 0 0", "Pen 255 0 0", "Pen 150 200 150", "Pen 128 128 128"}));
}

TEST(DrawRfPhiPlot, DrawsEachEllipseAsACircleAndACrossAtTheEstimate) {
    testing_support::RecordingCanvas canvas;
    DrawRfPhiPlot(SmallData(), canvas, 500, 500);
    EXPECT_EQ(
        Matching(canvas.calls, "Ellipse"),
        (Calls{"Ellipse 283 335 289 341", "Ellipse 188 222 194 228", "Ellipse 461 120 467 126"}));
    const auto cross = std::find(canvas.calls.begin(), canvas.calls.end(), "Pen 255 0 0");
    ASSERT_NE(cross, canvas.calls.end());
    EXPECT_EQ(Calls(cross + 1, cross + 5),
              (Calls{"MoveTo 302 253", "LineTo 319 253", "MoveTo 310 245", "LineTo 310 262"}));
}

TEST(DrawRfPhiPlot, LabelsTheCurvesTheAxesAndTheEstimate) {
    testing_support::RecordingCanvas canvas;
    DrawRfPhiPlot(SmallData(), canvas, 500, 500);
    const Calls expected = {"Text 313 175 Left 9 1.25",
                            "Text 313 121 Left 9 1.5",
                            "Text 313 36 Left 9 2",
                            "Text 48 466 Center 12 -90",
                            "Text 119 466 Center 12 -60",
                            "Text 191 466 Center 12 -30",
                            "Text 262 466 Center 12 0",
                            "Text 333 466 Center 12 30",
                            "Text 405 466 Center 12 60",
                            "Text 476 466 Center 12 90",
                            "Text 262 482 Center 12 φ (°)",
                            "Text 40 452 Right 12 1",
                            "Text 40 398 Right 12 1.2",
                            "Text 40 332 Right 12 1.5",
                            "Text 40 247 Right 12 2",
                            "Text 40 181 Right 12 2.5",
                            "Text 40 127 Right 12 3",
                            "Text 40 42 Right 12 4",
                            "Text 40 24 Right 12 Rf",
                            "Text 48 24 Left 12 Rs = 2.000   φs = 20.0°",
                            "Text 476 24 Right 12 θ-curves every 10°",
                            "Text 476 9 Right 12 Ri-curves"};
    EXPECT_EQ(Matching(canvas.calls, "Text "), expected);
}

// Every text's box, measured in the plot font, lies inside the picture: the Rf axis's widest
// label too, for ratios up to the largest a data file can hold.
TEST(DrawRfPhiPlot, EveryTextStaysInsideThePictureWhateverTheLargestRatio) {
    for (const double largest : {3.1, 1e5, 1e6, 5e9, 1e300, DBL_MAX}) {
        for (const int size : {320, 500, 1200}) {
            SCOPED_TRACE(testing::Message() << "R " << largest << ", " << size << " pixels");
            testing_support::RecordingCanvas canvas;
            DrawRfPhiPlot({{{largest, 10.0}, {1.5, -30.0}}, {2.0, 20.0}}, canvas, size, size);
            for (const std::string& call : Matching(canvas.calls, "Text ")) {
                std::istringstream in(call);
                std::string name, align;
                int x = 0, y = 0, height = 0;
                in >> name >> x >> y >> align >> height;
                const std::string text = call.substr(std::size_t(in.tellg()) + 1);
                const TextLayout layout = LayOutText(text, height);
                const int left = TextLeft(x, layout.width,
                                          align == "Left"     ? TextAlign::Left
                                          : align == "Center" ? TextAlign::Center
                                                              : TextAlign::Right);
                EXPECT_TRUE(left >= 0 && left + layout.width <= size) << call;
                EXPECT_TRUE(y >= 0 && y + layout.height <= size) << call;
            }
        }
    }
}

TEST(DrawRfPhiPlot, LabelsTakeTheDatasDecimalSeparatorWhateverTheCLibrarysLocale) {
    testing_support::RecordingCanvas plain;
    DrawRfPhiPlot(SmallData(), plain, 500, 500);
    const testing_support::ScopedCommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma";
    testing_support::RecordingCanvas underComma, withComma;
    DrawRfPhiPlot(SmallData(), underComma, 500, 500);
    EXPECT_EQ(Matching(underComma.calls, "Text "), Matching(plain.calls, "Text "));
    RfPhiPlotData data = SmallData();
    data.decimalSeparator = ',';
    DrawRfPhiPlot(data, withComma, 500, 500);
    Calls expected = Matching(plain.calls, "Text ");
    for (std::string& call : expected) std::replace(call.begin(), call.end(), '.', ',');
    EXPECT_EQ(Matching(withComma.calls, "Text "), expected);
    EXPECT_NE(
        std::find(expected.begin(), expected.end(), "Text 48 24 Left 12 Rs = 2,000   φs = 20,0°"),
        expected.end());
}

// Replays the moves and lines of the curve layers (from the first curve pen to the black frame).
struct Segment {
    int x0, y0, x1, y1;
};
std::vector<Segment> CurveSegments(const Calls& calls) {
    std::vector<Segment> segments;
    int x = 0, y = 0;
    bool inCurves = false;
    for (const std::string& call : calls) {
        if (call == "Pen 128 128 128") inCurves = true;
        if (call == "Pen 0 0 0") break;
        std::istringstream in(call);
        std::string name;
        int nx = 0, ny = 0;
        in >> name >> nx >> ny;
        if (name == "LineTo" && inCurves) segments.push_back({x, y, nx, ny});
        if (name == "MoveTo" || name == "LineTo") x = nx, y = ny;
    }
    return segments;
}

TEST(DrawRfPhiPlot, CurvesStayInsideTheFrameAndNeverCrossItWhereTheyWrap) {
    for (double phiS : {0.0, 45.0, 80.0, 89.5, -70.0}) {
        RfPhiPlotData data = SmallData();
        data.strain = {1.8, phiS};
        testing_support::RecordingCanvas canvas;
        DrawRfPhiPlot(data, canvas, 500, 500);
        const std::vector<Segment> segments = CurveSegments(canvas.calls);
        EXPECT_GT(segments.size(), 200u);
        for (const Segment& s : segments) {
            EXPECT_LE(std::abs(s.x1 - s.x0), 428 / 8) << phiS << ": " << s.x0 << " → " << s.x1;
            for (auto [px, py] : {std::pair{s.x0, s.y0}, std::pair{s.x1, s.y1}}) {
                EXPECT_TRUE(px >= 48 && px <= 476 && py >= 48 && py <= 458) << px << " " << py;
            }
        }
    }
}

TEST(DrawRfPhiPlot, RasterShowsTheDataTheEstimateAndTheCaption) {
    QImage image(500, 500, QImage::Format_RGB32);
    image.fill(Qt::black);
    RasterCanvas canvas(image);
    DrawRfPhiPlot(SmallData(), canvas, 500, 500);
    EXPECT_EQ(image.pixel(0, 0), 0xffffffffu);  // the white ground
    EXPECT_EQ(image.pixel(499, 499), 0xffffffffu);
    EXPECT_EQ(image.pixel(283, 338), 0xff0000ffu);  // left column of the first circle
    EXPECT_EQ(image.pixel(286, 338), 0xffffffffu);  // its white inside
    EXPECT_EQ(image.pixel(315, 253), 0xffff0000u);  // an arm of the cross
    EXPECT_EQ(image.pixel(48, 300), 0xff000000u);   // the left edge of the frame
    int captionPixels = 0;
    for (int y = 24; y < 40; ++y) {
        for (int x = 48; x < 200; ++x) {
            const QRgb p = image.pixel(x, y);
            captionPixels += qRed(p) > 128 && qGreen(p) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(captionPixels, 30);
}

TEST(ExportRfPhiPicture, RefusesWithoutEllipses) {
    testing_support::TestFolder folder;
    const std::string path = (folder.Path() / "empty.svg").string();
    EXPECT_EQ(testing_support::ErrorTextOf([&] {
                  ExportRfPhiPicture({{}, {2.0, 0.0}}, path, PictureFormat::Svg, 400, 400);
              }),
              "No data loaded.");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ExportRfPhiPicture, WritesPngAndSvgOfTheAskedSize) {
    testing_support::TestFolder folder;
    const std::string png = (folder.Path() / "plot.png").string();
    const std::string svg = (folder.Path() / "plot.svg").string();
    ExportRfPhiPicture(SmallData(), png, PictureFormat::Png, 600, 400);
    ExportRfPhiPicture(SmallData(), svg, PictureFormat::Svg, 600, 400);
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(600, 400));
    EXPECT_EQ(image.pixel(2, 2), 0xffffffffu);
    QSvgRenderer renderer(QString::fromStdString(svg));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 600, 400));
}

// What a third-party reader finds in the metafile: the circles and every text.
TEST(ExportRfPhiPicture, EmfReadsBackWithItsCirclesAndTexts) {
    const std::string converter = VARNEL_EMF2SVG_CONV;
    if (converter.empty() || converter.ends_with("NOTFOUND")) GTEST_SKIP() << "no emf2svg-conv";
    testing_support::TestFolder folder;
    const std::string emf = (folder.Path() / "plot.emf").string();
    const std::string svg = (folder.Path() / "plot.svg").string();
    ExportRfPhiPicture(SmallData(), emf, PictureFormat::Emf, 500, 500);
    ASSERT_EQ(std::system((converter + " -i '" + emf + "' -o '" + svg + "'").c_str()), 0);
    const std::string text = testing_support::ReadWholeFile(svg);
    auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<ellipse"), 3u);
    EXPECT_EQ(count("<text"), 22u);
    for (const char* label : {"[Rf]", "[φ (°)]", "[-90]", "[Rs = 2.000   φs = 20.0°]", "[1.25]"}) {
        EXPECT_EQ(count(std::string("<![CDATA") + label), 1u) << label;
    }
}

}  // namespace
}  // namespace varnel::plot
