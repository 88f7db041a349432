// Writes a synthetic grain map: initial ellipses with log-normal axial ratios and uniformly
// random orientations, deformed by one known strain (R_s 1.8 at φ_s 30°), rasterised white on
// black at random places. Some grains touch one another or the image's edge and some are
// small, so an overlay shows every kind of object. Usage: make_grain_image OUTPUT.png
// [WIDTH HEIGHT GRAINS]: a larger map keeps the grains' share of the area, their sizes scaled
// with the area each grain has (the benchmarks' 37-megapixel map of 5000 grains).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// A grain of equal-area radius r, deformed, somewhere on a width × height map; φ
// anticlockwise from x.
Grain DeformedGrain(std::mt19937_64& random, double r, int width, int height) {
    const double initialRatio = std::exp(0.3 + 0.25 * Normal(random));
    const double theta = (Uniform(random) - 0.5) * std::numbers::pi;
    const double phis = kStrainDegrees * std::numbers::pi / 180;
    const varnel::Ellipse e = varnel::SuperposeStrain(kStrainRatio, initialRatio, theta - phis);
    return {Uniform(random) * width, Uniform(random) * height, r * std::sqrt(e.R),
            r / std::sqrt(e.R), (e.phi + phis) * 180 / std::numbers::pi};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: make_grain_image OUTPUT.png [WIDTH HEIGHT GRAINS]\n");
        return 2;
    }
    const int width = argc == 5 ? std::atoi(argv[2]) : kWidth;
    const int height = argc == 5 ? std::atoi(argv[3]) : kHeight;
    const std::size_t count = argc == 5 ? std::strtoul(argv[4], nullptr, 10) : kGrains;
    if (width < 1 || height < 1 || count < 1) {
        std::fprintf(stderr, "make_grain_image: WIDTH, HEIGHT and GRAINS must be positive\n");
        return 2;
    }
    // Sizes grow with the square root of the area each grain has, 1 on the default map.
    const double size =
        std::sqrt(double(width) * height / count / (double(kWidth) * kHeight / kGrains));
    std::mt19937_64 random(20);
    std::vector<Grain> grains;
    // Candidates are checked against the grains in the cells of a grid around them.
    const double cell = 30 * size;
    const int columns = int(width / cell) + 1, rows = int(height / cell) + 1;
    std::vector<std::vector<std::size_t>> near(std::size_t(columns) * rows);
    double longest = 0;
    for (long tries = 0; grains.size() < count && tries < 400L * long(count); ++tries) {
        // One grain in ten small (equal-area radius 2–5 px), the others 6–12 px.
        const bool small = Uniform(random) < 0.1;
        const Grain g = DeformedGrain(
            random, size * (small ? 2 + 3 * Uniform(random) : 6 + 6 * Uniform(random)), width,
            height);
        // Grains may come as close as 85 % of the sum of their long axes: a few then touch.
        // Every grain that could be that close lies within `reach` cells.
        bool apart = true;
        const int gc = int(g.x / cell), gr = int(g.y / cell);
        const int reach = int(std::ceil(0.85 * (g.a + longest) / cell));
        for (int r = std::max(0, gr - reach); r <= std::min(rows - 1, gr + reach); ++r) {
            for (int c = std::max(0, gc - reach); c <= std::min(columns - 1, gc + reach); ++c) {
                for (std::size_t k : near[std::size_t(r) * columns + c]) {
                    const Grain& other = grains[k];
                    if (std::hypot(g.x - other.x, g.y - other.y) < 0.85 * (g.a + other.a)) {
                        apart = false;
                    }
                }
            }
        }
        if (!apart) continue;
        near[std::size_t(gr) * columns + gc].push_back(grains.size());
        longest = std::max(longest, g.a);
        grains.push_back(g);
    }
    cv::Mat image(height, width, CV_8U, cv::Scalar(0));
    for (const Grain& g : grains) {
        varnel::image::RasteriseEllipse<uchar>(image, g.x, g.y, g.a, g.b, g.degrees, 255);
    }
    if (!cv::imwrite(argv[1], image, {cv::IMWRITE_PNG_COMPRESSION, 9})) {
        std::fprintf(stderr, "make_grain_image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
