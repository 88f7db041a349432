#include "image/image_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "image/object_picking.h"
#include "image/raster_ellipse.h"

namespace varnel::image {
namespace {

ImageOptions SmallObjectsKept() {
    ImageOptions options;
    options.minimumArea = 1;
    return options;
}

// The object whose centroid lies nearest (x, y), pixels with y up.
const ImageObject& Nearest(const ImageObjects& found, double x, double y) {
    const auto distance = [&](const ImageObject& o) { return std::hypot(o.x - x, o.y - y); };
    return *std::min_element(
        found.objects.begin(), found.objects.end(),
        [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
}

double AngleDifference(double a, double b) { return std::abs(std::remainder(a - b, 180.0)); }

// Ellipses rasterised at their pixel centres, off the pixel grid by fractions, recovered by
// their pixel moments. The tolerances are the worst errors measured over 1000 random offsets
// and orientations of each size: at a semi-minor axis of 6 px R is off by up to 4.7 % and φ by
// up to 3.7° (R = 1.5), at 20 px by up to 1.5 % and 0.7°.
TEST(ImageObjects, RecoverTheRatioAndOrientationOfRasterisedEllipses) {
    const struct {
        double ratio, degrees, minor, ratioTolerance, degreesTolerance;
    } cases[] = {
        {1.5, 30, 6, 0.05, 4},     {2, -60, 6, 0.05, 4},      {3, 89, 6, 0.05, 4},
        {1.5, -15.5, 20, 0.02, 1}, {2.5, 75, 20, 0.02, 1},    {1, 0, 20, 0.02, 90},
        {4, -89.5, 20, 0.02, 1},   {1.2, 45.25, 20, 0.02, 1},
    };
    cv::Mat image(900, 1000, CV_8U, cv::Scalar(0));
    int k = 0;
    for (const auto& c : cases) {
        const double x = 110.37 + 230 * (k % 4), y = 120.71 + 250 * (k / 4);
        RasteriseEllipse<uchar>(image, x, y, c.ratio * c.minor, c.minor, c.degrees, 255);
        ++k;
    }
    const ImageObjects found =
        MeasureObjects(ObjectLabels(image, SmallObjectsKept(), "e.png"), SmallObjectsKept());
    ASSERT_EQ(found.objects.size(), std::size(cases));
    k = 0;
    for (const auto& c : cases) {
        const ImageObject& o = Nearest(found, 110.37 + 230 * (k % 4), 120.71 + 250 * (k / 4));
        EXPECT_NEAR(o.ratio / c.ratio, 1, c.ratioTolerance) << k;
        EXPECT_LE(AngleDifference(o.degrees, c.degrees), c.degreesTolerance) << k;
        ++k;
    }
}

// Known answers of tiny objects, where each pixel's own moment (1/12 per axis) decides: a bar
// of three pixels has μxx = 2/3 + 1/12, μyy = 1/12, so R = 3; three pixels down a diagonal
// (rows run down, so the line falls to the right: −45° with y up) have λ = 3/4 ± 2/3, R = √17.
TEST(ImageObjects, CountEachPixelAsAUnitSquare) {
    const struct {
        std::vector<cv::Point> pixels;
        double ratio, degrees;
    } cases[] = {
        {{{2, 2}}, 1, 0},
        {{{2, 2}, {3, 2}, {4, 2}}, 3, 0},
        {{{2, 2}, {2, 3}, {2, 4}}, 3, 90},
        {{{2, 2}, {3, 2}, {2, 3}, {3, 3}}, 1, 0},
        {{{2, 2}, {3, 3}, {4, 4}}, std::sqrt(17.0), -45},
        {{{4, 2}, {3, 3}, {2, 4}}, std::sqrt(17.0), 45},
    };
    for (const auto& c : cases) {
        cv::Mat image(8, 8, CV_8U, cv::Scalar(0));
        for (const cv::Point& p : c.pixels) image.at<uchar>(p) = 255;
        const ImageObjects found =
            MeasureObjects(ObjectLabels(image, SmallObjectsKept(), "p.png"), SmallObjectsKept());
        ASSERT_EQ(found.objects.size(), 1u);
        EXPECT_NEAR(found.objects[0].ratio, c.ratio, 1e-12);
        if (c.ratio > 1) {
            EXPECT_NEAR(found.objects[0].degrees, c.degrees, 1e-9);
        }
        EXPECT_EQ(found.objects[0].area, static_cast<long long>(c.pixels.size()));
    }
}

// Flipping the image top to bottom mirrors every ellipse in x (φ → −φ); turning it a quarter
// counter-clockwise turns every ellipse with it (φ → φ + 90°). Both are exact on the pixels.
TEST(ImageObjects, FollowFlipsAndQuarterTurnsOfTheImage) {
    cv::Mat image(300, 400, CV_8U, cv::Scalar(0));
    RasteriseEllipse<uchar>(image, 80.3, 90.6, 30, 12, 25, 255);
    RasteriseEllipse<uchar>(image, 250.8, 200.1, 40, 10, -70, 255);
    RasteriseEllipse<uchar>(image, 300.5, 70.2, 20, 15, 5, 255);
    const ImageObjects original =
        MeasureObjects(ObjectLabels(image, SmallObjectsKept(), "o.png"), SmallObjectsKept());
    cv::Mat flipped, turned;
    cv::flip(image, flipped, 0);
    cv::rotate(image, turned, cv::ROTATE_90_COUNTERCLOCKWISE);
    const ImageObjects f =
        MeasureObjects(ObjectLabels(flipped, SmallObjectsKept(), "f.png"), SmallObjectsKept());
    const ImageObjects t =
        MeasureObjects(ObjectLabels(turned, SmallObjectsKept(), "t.png"), SmallObjectsKept());
    ASSERT_EQ(original.objects.size(), 3u);
    for (const ImageObject& o : original.objects) {
        const ImageObject& mirror = Nearest(f, o.x, 300 - o.y);
        EXPECT_NEAR(mirror.ratio, o.ratio, 1e-9);
        EXPECT_LT(AngleDifference(mirror.degrees, -o.degrees), 1e-9);
        const ImageObject& quarter = Nearest(t, 300 - o.y, o.x);  // (x, y) → (−y, x)
        EXPECT_NEAR(quarter.ratio, o.ratio, 1e-9);
        EXPECT_LT(AngleDifference(quarter.degrees, o.degrees + 90), 1e-9);
    }
}

// What is an object and which are kept: the threshold (Otsu or given) and its inversion, the
// 8-connected components, holes left out of the area, the edge and the least area, label
// values taken as they stand, and the split of two overlapping discs.
TEST(ImageObjects, FindAndExcludeObjectsAsAsked) {
    cv::Mat grey(120, 200, CV_8U, cv::Scalar(40));
    RasteriseEllipse<uchar>(grey, 40.5, 60.5, 20.2, 20.2, 0, 200);  // a ring: hole of r = 8.2
    RasteriseEllipse<uchar>(grey, 40.5, 60.5, 8.2, 8.2, 0, 40);
    RasteriseEllipse<uchar>(grey, 120.5, 60.5, 3, 3, 0, 200);   // 29 pixels
    RasteriseEllipse<uchar>(grey, 190.5, 60.5, 15, 8, 0, 200);  // cut by the right edge
    grey.at<uchar>(5, 5) = 200;
    grey.at<uchar>(6, 6) = 200;  // diagonal neighbours: one object of two pixels
    cv::Mat ring(120, 200, CV_8U, cv::Scalar(0)), hole = ring.clone();
    RasteriseEllipse<uchar>(ring, 40.5, 60.5, 20.2, 20.2, 0, 1);
    RasteriseEllipse<uchar>(hole, 40.5, 60.5, 8.2, 8.2, 0, 1);
    const long long ringArea = cv::countNonZero(ring) - cv::countNonZero(hole);

    cv::Mat labels(50, 60, CV_16U, cv::Scalar(0));
    labels(cv::Rect(10, 10, 20, 12)).setTo(1000);
    labels(cv::Rect(30, 10, 15, 12)).setTo(7);  // touches label 1000
    cv::Mat pair(100, 140, CV_8U, cv::Scalar(0));
    RasteriseEllipse<uchar>(pair, 50, 50, 20, 20, 0, 255);
    RasteriseEllipse<uchar>(pair, 89, 50, 20, 20, 0, 255);  // a neck of 13 px

    ImageOptions given, inverted, keepEdge, asLabels, split, noSplit, byHand;
    // In the ring, in the small disc (excluded already), on the background and off the image.
    byHand.excludedByHand = {{55, 59}, {120, 59}, {0, 0}, {-5, 1000}};
    given.threshold = 100;
    inverted.invert = true;
    inverted.threshold = 100;
    keepEdge.keepEdge = true;
    asLabels.labels = true;
    split.split = true;
    const struct {
        const cv::Mat& image;
        ImageOptions options;
        std::vector<long long> areas;
        std::vector<Exclusion> exclusions;
    } cases[] = {
        {grey,
         {},
         {2, ringArea, 0, 29},
         {Exclusion::Small, Exclusion::None, Exclusion::Edge, Exclusion::Small}},
        {grey,
         given,
         {2, ringArea, 0, 29},
         {Exclusion::Small, Exclusion::None, Exclusion::Edge, Exclusion::Small}},
        {grey,
         keepEdge,
         {2, ringArea, 0, 29},
         {Exclusion::Small, Exclusion::None, Exclusion::None, Exclusion::Small}},
        {grey,
         byHand,
         {2, ringArea, 0, 29},
         {Exclusion::Small, Exclusion::Hand, Exclusion::Edge, Exclusion::Small}},
        {grey, inverted, {0, 0}, {Exclusion::Edge, Exclusion::None}},
        {labels, asLabels, {240, 180}, {Exclusion::None, Exclusion::None}},
        {pair, noSplit, {0}, {Exclusion::None}},
        {pair, split, {0, 0}, {Exclusion::None, Exclusion::None}},
    };
    int row = 0;
    for (const auto& c : cases) {
        const ImageObjects found =
            MeasureObjects(ObjectLabels(c.image, c.options, "g.png"), c.options);
        ASSERT_EQ(found.objects.size(), c.exclusions.size()) << row;
        for (std::size_t k = 0; k < c.exclusions.size(); ++k) {
            EXPECT_EQ(found.objects[k].exclusion, c.exclusions[k]) << row << ' ' << k;
            if (c.areas[k] > 0) {
                EXPECT_EQ(found.objects[k].area, c.areas[k]) << row << ' ' << k;
            }
        }
        ++row;
    }
    // Split pieces beside a ring: each piece one connected part of one component, the discs
    // near their own area and centre.
    cv::Mat scene = pair.clone();
    RasteriseEllipse<uchar>(scene, 122, 82, 14, 14, 0, 255);
    RasteriseEllipse<uchar>(scene, 122, 82, 6, 6, 0, 0);
    const cv::Mat whole = ObjectLabels(scene, noSplit, "g.png");
    const ImageObjects pieces = MeasureObjects(ObjectLabels(scene, split, "g.png"), split);
    EXPECT_EQ(pieces.objects.size(), 3u);
    for (const ImageObject& o : pieces.objects) {
        const cv::Mat mask = pieces.labels == o.number;
        cv::Mat parts;
        EXPECT_EQ(cv::connectedComponents(mask, parts, 8), 2) << o.number;
        double low = 0, high = 0;
        cv::minMaxLoc(whole, &low, &high, nullptr, nullptr, mask);
        EXPECT_EQ(low, high) << o.number;
    }
    for (const double x : {50.0, 89.0}) {
        const ImageObject& o = pieces.objects[pieces.labels.at<int>(49, int(x)) - 1];
        EXPECT_NEAR(o.area, 400 * std::numbers::pi, 30) << x;
        EXPECT_NEAR(o.x, x, 0.5) << x;
        EXPECT_NEAR(o.y, 50, 0.2) << x;
    }
}

// Clicks toggle a kept object's hand exclusion, a second click anywhere in it takes it back;
// clicks on the background, off the image and on an object excluded by a rule change nothing.
// The counts line follows each click.
TEST(ObjectPicking, ClicksToggleTheHandExclusionOfKeptObjects) {
    cv::Mat image(60, 120, CV_8U, cv::Scalar(0));
    RasteriseEllipse<uchar>(image, 30.5, 30.5, 12, 8, 0, 255);
    RasteriseEllipse<uchar>(image, 90.5, 30.5, 3, 3, 0, 255);  // 29 pixels: small
    const char* kept = "2 objects: 1 kept; excluded: 0 edge, 1 small, 0 R > 100, 0 by hand";
    const char* picked = "2 objects: 0 kept; excluded: 0 edge, 1 small, 0 R > 100, 1 by hand";
    const struct {
        PixelPosition at;
        std::size_t pixels;
        const char* line;
    } clicks[] = {
        {{30, 29}, 1, picked}, {{35, 30}, 0, kept}, {{90, 29}, 0, kept},
        {{5, 5}, 0, kept},     {{200, 5}, 0, kept}, {{25, 30}, 1, picked},
    };
    ImageOptions options;
    for (const auto& c : clicks) {
        const ObjectMap before = MapObjects(image, options, "p.png");
        options.excludedByHand = ToggleExcludedByHand(before.found, options.excludedByHand, c.at);
        const ObjectMap after = MapObjects(image, options, "p.png");
        EXPECT_EQ(options.excludedByHand.size(), c.pixels) << c.at.column;
        EXPECT_EQ(ObjectCountsLine(after.found), c.line) << c.at.column;
        EXPECT_EQ(after.rings.size(), 2u);
    }
}

// The objects found from runs of pixels are those of OpenCV's connected components, to the last
// bit: a grain map, random noise (every way pixels touch), a ring and pixels off the grid of
// the runs, under Otsu's threshold, a given one and inverted, with picks by hand.
TEST(ImageObjects, FromRunsAreThoseOfTheConnectedComponents) {
    cv::Mat noise(150, 200, CV_8U);
    cv::randu(noise, 0, 256);
    cv::Mat grains = ReadImageFile(std::string(VARNEL_EXAMPLES_DIR) + "/strained_grains.png");
    ASSERT_FALSE(grains.empty());
    cv::Mat ring(60, 80, CV_8U, cv::Scalar(0));
    RasteriseEllipse<uchar>(ring, 40, 30, 25, 20, 10, 255);
    RasteriseEllipse<uchar>(ring, 40, 30, 10, 8, 10, 0);
    ring.at<uchar>(0, 79) = ring.at<uchar>(59, 0) = 255;
    ImageOptions otsu, given, inverted;
    given.threshold = 200;
    given.excludedByHand = {{40, 30}, {100, 50}, {5, 140}};
    inverted.invert = true;
    inverted.minimumArea = 1;
    const struct {
        const cv::Mat& image;
        ImageOptions options;
    } cases[] = {{grains, otsu},    {grains, given}, {noise, otsu},   {noise, given},
                 {noise, inverted}, {ring, otsu},    {ring, inverted}};
    int row = 0;
    for (const auto& c : cases) {
        const ImageObjects expected =
            MeasureObjects(ObjectLabels(c.image, c.options, "e.png"), c.options);
        const ImageObjects found = FindObjects(c.image, c.options, "e.png", true);
        ASSERT_EQ(found.objects.size(), expected.objects.size()) << row;
        EXPECT_EQ(found.kept, expected.kept) << row;
        EXPECT_EQ(cv::countNonZero(found.labels != expected.labels), 0) << row;
        for (std::size_t k = 0; k < found.objects.size(); ++k) {
            const ImageObject &a = found.objects[k], &b = expected.objects[k];
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.area == b.area && a.ratio == b.ratio &&
                        a.degrees == b.degrees && a.major == b.major && a.minor == b.minor &&
                        a.exclusion == b.exclusion && a.left == b.left && a.top == b.top &&
                        a.right == b.right && a.bottom == b.bottom)
                << row << ' ' << k;
        }
        ++row;
    }
    EXPECT_TRUE(FindObjects(grains.clone(), otsu, "g.png", false).labels.empty());
}

}  // namespace
}  // namespace varnel::image
