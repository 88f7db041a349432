#include "image/object_overlay.h"

#include <gtest/gtest.h>

#include "image/image_codecs.h"
#include "image/raster_ellipse.h"
#include "tests/support/comma_locale.h"

namespace varnel::image {
namespace {

// A grain in the middle and one cut by the left edge, on a 200 × 100 grain map: drawn twice
// its size, the kept grain's outline green and the edge grain's red, its reason beside its
// number; picked by hand, the kept grain turns orange.
TEST(ObjectOverlay, MarksKeptAndExcludedObjectsApart) {
    cv::Mat image(100, 200, CV_8U, cv::Scalar(0));
    RasteriseEllipse<uchar>(image, 100, 50, 30, 15, 20, 255);
    RasteriseEllipse<uchar>(image, 5, 50, 20, 10, 0, 255);
    const ImageOptions options;
    const ImageObjects found = MeasureObjects(ObjectLabels(image, options, "g.png"), options);
    ASSERT_EQ(found.objects.size(), 2u);
    ASSERT_EQ(OverlayScale(200, 100), 4);
    const std::string png = OverlayPng(image, found, options);
    const cv::Mat picture = DecodeImage(std::vector<uchar>(png.begin(), png.end())).image;
    ASSERT_EQ(picture.size(), cv::Size(800, 400));
    // The leftmost pixel of the kept grain's row through its centre, and the edge grain's top.
    const ImageObject& kept =
        found.objects[0].exclusion == Exclusion::None ? found.objects[0] : found.objects[1];
    int c = 0;
    while (found.labels.at<int>(50, c) != kept.number) ++c;
    EXPECT_EQ(picture.at<cv::Vec3b>(4 * 50 + 2, 4 * c), cv::Vec3b(0, 170, 0));
    int r = 0;
    while (found.labels.at<int>(r, 0) == 0) ++r;
    EXPECT_EQ(picture.at<cv::Vec3b>(4 * r, 0), cv::Vec3b(0, 0, 230));
    // Numbers with a point, as SVG reads them, under a comma locale too.
    const std::string svg = [&] {
        const testing_support::ScopedCommaLocale comma;
        return OverlaySvg(image, found, options);
    }();
    EXPECT_NE(svg.find("stroke-width=\"0.25\""), std::string::npos);
    EXPECT_EQ(svg.find("=\"100,"), std::string::npos);
    EXPECT_NE(svg.find("width=\"800\" height=\"400\" viewBox=\"0 0 200 100\""), std::string::npos);
    EXPECT_NE(svg.find(">" + std::to_string(kept.number) + "</text>"), std::string::npos);
    EXPECT_NE(svg.find(">" + std::to_string(3 - kept.number) + " edge</text>"), std::string::npos);
    // The kept grain picked by hand: orange, its reason beside its number.
    ImageOptions picked;
    picked.excludedByHand = {{100, 50}};
    const ImageObjects hand = MeasureObjects(ObjectLabels(image, picked, "g.png"), picked);
    const std::string handPng = OverlayPng(image, hand, picked);
    const cv::Mat handPicture =
        DecodeImage(std::vector<uchar>(handPng.begin(), handPng.end())).image;
    EXPECT_EQ(handPicture.at<cv::Vec3b>(4 * 50 + 2, 4 * c), cv::Vec3b(0, 140, 255));
    EXPECT_NE(
        OverlaySvg(image, hand, picked).find(">" + std::to_string(kept.number) + " by hand</text>"),
        std::string::npos);
}

}  // namespace
}  // namespace varnel::image
