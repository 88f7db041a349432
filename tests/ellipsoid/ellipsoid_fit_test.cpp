#include "ellipsoid/ellipsoid_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/support/angle_units.h"

namespace varnel::ellipsoid {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

Matrix Transposed(const Matrix& a) {
    Matrix t{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = a[j][i];
    return t;
}

Matrix Rz(double degrees) {
    const double c = std::cos(degrees * kRadian), s = std::sin(degrees * kRadian);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

Matrix Rx(double degrees) {
    const double c = std::cos(degrees * kRadian), s = std::sin(degrees * kRadian);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}

Matrix Ry(double degrees) {
    const double c = std::cos(degrees * kRadian), s = std::sin(degrees * kRadian);
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}

// The ellipsoid of semi-axes X, Y, Z along the columns of `rotation`: Q = R diag(X⁻², Y⁻², Z⁻²) Rᵀ.
EllipsoidMatrix EllipsoidOf(double X, double Y, double Z, const Matrix& rotation) {
    const Matrix D{{{1 / (X * X), 0, 0}, {0, 1 / (Y * Y), 0}, {0, 0, 1 / (Z * Z)}}};
    return Multiply(Multiply(rotation, D), Transposed(rotation));
}

double AngleBetweenLines(Line a, Line b) {
    auto unit = [](Line l) {
        const double t = l.trendDegrees * kRadian, p = l.plungeDegrees * kRadian;
        return std::array<double, 3>{std::cos(p) * std::sin(t), std::cos(p) * std::cos(t),
                                     -std::sin(p)};
    };
    const auto u = unit(a), v = unit(b);
    // atan2 of |u × v| and |u · v| keeps small angles exact, where acos would not.
    const double dot = std::fabs(u[0] * v[0] + u[1] * v[1] + u[2] * v[2]);
    const double cross =
        std::hypot(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
    return std::atan2(cross, dot) / kRadian;
}

TEST(SectionOf, CutsTheRotatedEllipsoidAsMeasured) {
    // X:Y:Z = 2:1:0.5 turned by Rz 30° and then about its own x axis by 20°.
    const EllipsoidMatrix Q = EllipsoidOf(2, 1, 0.5, Multiply(Rz(30), Rx(20)));
    struct Case {
        Plane plane;
        double R, phi;
    };
    const Case cases[] = {
        {{0, 0}, 2.324593, 60.000}, {{0, 90}, 2.168588, -16.491}, {{90, 90}, 2.867828, 8.5765}};
    for (const Case& c : cases) {
        const SectionStrain s = SectionOf(Q, c.plane);
        EXPECT_NEAR(s.R, c.R, 5e-7);
        EXPECT_NEAR(s.phiDegrees, c.phi, 5e-4);
    }
}

TEST(FitEllipsoid, ReturnsTheEllipsoidItsSectionsWereCutFrom) {
    struct Case {
        double X, Y, Z;
        Matrix rotation;
        std::vector<Plane> planes;
    };
    const std::vector<Plane> principal{{90, 0}, {90, 90}, {0, 90}};
    const std::vector<Plane> oblique{{10, 35}, {130, 60}, {250, 80}, {300, 15}};
    const Case cases[] = {
        {2, 1, 0.5, Multiply(Rz(30), Rx(20)), {{0, 0}, {0, 90}, {90, 90}}},
        {3, 1.2, 1 / 3.6, Matrix{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, principal},
        {1.5, 1.5, 1 / 2.25, Multiply(Ry(-35), Rz(72)), oblique},
        {4, 0.5, 0.5, Multiply(Multiply(Rz(200), Ry(50)), Rx(-15)), oblique},
        {1.1, 1.0, 1 / 1.1, Multiply(Rx(80), Rz(-10)), {{45, 30}, {200, 70}, {320, 50}}},
        // Planes through one line (the vertical) determine it too.
        {2, 1, 0.5, Multiply(Rz(30), Rx(20)), {{0, 90}, {60, 90}, {120, 90}}},
        // A sphere: no axis has a direction, k and ν are undefined.
        {1, 1, 1, Rz(0), oblique},
    };
    for (const Case& c : cases) {
        const EllipsoidMatrix Q = EllipsoidOf(c.X, c.Y, c.Z, c.rotation);
        std::vector<SectionStrain> sections;
        for (const Plane& plane : c.planes) sections.push_back(SectionOf(Q, plane));
        const EllipsoidFit fit = FitEllipsoid(sections);
        const double lengths[] = {c.X, c.Y, c.Z};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(fit.axes[i].length / lengths[i], 1.0, 1e-9) << c.X << " axis " << i;
            // Directions of distinct axes: the columns of the rotation.
            const bool distinct = (i == 0 || lengths[i] != lengths[i - 1]) &&
                                  (i == 2 || lengths[i] != lengths[i + 1]);
            EXPECT_EQ(fit.axes[i].defined, distinct) << c.X << " axis " << i;
            if (!distinct) continue;
            const Vector3 column{c.rotation[0][i], c.rotation[1][i], c.rotation[2][i]};
            EXPECT_LT(AngleBetweenLines(fit.axes[i].line, LineOf(column)), 1e-7)
                << c.X << " axis " << i;
        }
        for (double misfit : fit.misfits) EXPECT_LE(misfit, 1e-12);
        EXPECT_LE(fit.incompatibility, 1e-12);
        EXPECT_EQ(std::isnan(fit.shape.k) && std::isnan(fit.shape.nu), c.X == c.Z) << c.X;
        EXPECT_EQ(std::isinf(fit.shape.k), c.X != c.Y && c.Y == c.Z) << c.X;
        EXPECT_FALSE(fit.held);
    }
}

TEST(FitEllipsoid, FitsIncompatibleSectionsByTheLeastSquaredDistance) {
    const EllipsoidMatrix Q = EllipsoidOf(2, 1, 0.5, Multiply(Rz(30), Rx(20)));
    std::vector<SectionStrain> sections;
    for (Plane plane : {Plane{0, 0}, Plane{0, 90}, Plane{90, 90}, Plane{45, 45}}) {
        sections.push_back(SectionOf(Q, plane));
    }
    sections[3].R *= 1.2;
    sections[3].phiDegrees += 5.0;
    const EllipsoidFit fit = FitEllipsoid(sections);
    EXPECT_GT(fit.incompatibility, 0.01);
    // Σ misfit² is least at the fit: any nearby ellipsoid of unit volume has more.
    auto squares = [&](const EllipsoidMatrix& q) {
        double sum = 0.0;
        for (const SectionStrain& s : sections) {
            const SectionStrain cut = SectionOf(q, s.plane);
            // Hyperbolic distance of two 2-D strains: cosh d = cosh a cosh b − sinh a sinh b cos
            // 2Δφ.
            const double a = std::log(cut.R), b = std::log(s.R);
            const double c = std::cosh(a) * std::cosh(b) -
                             std::sinh(a) * std::sinh(b) *
                                 std::cos(2.0 * (cut.phiDegrees - s.phiDegrees) * kRadian);
            sum += std::pow(std::acosh(std::max(c, 1.0)), 2);
        }
        return sum;
    };
    const double least = squares(fit.Q);
    // Three noisy sections of 2:1:0.5 that flatter ellipsoids meet ever closer: the fit is held
    // at X/Z = (largest R)², and Σ misfit² there is below the true ellipsoid's.
    const std::vector<SectionStrain> runaway{{"a", {265.35172839, 63.33215574}, 3.334269, -1.3165},
                                             {"b", {285.57600339, 82.35023216}, 2.356644, -2.2817},
                                             {"c", {126.66027479, 61.66313598}, 1.583167, 9.1644}};
    const EllipsoidFit held = FitEllipsoid(runaway);
    EXPECT_TRUE(held.held);
    EXPECT_NEAR(std::log(held.axes[0].length / held.axes[2].length), 2 * std::log(3.334269), 0.01);
    EXPECT_LT(held.incompatibility, 0.05);
    EXPECT_NEAR(least, 4 * fit.incompatibility * fit.incompatibility, 1e-9);
    for (const Matrix& turn : {Rz(0.5), Rx(-0.5), Ry(0.5)}) {
        EXPECT_GT(squares(Multiply(Multiply(turn, fit.Q), Transposed(turn))), least);
    }
    // D Q D with D = diag(1.01, 1.01^(−1/2), 1.01^(−1/2)) keeps the volume.
    const double s = 1.01, t = 1.0 / std::sqrt(s);
    const Matrix D{{{s, 0, 0}, {0, t, 0}, {0, 0, t}}};
    EXPECT_GT(squares(Multiply(Multiply(D, fit.Q), D)), least);
}

TEST(FitEllipsoid, RefusesSectionsThatLeaveNoEllipsoid) {
    const EllipsoidMatrix Q = EllipsoidOf(2, 1, 0.5, Multiply(Rz(30), Rx(20)));
    auto cut = [&](std::vector<Plane> planes) {
        std::vector<SectionStrain> sections;
        for (const Plane& plane : planes) sections.push_back(SectionOf(Q, plane));
        return sections;
    };
    std::vector<SectionStrain> steep = cut({{0, 0}, {0, 90}, {90, 90}});
    steep[1].plane.dipDegrees = 95;
    const std::vector<SectionStrain> refused[] = {
        cut({{0, 0}, {0, 90}}),                      // two sections
        cut({{0, 0}, {0, 90}, {0, 90}, {180, 90}}),  // two planes, one of them thrice
        steep,
        // X/Z = 10⁵: beyond what the sections determine to working precision.
        [] {
            const EllipsoidMatrix flat = EllipsoidOf(std::sqrt(1e5), 1, 1 / std::sqrt(1e5), Rz(30));
            std::vector<SectionStrain> sections;
            for (Plane plane : {Plane{0, 0}, Plane{0, 90}, Plane{90, 90}, Plane{45, 45}}) {
                sections.push_back(SectionOf(flat, plane));
            }
            return sections;
        }(),
    };
    for (const auto& sections : refused) {
        EXPECT_THROW(FitEllipsoid(sections), SectionsRefused);
    }
}

TEST(ShapeOf, TellsPlaneProlateAndOblateStrain) {
    struct Case {
        double X, Y, Z, k, nu;
    };
    const Case cases[] = {
        {2, 1, 0.5, 1, 0},                            // plane strain
        {4, 0.5, 0.5, INFINITY, -1},                  // prolate
        {std::sqrt(2.0), std::sqrt(2.0), 0.5, 0, 1},  // oblate
    };
    for (const Case& c : cases) {
        const EllipsoidShape shape = ShapeOf(c.X, c.Y, c.Z);
        EXPECT_EQ(std::isinf(shape.k), std::isinf(c.k));
        if (!std::isinf(c.k)) {
            EXPECT_NEAR(shape.k, c.k, 1e-12);
        }
        EXPECT_NEAR(shape.nu, c.nu, 1e-12);
    }
    // ε_s of plane strain 2:1:0.5: ε = ln 2 (1, 0, −1), √(1 + 1 + 4) / √3 ln 2 = √2 ln 2.
    EXPECT_NEAR(ShapeOf(2, 1, 0.5).epsS, std::sqrt(2.0) * std::log(2.0), 1e-12);
}

TEST(LineOf, GivesTrendAndPlungeOfTheLowerEnd) {
    struct Case {
        Vector3 v;
        double trend, plunge;
    };
    const Case cases[] = {{{0, 1, 0}, 0, 0},    {{1, 0, -1}, 90, 45},
                          {{-1, 0, 1}, 90, 45}, {{0, -1, 0}, 0, 0},
                          {{0, 0, 1}, 0, 90},   {{-1, -1, -std::sqrt(2.0)}, 225, 45}};
    for (const Case& c : cases) {
        const Line line = LineOf(c.v);
        EXPECT_NEAR(line.trendDegrees, c.trend, 1e-12);
        EXPECT_NEAR(line.plungeDegrees, c.plunge, 1e-12);
    }
}

}  // namespace
}  // namespace varnel::ellipsoid
