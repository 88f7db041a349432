#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <opencv2/imgproc.hpp>

#include "core/varnel_error.h"
#include "image/image_codecs.h"
#include "image/object_export.h"
#include "image/raster_ellipse.h"
#include "input/ellipse_import.h"
#include "input/geojson_outlines.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

// Three grains of 20 by 12 pixels on a 120 by 80 image of `type`, `value` inside.
template <typename Pixel>
cv::Mat ThreeGrains(int type, Pixel value) {
    cv::Mat image(80, 120, type, cv::Scalar::all(0));
    for (int k = 0; k < 3; ++k)
        image::RasteriseEllipse<Pixel>(image, 25.5 + 35 * k, 40, 15, 9, 30 * k, value);
    return image;
}

std::string Encoded(const cv::Mat& image, const std::string& extension) {
    const std::vector<uchar> bytes = image::EncodeImage(extension, image);
    return {bytes.begin(), bytes.end()};
}

// Every kind of image a user may bring, the odd and the hostile ones included: each is read
// as objects or refused with a message naming it, never a crash.
TEST(ImageImport, ReadsOrRefusesEveryKindOfImage) {
    cv::Mat alpha;
    cv::cvtColor(ThreeGrains<uchar>(CV_8U, 255), alpha, cv::COLOR_GRAY2BGRA);
    const std::string png = Encoded(ThreeGrains<uchar>(CV_8U, 255), ".png");
    const std::string jpeg = Encoded(ThreeGrains<uchar>(CV_8U, 255), ".jpg");
    cv::Mat dots(250, 250, CV_8U, cv::Scalar(0));
    for (int r = 2; r < 248; r += 2) {
        for (int c = 2; c < 248; c += 2) dots.at<uchar>(r, c) = 255;
    }
    cv::Mat disc(50, 50, CV_8U, cv::Scalar(0));
    image::RasteriseEllipse<uchar>(disc, 25, 25, 8, 8, 0, 255);
    cv::Mat strip(5, 210, CV_8U, cv::Scalar(0));
    strip(cv::Rect(5, 2, 200, 1)).setTo(255);  // R = 200
    testing_support::TestFolder folder;
    // A PNG header claiming 20000 × 20000 pixels of four 16-bit channels: 3.2 GB decoded.
    const std::string bomb = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                             std::string("\0\0\x4e\x20\0\0\x4e\x20\x10\x06\0\0\0", 13);
    const struct {
        std::string name, bytes;  // bytes "<none>": no such file; "<folder>": a folder
        int count;  // data read; 0: refused with `message` (and its English line below)
        std::string message;
    } cases[] = {
        {"grey.png", png, 3, ""},
        {"sixteen.png", Encoded(ThreeGrains<ushort>(CV_16U, 50000), ".png"), 3, ""},
        {"palette.bmp", Encoded(ThreeGrains<uchar>(CV_8U, 255), ".bmp"), 3, ""},
        {"alpha.png", Encoded(alpha, ".png"), 3, ""},
        {"grains.tif", Encoded(ThreeGrains<uchar>(CV_8U, 255), ".tiff"), 3, ""},
        {"grains.pgm", Encoded(ThreeGrains<uchar>(CV_8U, 255), ".pgm"), 3, ""},
        {"cut.png", png.substr(0, png.size() / 2), 0,
         "The image \"cut.png\" cannot be decoded: the file is damaged or not a PNG, TIFF, BMP, "
         "JPEG or PGM image."},
        {"grains.jpg", jpeg, 3, ""},
        {"cut.jpg", jpeg.substr(0, jpeg.size() * 3 / 4), 0,
         "The image \"cut.jpg\" cannot be decoded: the file is damaged or not a PNG, TIFF, BMP, "
         "JPEG or PGM image."},
        {"empty.png", "", 0,
         "The image \"empty.png\" cannot be decoded: the file is damaged or not a PNG, TIFF, "
         "BMP, JPEG or PGM image."},
        {"huge.pgm", "P5\n30000 20000\n255\n" + std::string(64, '\0'), 0,
         "The image \"huge.pgm\" has more than 400 megapixels, more than the program reads."},
        {"bomb.png", bomb, 0,
         "The image \"bomb.png\" takes more than 1 GiB of memory decoded, more than the program "
         "reads."},
        {"nosuch.png", "<none>", 0,
         "The image \"nosuch.png\" cannot be opened.\nfile not found: " +
             folder.PathOf("nosuch.png") + " (No such file or directory)"},
        {"dir.png", "<folder>", 0,
         "The image \"dir.png\" cannot be opened.\na folder, not a file: " +
             folder.PathOf("dir.png") + " (Is a directory)"},
        {"black.png", Encoded(cv::Mat(50, 50, CV_8U, cv::Scalar(0)), ".png"), 0,
         "The image \"black.png\" holds no object."},
        {"white.png", Encoded(cv::Mat(50, 50, CV_8U, cv::Scalar(255)), ".png"), 0,
         "The image \"white.png\" keeps none of its 1 object: 1 touches the edge, 0 are smaller "
         "than 100 pixels."},
        {"strip.png", Encoded(strip, ".png"), 0,
         "The image \"strip.png\" keeps none of its 1 object: 0 touch the edge, 0 are smaller "
         "than 100 pixels, 1 has R > 100."},
        {"pixel.png", Encoded(cv::Mat(1, 1, CV_8U, cv::Scalar(255)), ".png"), 0,
         "The image \"pixel.png\" keeps none of its 1 object: 1 touches the edge, 0 are smaller "
         "than 100 pixels."},
        {"hand.png", Encoded(disc, ".png"), 0,
         "The image \"hand.png\" keeps none of its 1 object: 0 touch the edge, 0 are smaller "
         "than 100 pixels, 1 excluded by hand."},
        {"dots.png", Encoded(dots, ".png"), -1, ""},  // 15129 dots of one pixel: too many
    };
    auto state = std::make_unique<AnalysisState>();
    for (const auto& c : cases) {
        ImportOptions options;
        if (c.count < 0) options.image.minimumArea = 1;
        if (c.name == "hand.png") options.image.excludedByHand = {{25, 25}};
        if (c.bytes == "<folder>") std::filesystem::create_directory(folder.PathOf(c.name));
        const std::string path =
            c.bytes.starts_with("<") ? folder.PathOf(c.name) : folder.Write(c.name, c.bytes);
        try {
            const DataFileReading reading = CountAndParseDataFile(*state, path, '.', options);
            if (c.count < 0) {
                EXPECT_EQ(reading.count, CountOutcome::TooManyData) << c.name;
                continue;
            }
            EXPECT_EQ(reading.count, CountOutcome::Counted) << c.name;
            EXPECT_EQ(state->DataCount, c.count) << c.name;
            EXPECT_EQ(c.message, "") << c.name;
        } catch (const VarnelError& error) {
            const std::string below = error.Detail().empty() ? "" : "\n" + error.Detail();
            EXPECT_EQ(error.what() + below, c.message) << c.name;
        }
    }
}

