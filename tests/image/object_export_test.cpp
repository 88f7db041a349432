#include "image/object_export.h"

#include <gtest/gtest.h>

namespace varnel::image {
namespace {

ImageOptions KeepAllObjects() {
    ImageOptions options;
    options.minimumArea = 1;
    options.keepEdge = true;
    return options;
}

// A 3 × 3 square with a hole in its middle and one more pixel touching it at a corner only
// (8-connected, so one object), on a 7 × 7 image.
ImageObjects SquareWithHole() {
    cv::Mat labels(7, 7, CV_32S, cv::Scalar(0));
    labels(cv::Rect(1, 1, 3, 3)).setTo(1);
    labels.at<int>(2, 2) = 0;
    labels.at<int>(4, 4) = 1;
    return MeasureObjects(labels, KeepAllObjects());
}

// Walked by hand along the pixels' edges (y up): the outer ring anticlockwise, passing the
// corner (4, 3) twice by the right turn that keeps the corner pixel on it, then the hole
// clockwise.
TEST(ObjectRings, FollowThePixelEdgesOuterRingFirstHolesAfter) {
    const ImageObjects found = SquareWithHole();
    ASSERT_EQ(found.objects.size(), 1u);
    const std::vector<PixelRing> rings = ObjectRings(found, found.objects[0]);
    const std::vector<PixelRing> expected{
        {{5, 2}, {5, 3}, {4, 3}, {4, 6}, {1, 6}, {1, 3}, {4, 3}, {4, 2}},
        {{2, 5}, {3, 5}, {3, 4}, {2, 4}}};
    EXPECT_EQ(rings, expected);
}

// One label in two places: one ring over both, whose area is theirs (the joining edges run
// there and back).
TEST(ObjectRings, JoinTheSeparatePiecesOfALabel) {
    cv::Mat labels(5, 6, CV_32S, cv::Scalar(0));
    labels.at<int>(1, 1) = 7;
    labels(cv::Rect(3, 2, 2, 2)).setTo(7);
    const ImageObjects found = MeasureObjects(labels, KeepAllObjects());
    const std::vector<PixelRing> rings = ObjectRings(found, found.objects.at(0));
    ASSERT_EQ(rings.size(), 1u);
    long long twiceArea = 0;
    for (std::size_t i = 0; i < rings[0].size(); ++i) {
        const cv::Point a = rings[0][i], b = rings[0][(i + 1) % rings[0].size()];
        twiceArea += a.x * b.y - b.x * a.y;
    }
    EXPECT_EQ(twiceArea, 2 * 5);
}

// A bar of three pixels (R = 3, φ = 0, centroid at the middle pixel's centre) kept out as
// small, and the square touching the edge.
TEST(ObjectsCsv, WritesEveryObjectUnderItsHeader) {
    cv::Mat labels(3, 6, CV_32S, cv::Scalar(0));
    labels(cv::Rect(1, 1, 3, 1)).setTo(1);
    labels.at<int>(2, 5) = 2;
    const ImageObjects found = MeasureObjects(labels, ImageOptions{});
    EXPECT_EQ(ObjectsCsv(found),
              "number,x,y,area,R,phi,excluded\n"
              "1,2.5,1.5,3,3,0,small\n"
              "2,5.5,0.5,1,1,0,edge\n");
}

}  // namespace
}  // namespace varnel::image
