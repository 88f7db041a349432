// Writes a synthetic grain map: initial ellipses with log-normal axial ratios and uniformly
// random orientations, deformed by one known strain (R_s 1.8 at φ_s 30°), rasterised white on
// black at random places. Some grains touch one another or the image's edge and some are
// small, so an overlay shows every kind of object. Usage: make_grain_image OUTPUT.png
#include <cmath>
#include <cstdio>
#include <numbers>
#include <opencv2/imgcodecs.hpp>
#include <random>
#include <vector>

#include "core/strain_vector.h"
#include "image/raster_ellipse.h"

namespace {

constexpr int kWidth = 640, kHeight = 448, kGrains = 250;
constexpr double kStrainRatio = 1.8, kStrainDegrees = 30;

struct Grain {
    double x, y, a, b, degrees;
};

// A uniform number in [0, 1) from the generator's bits, the same on every platform.
double Uniform(std::mt19937_64& random) { return (random() >> 11) * 0x1.0p-53; }

double Normal(std::mt19937_64& random) {
    const double u = 1 - Uniform(random), v = Uniform(random);
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
}

// A grain of equal-area radius r, deformed; φ anticlockwise from x.
Grain DeformedGrain(std::mt19937_64& random, double r) {
    const double initialRatio = std::exp(0.3 + 0.25 * Normal(random));
    const double theta = (Uniform(random) - 0.5) * std::numbers::pi;
    const double phis = kStrainDegrees * std::numbers::pi / 180;
    const varnel::Ellipse e = varnel::SuperposeStrain(kStrainRatio, initialRatio, theta - phis);
    return {Uniform(random) * kWidth, Uniform(random) * kHeight, r * std::sqrt(e.R),
            r / std::sqrt(e.R), (e.phi + phis) * 180 / std::numbers::pi};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_grain_image OUTPUT.png\n");
        return 2;
    }
    std::mt19937_64 random(20);
    std::vector<Grain> grains;
    for (int tries = 0; grains.size() < kGrains && tries < 100000; ++tries) {
        // One grain in ten small (equal-area radius 2–5 px), the others 6–12 px.
        const bool small = Uniform(random) < 0.1;
        const Grain g =
            DeformedGrain(random, small ? 2 + 3 * Uniform(random) : 6 + 6 * Uniform(random));
        // Grains may come as close as 85 % of the sum of their long axes: a few then touch.
        bool apart = true;
        for (const Grain& other : grains) {
            if (std::hypot(g.x - other.x, g.y - other.y) < 0.85 * (g.a + other.a)) apart = false;
        }
        if (apart) grains.push_back(g);
    }
    cv::Mat image(kHeight, kWidth, CV_8U, cv::Scalar(0));
    for (const Grain& g : grains) {
        varnel::image::RasteriseEllipse<uchar>(image, g.x, g.y, g.a, g.b, g.degrees, 255);
    }
    if (!cv::imwrite(argv[1], image, {cv::IMWRITE_PNG_COMPRESSION, 9})) {
        std::fprintf(stderr, "make_grain_image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
