#include "plot/equal_area_net.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "tests/support/recording_canvas.h"

namespace varnel::plot {
namespace {

// The centre and half width of each circle drawn, in the order drawn.
std::vector<std::array<double, 3>> Circles(const std::vector<std::string>& calls) {
    std::vector<std::array<double, 3>> circles;
    for (const std::string& call : calls) {
        if (call.rfind("Ellipse ", 0) != 0) continue;
        std::istringstream in(call.substr(8));
        int l, t, r, b;
        in >> l >> t >> r >> b;
        circles.push_back({(l + r - 1) / 2.0, (t + b - 1) / 2.0, (r - l - 1) / 2.0});
    }
    return circles;
}

// A pixel of rounding each way.
constexpr double kNetPixel = 1.0;

TEST(DrawEqualAreaNet, PutsAHorizontalAxisOnTheCircleAndAVerticalOneAtTheCentre) {
    for (double trend : {0.0, 37.0, 90.0, 200.0, 315.0}) {
        const NetData data{{{{trend, 0.0}, {trend + 90.0, 0.0}, {0.0, 90.0}}}, {}};
        testing_support::RecordingCanvas canvas;
        DrawEqualAreaNet(data, canvas, 400, 420);
        const auto circles = Circles(canvas.calls);
        ASSERT_EQ(circles.size(), 4u);  // the net, then X, Y, Z
        const auto& net = circles[0];
        for (int axis = 1; axis <= 2; ++axis) {
            const double dx = circles[axis][0] - net[0], dy = circles[axis][1] - net[1];
            EXPECT_NEAR(std::hypot(dx, dy), net[2], kNetPixel) << trend;
            // Trend clockwise from north, north up.
            const double azimuth = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
            EXPECT_NEAR(std::remainder(azimuth - (trend + 90.0 * (axis - 1)), 360.0), 0.0, 0.5);
        }
        EXPECT_NEAR(circles[3][0], net[0], kNetPixel);
        EXPECT_NEAR(circles[3][1], net[1], kNetPixel);
        // Labels of X and Y outside the circle, Z's off the centre, each on a white box.
        for (std::size_t c = 0; c < canvas.calls.size(); ++c) {
            std::istringstream in(canvas.calls[c]);
            std::string kind, align, name;
            int x, y, h;
            if (!(in >> kind >> x >> y >> align >> h >> name) || kind != "Text" || name == "N") {
                continue;
            }
            const double away = std::hypot(x - net[0], y + h / 2 - net[1]);
            EXPECT_GT(away, name == "Z" ? h : net[2] + h / 2) << name << " at " << trend;
            EXPECT_EQ(canvas.calls[c - 2].rfind("FillRect", 0), 0u) << name;
        }
    }
}

TEST(MapToNet, KeepsAreasAtThePlungesBetween) {
    const NetFrame frame{100, 100, 80, 12};
    // r = R √2 sin((90° − plunge)/2): 45° plunge at 0.541 R.
    EXPECT_EQ(MapToNet(frame, {180.0, 45.0}), (PixelPoint{100, 100 + 43}));
}

TEST(DrawEqualAreaNet, DrawsEachResampleAxisAsASmallDot) {
    NetData data{{{{0.0, 0.0}, {90.0, 0.0}, {0.0, 90.0}}}, {}};
    data.resampleAxes.assign(4, data.axes);
    testing_support::RecordingCanvas canvas;
    DrawEqualAreaNet(data, canvas, 300, 300);
    EXPECT_EQ(Circles(canvas.calls).size(), 1u + 12u + 3u);
    EXPECT_EQ(Circles(canvas.calls)[1][2], 1.0);
    // Axes without a direction are left out, their resamples too.
    data.defined = {false, false, true};
    testing_support::RecordingCanvas oblate;
    DrawEqualAreaNet(data, oblate, 300, 300);
    EXPECT_EQ(Circles(oblate.calls).size(), 1u + 4u + 1u);
}

}  // namespace
}  // namespace varnel::plot
