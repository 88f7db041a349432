#include "ellipsoid/ellipsoid_fit.h"

#include <Eigen/Dense>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/orientation.h"

namespace varnel::ellipsoid {

namespace {

// Planes that leave the ellipsoid undetermined leave a second null vector of the linear system:
// its singular value relative to the largest falls to rounding.
constexpr double kUndeterminedShare = 1e-9;

// Axes whose lengths part by less than this in ln are of one length: the fit meets its sections
// to about 1e-12, and no measured strain is this small.
constexpr double kSameLogLength = 1e-9;

// A start for the refinement keeps its eigenvalues within this share of the largest: the
// refinement moves in ln Q, where a tiny eigenvalue would be far from any reasonable fit.
constexpr double kSmallestStartShare = 1e-4;

// An ellipsoid's sections are rounder than the ellipsoid itself: its X/Z is at least the largest
// section R, and for sections of general planes a small power of it. An ellipsoid flatter than
// the largest R squared is taken as one running away from incompatible sections.
constexpr double kWidestPower = 2.0;
// Sections always ask for at least this ln(X/Z) of room: near-circles may well be cut from an
// ellipsoid of some strain.
constexpr double kLeastWidest = 1.0;
// Beyond this X/Z the squared axes part by more than 10⁸ and the fit of exact sections drifts
// from its ellipsoid by more than the 10⁻⁸ or so that rounding leaves at 10⁴ (10⁻⁵ at 10⁵,
// tens of percent at 3 · 10⁵).
constexpr double kFlattestDetermined = 1e4;
// Steep enough that the held ellipsoid stays within a hundredth or so of its bound.
constexpr double kHoldWeight = 100.0;

using Matrix2 = Eigen::Matrix2d;
using Matrix3 = Eigen::Matrix3d;
using Vector = Eigen::VectorXd;

Eigen::Vector3d ToEigen(const Vector3& v) { return {v[0], v[1], v[2]}; }

// The plane's axes as the columns of a 3 × 2 matrix.
Eigen::Matrix<double, 3, 2> BasisOf(Plane plane) {
    const PlaneAxes axes = AxesOf(plane);
    Eigen::Matrix<double, 3, 2> P;
    P.col(0) = ToEigen(axes.strike);
    P.col(1) = ToEigen(axes.downDip);
    return P;
}

// The unit-area shape matrix S of a 2-D strain, uᵀ S u = 1 on its ellipse: Rot(φ) diag(1/R, R)
// Rot(φ)ᵀ, and its inverse square root Rot(φ) diag(√R, 1/√R) Rot(φ)ᵀ.
Matrix2 Rotated(double phiDegrees, double along, double across) {
    const double c = std::cos(phiDegrees * kDegree), s = std::sin(phiDegrees * kDegree);
    Matrix2 rotation;
    rotation << c, -s, s, c;
    return rotation * Eigen::Vector2d(along, across).asDiagonal() * rotation.transpose();
}

Matrix2 ShapeMatrixOf(const SectionStrain& s) { return Rotated(s.phiDegrees, 1.0 / s.R, s.R); }

Matrix2 InverseRootOf(const SectionStrain& s) {
    return Rotated(s.phiDegrees, std::sqrt(s.R), 1.0 / std::sqrt(s.R));
}

// The log-strain vector of A = S^(−1/2) M S^(−1/2), M the section of Q at unit area: A is
// cosh d · I + sinh d · N with N symmetric, traceless, N² = I, so its logarithm is d N and the
// vector (d N11, d N12) has length d, the hyperbolic distance of M from S. sinh d is read off
// A's traceless part, which stays exact where d is small.
Eigen::Vector2d MisfitVector(const Matrix3& Q, const Eigen::Matrix<double, 3, 2>& P,
                             const Matrix2& inverseRoot) {
    Matrix2 M = P.transpose() * Q * P;
    M /= std::sqrt(M.determinant());
    const Matrix2 A = inverseRoot * M * inverseRoot;
    const Eigen::Vector2d traceless(0.5 * (A(0, 0) - A(1, 1)), 0.5 * (A(0, 1) + A(1, 0)));
    const double sinhD = traceless.norm();
    const double scale = sinhD > 1e-8 ? std::asinh(sinhD) / sinhD : 1.0;
    return scale * traceless;
}

// ln(X/Z) of the ellipsoid: half the log of its eigenvalues' spread.
double LogSpread(const Matrix3& Q) {
    const Eigen::Vector3d values = Eigen::SelfAdjointEigenSolver<Matrix3>(Q).eigenvalues();
    return 0.5 * std::log(values(2) / values(0));
}

// exp of a symmetric matrix by its eigenvectors.
Matrix3 ExpSymmetric(const Matrix3& L) {
    const Eigen::SelfAdjointEigenSolver<Matrix3> eigen(L);
    return eigen.eigenvectors() * eigen.eigenvalues().array().exp().matrix().asDiagonal() *
           eigen.eigenvectors().transpose();
}

Matrix3 SqrtSymmetric(const Matrix3& Q) {
    const Eigen::SelfAdjointEigenSolver<Matrix3> eigen(Q);
    return eigen.eigenvectors() * eigen.eigenvalues().array().sqrt().matrix().asDiagonal() *
           eigen.eigenvectors().transpose();
}

// A symmetric traceless matrix from its five free entries.
Matrix3 TracelessOf(const Eigen::Matrix<double, 5, 1>& x) {
    Matrix3 L;
    L << x(0), x(2), x(3), x(2), x(1), x(4), x(3), x(4), -x(0) - x(1);
    return L;
}

// The coefficients of uᵀ Q w in the unknowns q11 q12 q13 q22 q23 q33.
Eigen::Matrix<double, 1, 6> Quadratic(const Eigen::Vector3d& u, const Eigen::Vector3d& w) {
    Eigen::Matrix<double, 1, 6> row;
    int column = 0;
    for (int i = 0; i < 3; ++i) {
        for (int j = i; j < 3; ++j) {
            row(column++) = i == j ? u(i) * w(i) : u(i) * w(j) + u(j) * w(i);
        }
    }
    return row;
}

void CheckSections(const std::vector<SectionStrain>& sections) {
    if (sections.size() < 3) {
        throw SectionsRefused("3 or more sections are needed; the table holds " +
                              std::to_string(sections.size()));
    }
    for (const SectionStrain& s : sections) {
        if (!(s.plane.dipDegrees >= 0.0 && s.plane.dipDegrees <= 90.0)) {
            throw SectionsRefused("the dip of section " + s.name + " is not between 0 and 90°");
        }
        if (!std::isfinite(s.plane.strikeDegrees) || !std::isfinite(s.phiDegrees)) {
            throw SectionsRefused("section " + s.name + " has a strike or φ that is no number");
        }
        if (!(s.R >= 1.0 && std::isfinite(s.R))) {
            throw SectionsRefused("section " + s.name + " has a ratio R below 1 or no number");
        }
    }
}

// The linear start: with the scale k_j of each section eliminated (its least-squares value),
// the residual of P_jᵀ Q P_j = k_j S_j is the part of P_jᵀ Q P_j across S_j, linear in Q's six
// entries. The rows of all sections stack into a matrix of six columns, so the cost grows with
// the sections only linearly. Its smallest right singular vector is Q up to scale, and a second
// one near zero leaves Q undetermined. Noisy sections may give a Q that is not positive
// definite: its eigenvalues are then raised to a small share of the largest, a start for the
// refinement rather than an answer.
Matrix3 LinearStart(const std::vector<SectionStrain>& sections) {
    const int m = int(sections.size());
    Eigen::MatrixXd A(3 * m, 6);
    for (int j = 0; j < m; ++j) {
        const Eigen::Matrix<double, 3, 2> P = BasisOf(sections[std::size_t(j)].plane);
        const Matrix2 S = ShapeMatrixOf(sections[std::size_t(j)]);
        Eigen::Matrix<double, 3, 6> rows;
        rows.row(0) = Quadratic(P.col(0), P.col(0));
        rows.row(1) = Quadratic(P.col(0), P.col(1));
        rows.row(2) = Quadratic(P.col(1), P.col(1));
        const Eigen::Vector3d s = Eigen::Vector3d(S(0, 0), S(0, 1), S(1, 1)).normalized();
        A.block<3, 6>(3 * j, 0) = rows - s * (s.transpose() * rows);
    }
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(A, Eigen::ComputeFullV);
    const Vector& sigma = svd.singularValues();
    if (sigma(4) <= kUndeterminedShare * sigma(0)) {
        throw SectionsRefused(
            "the planes of the sections leave the ellipsoid undetermined: it takes three or more "
            "planes of different orientations");
    }
    const Vector v = svd.matrixV().col(5);
    Matrix3 Q;
    Q << v(0), v(1), v(2), v(1), v(3), v(4), v(2), v(4), v(5);
    if (Q.trace() < 0.0) Q = -Q;
    const Eigen::SelfAdjointEigenSolver<Matrix3> eigen(Q);
    const double largest = eigen.eigenvalues()(2);
    const Eigen::Vector3d raised =
        eigen.eigenvalues().cwiseMax(kSmallestStartShare * std::max(largest, 0.0));
    if (!(raised.minCoeff() > 0.0)) return Matrix3::Identity();
    Q = eigen.eigenvectors() * raised.asDiagonal() * eigen.eigenvectors().transpose();
    return Q / std::cbrt(Q.determinant());
}

// Levenberg–Marquardt on Q = Q0^(1/2) exp(L) Q0^(1/2), L symmetric and traceless (volume kept),
// over the misfit vectors of all sections; a numerical Jacobian is enough for five unknowns.
// Noisy sections, few of them, may be met ever more closely by ever flatter ellipsoids, with no
// best one: a last residual holds ln(X/Z) to `widest`, zero within it. Returns the ellipsoid and
// its Σ misfit² with that residual.
std::pair<Matrix3, double> Refined(const std::vector<SectionStrain>& sections, const Matrix3& Q0,
                                   double widest) {
    const int m = int(sections.size());
    std::vector<Eigen::Matrix<double, 3, 2>> bases;
    std::vector<Matrix2> roots;
    for (const SectionStrain& s : sections) {
        bases.push_back(BasisOf(s.plane));
        roots.push_back(InverseRootOf(s));
    }
    const Matrix3 root = SqrtSymmetric(Q0);
    auto QOf = [&](const Eigen::Matrix<double, 5, 1>& x) {
        return Matrix3(root * ExpSymmetric(TracelessOf(x)) * root);
    };
    auto residuals = [&](const Eigen::Matrix<double, 5, 1>& x) {
        const Matrix3 Q = QOf(x);
        Vector r(2 * m + 1);
        for (int j = 0; j < m; ++j) {
            r.segment<2>(2 * j) = MisfitVector(Q, bases[std::size_t(j)], roots[std::size_t(j)]);
        }
        r(2 * m) = kHoldWeight * std::max(LogSpread(Q) - widest, 0.0);
        return r;
    };
    Eigen::Matrix<double, 5, 1> x = Eigen::Matrix<double, 5, 1>::Zero();
    Vector r = residuals(x);
    double cost = r.squaredNorm(), lambda = 1e-3;
    constexpr double h = 1e-7;
    for (int iteration = 0; iteration < 200 && cost > 0.0; ++iteration) {
        Eigen::MatrixXd J(2 * m + 1, 5);
        for (int p = 0; p < 5; ++p) {
            Eigen::Matrix<double, 5, 1> step = Eigen::Matrix<double, 5, 1>::Zero();
            step(p) = h;
            J.col(p) = (residuals(x + step) - residuals(x - step)) / (2.0 * h);
        }
        const Eigen::Matrix<double, 5, 5> H = J.transpose() * J;
        const Eigen::Matrix<double, 5, 1> g = J.transpose() * r;
        if (g.lpNorm<Eigen::Infinity>() <= 1e-15) break;
        bool improved = false;
        while (!improved && lambda < 1e12) {
            Eigen::Matrix<double, 5, 5> damped = H;
            damped.diagonal() += lambda * (H.diagonal().array() + 1e-12).matrix();
            const Eigen::Matrix<double, 5, 1> delta = damped.ldlt().solve(-g);
            const Vector trial = residuals(x + delta);
            if (trial.squaredNorm() < cost) {
                x += delta;
                r = trial;
                const double gain = cost - trial.squaredNorm();
                cost = trial.squaredNorm();
                lambda = std::max(lambda / 10.0, 1e-12);
                improved = true;
                if (delta.norm() <= 1e-13 || gain <= 1e-30) iteration = 200;
            } else {
                lambda *= 10.0;
            }
        }
        if (!improved) break;
    }
    const Matrix3 Q = QOf(x);
    return {Q / std::cbrt(Q.determinant()), cost};
}

EllipsoidMatrix ToArray(const Matrix3& Q) {
    EllipsoidMatrix a{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) a[std::size_t(i)][std::size_t(j)] = Q(i, j);
    }
    return a;
}

Matrix3 FromArray(const EllipsoidMatrix& a) {
    Matrix3 Q;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) Q(i, j) = a[std::size_t(i)][std::size_t(j)];
    }
    return Q;
}

}  // namespace

