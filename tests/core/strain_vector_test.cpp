#include "core/strain_vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/varnel_error.h"
#include "tests/support/angle_units.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

using testing_support::ErrorTextOf;

constexpr double kPi = std::numbers::pi;
// The worked examples are given to six or seven significant digits.
constexpr double kVectorExampleTolerance = 5e-6;

TEST(EllipseToVector, MatchesTheWorkedExamples) {
    struct Case {
        double R, phi, x1, x2;
    };
    const Case cases[] = {
        {std::exp(1.0), 0.0, 1.0, 0.0},
        {3.0, kPi / 4, 0.0, std::log(3.0)},
        {1.0, 0.7, 0.0, 0.0},
        {2.0, 30 * kDegree, 0.346574, 0.600283},
    };
    for (const Case& c : cases) {
        const StrainVector v = EllipseToVector(c.R, c.phi);
        EXPECT_NEAR(v.x1, c.x1, kVectorExampleTolerance) << c.R << " " << c.phi;
        EXPECT_NEAR(v.x2, c.x2, kVectorExampleTolerance) << c.R << " " << c.phi;
    }
}

TEST(VectorToEllipse, MatchesTheWorkedExamplesAndInvertsEllipseToVector) {
    Ellipse e = VectorToEllipse({0.0, 0.0});
    EXPECT_EQ(e.R, 1.0);
    EXPECT_EQ(e.phi, 0.0);
    e = VectorToEllipse({-1.0, 0.0});
    EXPECT_NEAR(e.R, std::exp(1.0), 1e-15);
    EXPECT_NEAR(e.phi, kPi / 2, 1e-15);
    e = VectorToEllipse({0.5, -0.3});
    EXPECT_NEAR(e.R, 1.791575, kVectorExampleTolerance);
    EXPECT_NEAR(e.phi / kDegree, -15.4819, 1e-4);
    e = VectorToEllipse(EllipseToVector(2.5, 100 * kDegree));
    EXPECT_NEAR(e.R, 2.5, 1e-14);
    EXPECT_NEAR(e.phi / kDegree, -80.0, 1e-12);
}

TEST(Invert2x2, InvertsAndFailsOnASingularMatrix) {
    const Matrix2 inverse = Invert2x2({4, 1, 2, 3});
    EXPECT_NEAR(inverse.m11, 0.3, 1e-15);
    EXPECT_NEAR(inverse.m12, -0.1, 1e-15);
    EXPECT_NEAR(inverse.m21, -0.2, 1e-15);
    EXPECT_NEAR(inverse.m22, 0.4, 1e-15);
    // v·vᵀ of v = (0.1, 0.3) is singular; its rounded entries leave a determinant of ~1e-19.
    // diag(1, 1e-20) is singular on its own scale although det = m11·m22 exactly.
    const double a = 0.1, b = 0.3;
    for (const Matrix2& singular : {Matrix2{1, 2, 2, 4}, Matrix2{a * a, a * b, a * b, b * b},
                                    Matrix2{1, 0, 0, 1e-20}, Matrix2{1e-20, 1, 1, 1e20}}) {
        EXPECT_EQ(ErrorTextOf([&] { Invert2x2(singular); }), kDivisionByZeroMessage)
            << singular.m11 << " " << singular.m12 << " " << singular.m22;
    }
}

