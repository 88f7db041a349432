#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "analysis/open_pipeline.h"
#include "image/image_codecs.h"
#include "image/raster_ellipse.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

// 64 initially isotropic ellipses (R0 from 1.2 to 2.7, θ spread over the half-turn) strained
// by R_s = 2 at 30°: each final ellipse is the shape matrix B = F S Fᵀ of the initial one,
// S = Rot(θ) diag(R0, 1/R0) Rot(θ)ᵀ, F = Rot(30°) diag(√2, 1/√2) Rot(−30°), its R the square
// root of the ratio of B's eigenvalues and φ = ½ atan2(2B₁₂, B₁₁ − B₂₂). Rasterised with a
// semi-minor axis of 10 px, the image's estimate agrees with the exact list's within 1 % in R
// and 1° in φ (the pixel scatter of single ellipses, up to 2–5 %, averages out).
TEST(ImageOpen, EstimatesTheStrainOfARasterisedPopulationAsOfItsExactList) {
    const double pi = std::numbers::pi, s = std::sqrt(2.0), t = pi / 6;
    const double c = std::cos(t), n = std::sin(t);
    const double F[2][2] = {{s * c * c + n * n / s, (s - 1 / s) * c * n},
                            {(s - 1 / s) * c * n, s * n * n + c * c / s}};
    cv::Mat image(8 * 130, 8 * 130, CV_8U, cv::Scalar(0));
    std::string list;
    for (int k = 0; k < 64; ++k) {
        const double r0 = 1.2 + 1.5 * ((k * 37) % 64) / 63.0, theta = pi * (k + 0.5) / 64;
        const double ct = std::cos(theta), st = std::sin(theta);
        const double S[2][2] = {{r0 * ct * ct + st * st / r0, (r0 - 1 / r0) * ct * st},
                                {(r0 - 1 / r0) * ct * st, r0 * st * st + ct * ct / r0}};
        double FS[2][2] = {}, B[2][2] = {};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                for (int m = 0; m < 2; ++m) FS[i][j] += F[i][m] * S[m][j];
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                for (int m = 0; m < 2; ++m) B[i][j] += FS[i][m] * F[j][m];
        const double mean = (B[0][0] + B[1][1]) / 2;
        const double radius = std::hypot((B[0][0] - B[1][1]) / 2, B[0][1]);
        const double ratio = std::sqrt((mean + radius) / (mean - radius));
        const double degrees = std::atan2(2 * B[0][1], B[0][0] - B[1][1]) / 2 * 180 / pi;
        image::RasteriseEllipse<uchar>(image, 65.3 + 130 * (k % 8), 65.6 + 130 * (k / 8),
                                       10 * ratio, 10, degrees, 255);
        char line[64];
        std::snprintf(line, sizeof line, "%.17g,%.17g\n", ratio, degrees);
        list += line;
    }
    testing_support::TestFolder folder;
    const std::vector<uchar> png = image::EncodeImage(".png", image);
    auto fromImage = std::make_unique<AnalysisState>(), exact = std::make_unique<AnalysisState>();
    const auto a = analysis::RunOpenCommand(
        *fromImage, folder.Write("population.png", {png.begin(), png.end()}),
        ConfidenceLevel::Level95, '.');
    const auto b = analysis::RunOpenCommand(*exact, folder.Write("population.txt", list),
                                            ConfidenceLevel::Level95, '.');
    ASSERT_EQ(a.outcome, analysis::Outcome::Reported);
    ASSERT_EQ(b.outcome, analysis::Outcome::Reported);
    EXPECT_EQ(fromImage->DataCount, 64);
    EXPECT_NEAR(EstimatedRatio(*fromImage) / EstimatedRatio(*exact), 1, 0.01);
    EXPECT_NEAR(EstimatedPhiDegrees(*fromImage), EstimatedPhiDegrees(*exact), 1.0);
    EXPECT_NEAR(EstimatedRatio(*exact), 2, 0.3);
}

}  // namespace
}  // namespace varnel
