#pragma once

#include <cmath>
#include <numbers>
#include <opencv2/core.hpp>

namespace varnel::image {

/// Sets to `value` every pixel of the one-channel image whose centre lies inside the ellipse
/// centred at (x, y) with semi-axes a ≥ b, its long axis at `degrees` counter-clockwise from
/// x. Pixels x from the left edge, y up from the bottom edge; pixel (column c, row r) has its
/// centre at (c + ½, rows − r − ½). For the synthetic grain maps of generators and tests.
template <typename Pixel>
void RasteriseEllipse(cv::Mat& image, double x, double y, double a, double b, double degrees,
                      Pixel value) {
    const double t = degrees * std::numbers::pi / 180, cs = std::cos(t), sn = std::sin(t);
    const int r0 = std::max(0, static_cast<int>(image.rows - y - a) - 1);
    const int r1 = std::min(image.rows - 1, static_cast<int>(image.rows - y + a) + 1);
    const int c0 = std::max(0, static_cast<int>(x - a) - 1);
    const int c1 = std::min(image.cols - 1, static_cast<int>(x + a) + 1);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            const double dx = c + 0.5 - x, dy = image.rows - r - 0.5 - y;
            const double p = dx * cs + dy * sn, q = -dx * sn + dy * cs;
            if (p * p / (a * a) + q * q / (b * b) <= 1) image.at<Pixel>(r, c) = value;
        }
    }
}

}  // namespace varnel::image