TEST(Invert2x2, InvertsRegularMatricesOfAnyScale) {
    struct Case {
        Matrix2 M;
    };
    const Case cases[] = {{{4e-30, 1e-30, 2e-30, 3e-30}},
                          {{4e30, 1e30, 2e30, 3e30}},
                          {{1, 0, 0, 1e-12}},
                          {{1, 1, 1, 1 + 1e-6}}};
    for (const Case& c : cases) {
        const Matrix2 inverse = Invert2x2(c.M);
        // M · M⁻¹ = I
        EXPECT_NEAR(c.M.m11 * inverse.m11 + c.M.m12 * inverse.m21, 1.0, 1e-9) << c.M.m11;
        EXPECT_NEAR(c.M.m11 * inverse.m12 + c.M.m12 * inverse.m22, 0.0, 1e-9) << c.M.m11;
        EXPECT_NEAR(c.M.m21 * inverse.m11 + c.M.m22 * inverse.m21, 0.0, 1e-9) << c.M.m11;
        EXPECT_NEAR(c.M.m21 * inverse.m12 + c.M.m22 * inverse.m22, 1.0, 1e-9) << c.M.m11;
    }
}

TEST(SymmetricEigen2, OrdersEigenvaluesAndPointsEigenvectorsUp) {
    const SymmetricEigen eigen = SymmetricEigen2({2, 1, 1, 2});
    EXPECT_NEAR(eigen.lambda1, 3.0, 1e-15);
    EXPECT_NEAR(eigen.lambda2, 1.0, 1e-15);
    EXPECT_NEAR(eigen.eigenvectorOfLambda2.x1, -std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(eigen.eigenvectorOfLambda2.x2, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(eigen.eigenvectorOfLambda1.x1, std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(eigen.eigenvectorOfLambda1.x2, std::sqrt(0.5), 1e-15);
}

TEST(SymmetricEigen2, GivesTheAxesForADiagonalMatrixWithoutDividingByZero) {
    struct Case {
        Matrix2 M;
        double lambda1, lambda2;
        StrainVector e1, e2;
    };
    const Case cases[] = {
        {{3, 0, 0, 1}, 3, 1, {1, 0}, {0, 1}},
        {{1, 0, 0, 3}, 3, 1, {0, 1}, {1, 0}},
        {{2, 0, 0, 2}, 2, 2, {1, 0}, {0, 1}},
    };
    for (const Case& c : cases) {
        const SymmetricEigen eigen = SymmetricEigen2(c.M);
        EXPECT_EQ(eigen.lambda1, c.lambda1);
        EXPECT_EQ(eigen.lambda2, c.lambda2);
        EXPECT_EQ(eigen.eigenvectorOfLambda1, c.e1);
        EXPECT_EQ(eigen.eigenvectorOfLambda2, c.e2);
    }
    // The axes are the limit of the general case as m21 → 0 from above.
    const SymmetricEigen nearly = SymmetricEigen2({3, 1e-9, 1e-9, 1});
    EXPECT_NEAR(nearly.eigenvectorOfLambda1.x1, 1.0, 1e-9);
    EXPECT_NEAR(nearly.eigenvectorOfLambda2.x2, 1.0, 1e-9);
}

TEST(NormalizeVector, FailsOnTheZeroVector) {
    EXPECT_EQ(ErrorTextOf([] { NormalizeVector({0, 0}); }), kInvalidOperationMessage);
}

TEST(SuperposeStrain, MatchesTheWorkedExamples) {
    struct Case {
        double Rs, R, theta, RPrime, thetaPrime;
    };
    const Case cases[] = {
        {2.0, 3.0, 30 * kDegree, 4.965268, 0.253053},
        {0.5, 3.0, 30 * kDegree, 2.810910, 0.958549},
        // coaxial: ratios multiply; the long axis turns across when Rs·R < 1
        {2.0, 1.5, 0.0, 3.0, 0.0},
        {0.25, 2.0, 0.0, 2.0, kPi / 2},
        {2.0, 1.0, 0.3, 2.0, 0.0},
        {0.5, 1.0, 0.3, 2.0, kPi / 2},
    };
    for (const Case& c : cases) {
        const Ellipse e = SuperposeStrain(c.Rs, c.R, c.theta);
        EXPECT_NEAR(e.R, c.RPrime, kVectorExampleTolerance) << c.Rs << " " << c.R << " " << c.theta;
        EXPECT_NEAR(std::fabs(e.phi), c.thetaPrime, kVectorExampleTolerance) << c.Rs << " " << c.R;
    }
}

TEST(SuperposeStrain, GivesTheExactLimitWherePAndQVanish) {
    // Rs = 1 at ±45°, Rs·R = 1 coaxial, and Rs a few ulps from 1: the tangent form is 0/0 there.
    struct Case {
        double Rs, R, theta, RPrime;
    };
    const Case cases[] = {
        {1.0, 2.0, kPi / 4, 2.0},
        {1.0, 3.0, -kPi / 4, 3.0},
        {std::nextafter(1.0, 2.0), 1.7, kPi / 4, 1.7},
        {std::nextafter(1.0, 0.0), 1.7, -kPi / 4, 1.7},
        {0.5, 2.0, 0.0, 1.0},
        {1.0 / 3.0, 3.0, 0.0, 1.0},
    };
    for (const Case& c : cases) {
        const Ellipse e = SuperposeStrain(c.Rs, c.R, c.theta);
        EXPECT_NEAR(e.R, c.RPrime, 1e-13) << c.Rs << " " << c.R << " " << c.theta;
    }
    EXPECT_NEAR(SuperposeStrain(1.0, 2.0, kPi / 4).phi, kPi / 4, 1e-15);
}

TEST(SuperposeStrain, KeepsFarStrainsThatTurnLongEllipsesNearlyAcross) {
    // θ′ lies so close to 90° that tan θ′ of the stored angle has lost every digit; the ratio
    // from the hyperbolic law of cosines, cosh ρ′ = cosh ρ cosh r + sinh ρ sinh r cos 2θ
    // (ρ = ln R, r = ln Rs), adds terms of one sign here.
    struct Case {
        double Rs, R, theta;
    };
    const Case cases[] = {
        {2.4844754254415005e-28, 1e15, 1.3633138836167853}, {1e-12, 3e15, 1.5}, {1e-20, 1e7, -1.2}};
    for (const Case& c : cases) {
        const long double rho = std::log(static_cast<long double>(c.R));
        const long double r = std::log(static_cast<long double>(c.Rs));
        const long double coshRhoPrime = std::cosh(rho) * std::cosh(r) +
                                         std::sinh(rho) * std::sinh(r) * std::cos(2.0L * c.theta);
        const double expected = double(std::exp(std::acosh(coshRhoPrime)));
        EXPECT_NEAR(SuperposeStrain(c.Rs, c.R, c.theta).R, expected, 1e-12 * expected)
            << c.Rs << " " << c.R << " " << c.theta;
    }
}

TEST(SuperposeStrain, AgreesWithTheShapeTensorOfTheStrainedEllipse) {
    // Transform the shape matrix B = Rot(θ) diag(R, 1/R) Rot(θ)ᵀ by F = diag(√Rs, 1/√Rs) and take
    // its principal ratio: an independent check of the tangent form over a range of inputs.
    for (double Rs : {0.3, 0.9, 1.1, 4.0}) {
        for (double R : {1.0, 1.2, 2.0, 7.0}) {
            for (double thetaDegrees = -89.0; thetaDegrees < 90.0; thetaDegrees += 7.0) {
                const double t = thetaDegrees * kDegree, c = std::cos(t), s = std::sin(t);
                const double b11 = Rs * (R * c * c + s * s / R), b22 = (R * s * s + c * c / R) / Rs;
                const double b12 = (R - 1 / R) * c * s;
                const double half = std::hypot((b11 - b22) / 2, b12), mean = (b11 + b22) / 2;
                const double expected = std::sqrt((mean + half) / (mean - half));
                const Ellipse e = SuperposeStrain(Rs, R, t);
                EXPECT_NEAR(e.R, expected, 1e-9 * expected)
                    << Rs << " " << R << " " << thetaDegrees;
            }
        }
    }
}

}  // namespace
}  // namespace varnel