// A label image's objects exported as outlines and read back by the GeoJSON reader: the same
// ellipses to 1e-9, since the outlines run along the pixels' edges and their area moments are
// the pixel moments (the numbers differ only by rounding). Objects touching each other, one
// with a hole holding another, one touching itself by a corner, one label in two places, and
// objects cut by the edge and a single pixel.
TEST(ImageImport, ObjectsExportedAsGeoJsonReadBackAsTheSameEllipses) {
    cv::Mat labels(120, 160, CV_16U, cv::Scalar(0));
    image::RasteriseEllipse<ushort>(labels, 30.3, 40.6, 20, 8, 35, 1);
    image::RasteriseEllipse<ushort>(labels, 60, 80, 12, 11, -70, 300);
    image::RasteriseEllipse<ushort>(labels, 72, 88, 14, 5, 10, 301);
    image::RasteriseEllipse<ushort>(labels, 120, 50, 25, 20, 0, 2);
    image::RasteriseEllipse<ushort>(labels, 120, 50, 7, 4, 45, 0);
    image::RasteriseEllipse<ushort>(labels, 120, 50, 2.5, 2, 0, 3);
    labels(cv::Rect(150, 5, 3, 4)).setTo(4);
    labels(cv::Rect(5, 110, 2, 2)).setTo(4);
    for (int k = 0; k < 5; ++k) labels.at<ushort>(100 + k, 100 + k % 2 * k) = 5;
    image::RasteriseEllipse<ushort>(labels, 0, 0, 15, 6, 60, 6);
    labels.at<ushort>(60, 150) = 7;
    image::ImageOptions options;
    options.labels = true;
    const image::ImageObjects found =
        image::MeasureObjects(image::ObjectLabels(labels, options, "labels.png"), options);
    ASSERT_EQ(found.objects.size(), 9u);
    testing_support::TestFolder folder;
    const std::string path = folder.Write("objects.geojson", image::ObjectsGeoJson(found));
    const GeoJsonOutlines outlines = ReadGeoJsonOutlines(path, kMaxData, '.');
    ASSERT_EQ(outlines.ellipses.size(), found.objects.size());
    for (std::size_t k = 0; k < found.objects.size(); ++k) {
        EXPECT_NEAR(outlines.ellipses[k].R, found.objects[k].ratio, 1e-9) << k;
        EXPECT_NEAR(std::remainder(outlines.ellipses[k].phiDegrees - found.objects[k].degrees, 180),
                    0, 1e-9)
            << k;
    }
}

}  // namespace
}  // namespace varnel