EllipsoidShape ShapeOf(double X, double Y, double Z) {
    const double e1 = std::log(X), e2 = std::log(Y), e3 = std::log(Z);
    EllipsoidShape shape;
    shape.k = (X / Y - 1.0) / (Y / Z - 1.0);
    shape.nu = (2.0 * e2 - e1 - e3) / (e1 - e3);
    shape.epsS = std::sqrt((e1 - e2) * (e1 - e2) + (e2 - e3) * (e2 - e3) + (e3 - e1) * (e3 - e1)) /
                 std::sqrt(3.0);
    return shape;
}

SectionStrain SectionOf(const EllipsoidMatrix& Q, Plane plane) {
    const Eigen::Matrix<double, 3, 2> P = BasisOf(plane);
    const Matrix2 M = P.transpose() * FromArray(Q) * P;
    const Eigen::SelfAdjointEigenSolver<Matrix2> eigen(M);
    // The long axis is where the quadratic form is least.
    const Eigen::Vector2d longAxis = eigen.eigenvectors().col(0);
    SectionStrain section;
    section.plane = plane;
    section.R = std::sqrt(eigen.eigenvalues()(1) / eigen.eigenvalues()(0));
    double phi = std::atan2(longAxis(1), longAxis(0)) / kDegree;
    if (phi <= -90.0) phi += 180.0;
    if (phi > 90.0) phi -= 180.0;
    section.phiDegrees = phi;
    return section;
}

