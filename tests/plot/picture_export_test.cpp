#include "plot/picture_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/varnel_error.h"
#include "plot/plot_drawing.h"
#include "plot/raster_canvas.h"
#include "tests/plot/plot_test_state.h"
#include "tests/support/comma_locale.h"
#include "tests/support/error_text.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/test_folder.h"

namespace varnel::plot {
namespace {

namespace fs = std::filesystem;
using testing_support::ErrorTextOf;
constexpr int kWidth = 500;

struct PlotPictureExport : testing::Test {
    testing_support::TestFolder folder;
    std::unique_ptr<AnalysisState> state = testing_support::AnalysedState();
    testing_support::RecordingCanvas screen;
    std::string PathOf(const std::string& name) const { return folder.PathOf(name); }
};

TEST_F(PlotPictureExport, RefusesBeforeTheFramesExist) {
    const auto empty = std::make_unique<AnalysisState>();
    empty->DataCount = 2;  // an Open of two data computes no frames
    for (PictureFormat format : {PictureFormat::Emf, PictureFormat::Svg, PictureFormat::Png}) {
        const std::string path = PathOf("refused");
        EXPECT_EQ(
            ErrorTextOf([&] { ExportPostStrainPicture(*empty, path, format, kWidth, screen); }),
            "No data loaded.");
        EXPECT_EQ(
            ErrorTextOf([&] { ExportPreStrainPicture(*empty, path, format, kWidth, screen); }),
            "No data loaded.");
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(screen.calls.empty());
}

TEST_F(PlotPictureExport, MissingFolderGivesTheCreationMessage) {
    const std::string path = PathOf("no such folder/post.emf");
    const auto message = [&] {
        return ErrorTextOf(
            [&] { ExportPostStrainPicture(*state, path, PictureFormat::Emf, kWidth, screen); });
    };
    const std::string expected =
        "ファイル \"" + path + "\". No such file or directory を作成できません";
    EXPECT_EQ(message(), expected);
    {
        // The system's reason is its English text under a locale of translated messages too.
        testing_support::ScopedCommaLocale comma;
        EXPECT_EQ(message(), expected);
    }
    try {
        ExportPostStrainPicture(*state, path, PictureFormat::Emf, kWidth, screen);
    } catch (const VarnelError& error) {
        EXPECT_EQ(error.Detail(), "cannot create post.emf in " + PathOf("no such folder") +
                                      ": the folder does not exist (No such file or directory)");
    }
}

TEST_F(PlotPictureExport, APngTooLargeForTheMemoryFailsInsteadOfWritingAnEmptyFile) {
    const std::string path = PathOf("huge.png");
    const int width = 1 << 20;  // four bytes a pixel: 4 TiB
    EXPECT_EQ(ErrorTextOf([&] {
                  ExportPostStrainPicture(*state, path, PictureFormat::Png, width, screen);
              }),
              kOutOfMemoryMessage);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PlotPictureExport, TheClearFallsOnTheScreenOnly) {
    ExportPostStrainPicture(*state, PathOf("post.emf"), PictureFormat::Emf, kWidth, screen);
    EXPECT_EQ(screen.calls,
              (std::vector<std::string>{"Brush 255 255 255", "FillRect 0 0 1000 1000"}));
}

TEST_F(PlotPictureExport, PngShowsThePlotOnOpaqueWhite) {
    const std::string path = PathOf("post.png");
    ExportPostStrainPicture(*state, path, PictureFormat::Png, kWidth, screen);
    QImage image(QString::fromStdString(path));
    ASSERT_EQ(image.size(), QSize(kWidth, kWidth));
    EXPECT_FALSE(image.hasAlphaChannel());
    const PixelPoint cross = MapToPostPlot(*state, state->StrainEstimate, kWidth);
    EXPECT_EQ(image.pixel(cross.X - 20, cross.Y), 0xffff0000u);
    EXPECT_EQ(image.pixel(kWidth - 1, 0), 0xffffffffu);
    const PixelPoint origin = MapToPostPlot(*state, {0, 0}, kWidth);
    EXPECT_EQ(image.pixel(origin.X, 0), 0xff808080u);
}

TEST(PictureFormatOfName, FollowsTheExtensionInAnyCaseAndKnowsNoOther) {
    const std::pair<const char*, std::optional<PictureFormat>> cases[] = {
        {"a.EMF", PictureFormat::Emf},
        {"a.svg", PictureFormat::Svg},
        {"a.Png", PictureFormat::Png},
        {"dir/a.pdf", PictureFormat::Pdf},
        {"a.jpg", PictureFormat::Jpeg},
        {"a.JPEG", PictureFormat::Jpeg},
        {"a.tif", PictureFormat::Tiff},
        {"a.tiff", PictureFormat::Tiff},
        {"post.jpx", std::nullopt},
        {"post", PictureFormat::Emf},
        {"pictures.png/post", PictureFormat::Emf},
        {"post.png.txt", std::nullopt},
    };
    for (const auto& [name, format] : cases) EXPECT_EQ(PictureFormatOfName(name), format) << name;
    EXPECT_EQ(ErrorTextOf([] { PictureFormatOfPath("/tmp/pictures/post.jpx"); }),
              "Cannot save a picture as \"post.jpx\": its name must end in .emf, .svg, .png, "
              ".pdf, .jpg, .jpeg, .tif or .tiff.");
}

// PDF, JPEG and TIFF at the size laid out: a PDF page of as many pixels at 96 an inch, drawn
// as vectors (no image in it); rasters of that size on white.
TEST_F(PlotPictureExport, PdfIsOneVectorPageAndJpegAndTiffArePicturesOfTheWidth) {
    const std::string pdf = PathOf("post.pdf");
    ExportPostStrainPicture(*state, pdf, PictureFormat::Pdf, 400, screen);
    const std::string bytes = testing_support::ReadWholeFile(pdf);
    EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
    EXPECT_NE(bytes.find("/MediaBox [0 0 300.000000 300.000000]"), std::string::npos);
    EXPECT_EQ(bytes.find("/Subtype /Image"), std::string::npos);
    // 400 pixels on a page of 300 pt are 96 an inch; each raster states as much (96 / 0.0254
    // dots a metre, to the whole dot its format stores).
    for (auto [name, format] :
         {std::pair{"post.jpg", PictureFormat::Jpeg}, std::pair{"post.tif", PictureFormat::Tiff},
          std::pair{"post.png", PictureFormat::Png}}) {
        const std::string path = PathOf(name);
        ExportPostStrainPicture(*state, path, format, 400, screen);
        const QImage image(QString::fromStdString(path));
        ASSERT_EQ(image.size(), QSize(400, 400)) << name;
        EXPECT_GT(qGray(image.pixel(399, 0)), 245) << name;
        EXPECT_NEAR(image.dotsPerMeterX(), 3779.5, 1) << name;
        EXPECT_NEAR(image.dotsPerMeterY(), 3779.5, 1) << name;
    }
}

// Each shape of an SVG document in file order, read from its text with the stroke and fill of
// its group: "circle STROKE FILL cx cy r", "polyline STROKE x,y x,y …", "path STROKE FILL x,y …"
// (the path's move and line points); anything else as "other NAME".
std::vector<std::string> SvgShapes(const std::string& svg) {
    std::vector<std::string> shapes;
    std::vector<std::pair<QString, QString>> groups{{"black", "none"}};  // stroke, fill
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    const auto points = [](const QString& text) {
        QStringList found;
        static const QRegularExpression point("(-?[0-9.]+),(-?[0-9.]+)");
        for (auto it = point.globalMatch(text); it.hasNext();) found << it.next().captured(0);
        return found.join(' ');
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QStringLiteral("g")) groups.pop_back();
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString name = xml.name().toString();
        const auto& [stroke, fill] = groups.back();
        if (name == "g") {
            groups.emplace_back(a.hasAttribute("stroke") ? a.value("stroke").toString() : stroke,
                                a.hasAttribute("fill") ? a.value("fill").toString() : fill);
        } else if (name == "circle") {
            shapes.push_back(QStringList{"circle", stroke, fill, a.value("cx").toString(),
                                         a.value("cy").toString(), a.value("r").toString()}
                                 .join(' ')
                                 .toStdString());
        } else if (name == "polyline") {
            shapes.push_back(
                ("polyline " + stroke + " " + points(a.value("points").toString())).toStdString());
        } else if (name == "path") {
            shapes.push_back(("path " + stroke + " " + fill + " " + points(a.value("d").toString()))
                                 .toStdString());
        } else if (name != "svg" && name != "title" && name != "desc" && name != "defs") {
            shapes.push_back("other " + name.toStdString());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return shapes;
}

// The shapes a plot must hold, in drawing order: the axes through the origin and the unit
// circle in grey, one white circle of six pixels per datum in blue, the estimate's cross in red
// (arms of 30 pixels), and the confidence region as a closed, unfilled polygon of its 72 points
// in dark red. Outlines run through pixel centres: a circle drawn in the box l … r centres on
// (l + r − 1) / 2.
template <typename Vectors, typename Region>
std::vector<std::string> PlotShapes(const AnalysisState& state, const Vectors& data,
                                    const Region& region,
                                    PixelPoint (*map)(const AnalysisState&, StrainVector, int)) {
    const auto at = [&](StrainVector v) { return map(state, v, kWidth); };
    const auto number = [](double v) { return QString::number(v).toStdString(); };
    const auto xy = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
    const PixelPoint o = at({0, 0}), left = at({-1, 0}), right = at({1, 0}), up = at({0, 1}),
                     down = at({0, -1});
    std::vector<std::string> shapes = {
        "polyline #808080 " + xy(o.X, 0) + " " + xy(o.X, 1000),
        "polyline #808080 " + xy(0, o.Y) + " " + xy(1000, o.Y),
        "circle #808080 none " + number((left.X + right.X - 1) / 2.0) + " " +
            number((up.Y + down.Y - 1) / 2.0) + " " + number((right.X - left.X - 1) / 2.0)};
    for (int k = 1; k <= state.DataCount; ++k) {
        const PixelPoint p = at(data[k]);
        shapes.push_back("circle #0000ff #ffffff " + number(p.X - 0.5) + " " + number(p.Y - 0.5) +
                         " 2.5");
    }
    const PixelPoint e = at(state.StrainEstimate);
    shapes.push_back("polyline #ff0000 " + xy(e.X - 30, e.Y) + " " + xy(e.X + 30, e.Y));
    shapes.push_back("polyline #ff0000 " + xy(e.X, e.Y - 30) + " " + xy(e.X, e.Y + 30));
    std::string polygon = "path #800000 none";
    for (int k = 1; k <= kRegionPoints + 1; ++k) {
        const PixelPoint p = at(region[k <= kRegionPoints ? k : 1]);  // closed on the first
        polygon += " " + xy(p.X, p.Y);
    }
    shapes.push_back(polygon);
    return shapes;
}

TEST_F(PlotPictureExport, SvgHoldsTheAxesTheDataTheEstimateAndTheRegionOfEachPlot) {
    const std::string post = PathOf("post.svg"), pre = PathOf("pre.svg");
    ExportPostStrainPicture(*state, post, PictureFormat::Svg, kWidth, screen);
    ExportPreStrainPicture(*state, pre, PictureFormat::Svg, kWidth, screen);
    for (const std::string& path : {post, pre}) {
        QSvgRenderer renderer(QString::fromStdString(path));
        ASSERT_TRUE(renderer.isValid()) << path;
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, kWidth, kWidth)) << path;
    }
    const std::vector<std::string> postShapes = SvgShapes(testing_support::ReadWholeFile(post));
    ASSERT_EQ(postShapes.size(), 3u + 40u + 2u + 1u);
    EXPECT_EQ(postShapes, PlotShapes(*state, state->PostVectors, state->PostRegion, MapToPostPlot));
    EXPECT_EQ(SvgShapes(testing_support::ReadWholeFile(pre)),
              PlotShapes(*state, state->PreVectors, state->PreRegion, MapToPrePlot));
}

// Counts what a third-party reader finds in the metafile.
TEST_F(PlotPictureExport, EmfReadsBackAsThePlot) {
    const std::string converter = VARNEL_EMF2SVG_CONV;
    if (converter.empty() || converter.ends_with("NOTFOUND")) GTEST_SKIP() << "no emf2svg-conv";
    const std::string emf = PathOf("post.emf"), svg = PathOf("post-from-emf.svg");
    ExportPostStrainPicture(*state, emf, PictureFormat::Emf, kWidth, screen);
    const std::string command = converter + " -i '" + emf + "' -o '" + svg + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QString text = QString::fromStdString(testing_support::ReadWholeFile(svg));
    EXPECT_EQ(text.count("<ellipse"), state->DataCount + 1);  // the data and the unit circle
    const QRegularExpression region("<path d=\"M ([^\"]*) Z\" stroke=\"#800000\"");
    const auto match = region.match(text);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_EQ(match.captured(1).count(" L ") + 1, kRegionPoints);  // closed by the Z
    EXPECT_EQ(text.count("stroke=\"#FF0000\""), 2);                // the two arms of the cross
}

}  // namespace
}  // namespace varnel::plot
