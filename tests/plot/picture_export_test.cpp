#include "plot/picture_export.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/varnel_error.h"
#include "plot/plot_drawing.h"
#include "plot/raster_canvas.h"
#include "tests/plot/plot_test_state.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/test_folder.h"

namespace varnel::plot {
namespace {

namespace fs = std::filesystem;
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
        try {
            ExportPostStrainPicture(*empty, path, format, kWidth, screen);
            ADD_FAILURE() << "no error";
        } catch (const VarnelError& e) {
            EXPECT_STREQ(e.what(), "No data loaded.");
        }
        EXPECT_THROW(ExportPreStrainPicture(*empty, path, format, kWidth, screen), VarnelError);
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(screen.calls.empty());
}

TEST_F(PlotPictureExport, MissingFolderGivesTheCreationMessage) {
    const std::string path = PathOf("no such folder/post.emf");
    try {
        ExportPostStrainPicture(*state, path, PictureFormat::Emf, kWidth, screen);
        ADD_FAILURE() << "no error";
    } catch (const VarnelError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + path + "\". No such file or directory を作成できません");
    }
}

TEST_F(PlotPictureExport, APngTooLargeForTheMemoryFailsInsteadOfWritingAnEmptyFile) {
    const std::string path = PathOf("huge.png");
    const int width = 1 << 20;  // four bytes a pixel: 4 TiB
    EXPECT_THROW(ExportPostStrainPicture(*state, path, PictureFormat::Png, width, screen),
                 std::bad_alloc);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PlotPictureExport, TheClearFallsOnTheScreenOnly) {
    ExportPostStrainPicture(*state, PathOf("post.emf"), PictureFormat::Emf, kWidth, screen);
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"Brush 255 255 255", "FillRect 0 0 1000 1000"}));
}

TEST_F(PlotPictureExport, PngShowsThePlotOnATransparentGround) {
    const std::string path = PathOf("post.png");
    ExportPostStrainPicture(*state, path, PictureFormat::Png, kWidth, screen);
    QImage image(QString::fromStdString(path));
    ASSERT_EQ(image.size(), QSize(kWidth, kWidth));
    const PixelPoint cross = MapToPostPlot(*state, state->StrainEstimate, kWidth);
    EXPECT_EQ(image.pixel(cross.X - 20, cross.Y), 0xffff0000u);
    EXPECT_EQ(qAlpha(image.pixel(kWidth - 1, 0)), 0);
    const PixelPoint origin = MapToPostPlot(*state, {0, 0}, kWidth);
    EXPECT_EQ(image.pixel(origin.X, 0), 0xff808080u);
}

TEST_F(PlotPictureExport, SvgIsAValidDocumentOfThePlotsSize) {
    const std::string path = PathOf("pre.svg");
    ExportPreStrainPicture(*state, path, PictureFormat::Svg, kWidth, screen);
    QSvgRenderer renderer(QString::fromStdString(path));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, kWidth, kWidth));
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
    EXPECT_EQ(text.count("stroke=\"#FF0000\""), 2);              // the two arms of the cross
}

}  // namespace
}  // namespace varnel::plot