EllipsoidFit FitEllipsoid(const std::vector<SectionStrain>& sections) {
    CheckSections(sections);
    // Noisy sections may lead the refinement from the linear start to a poorer minimum than
    // from the sphere: the better of the two is the fit.
    double largestR = 1.0;
    for (const SectionStrain& s : sections) largestR = std::max(largestR, s.R);
    const double widest = std::max(kWidestPower * std::log(largestR), kLeastWidest);
    const auto [linear, linearCost] = Refined(sections, LinearStart(sections), widest);
    const auto [sphere, sphereCost] = Refined(sections, Matrix3::Identity(), widest);
    const Matrix3 Q = sphereCost < linearCost ? sphere : linear;
    if (LogSpread(Q) > std::log(kFlattestDetermined)) {
        throw SectionsRefused(
            "the fit's X/Z exceeds 10000: the sections do not determine so flat an ellipsoid to "
            "working precision");
    }
    EllipsoidFit fit;
    fit.Q = ToArray(Q);
    fit.held = LogSpread(Q) > widest;
    const Eigen::SelfAdjointEigenSolver<Matrix3> eigen(Q);
    for (int i = 0; i < 3; ++i) {
        const Eigen::Vector3d v = eigen.eigenvectors().col(i);
        fit.axes[std::size_t(i)] = {1.0 / std::sqrt(eigen.eigenvalues()(i)),
                                    LineOf({v(0), v(1), v(2)}), true};
    }
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            const double apart = std::fabs(std::log(fit.axes[i].length / fit.axes[j].length));
            if (i != j && !(apart > kSameLogLength)) fit.axes[i].defined = false;
        }
    }
    fit.shape = ShapeOf(fit.axes[0].length, fit.axes[1].length, fit.axes[2].length);
    if (!fit.axes[0].defined && !fit.axes[2].defined) {
        fit.shape.k = fit.shape.nu = std::numeric_limits<double>::quiet_NaN();
    } else if (!fit.axes[2].defined) {
        // Y = Z to the fit's precision: Y/Z − 1 is rounding, and k without bound.
        fit.shape.k = std::numeric_limits<double>::infinity();
    }
    double squares = 0.0;
    for (const SectionStrain& s : sections) {
        const Eigen::Vector2d misfit = MisfitVector(Q, BasisOf(s.plane), InverseRootOf(s));
        fit.misfits.push_back(misfit.norm());
        squares += misfit.squaredNorm();
    }
    fit.incompatibility = std::sqrt(squares / double(sections.size()));
    return fit;
}

}  // namespace varnel::ellipsoid
