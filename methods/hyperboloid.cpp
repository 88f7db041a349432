#include "methods/hyperboloid.h"

#include <algorithm>
#include <cmath>

#include "core/lorentz_boost.h"
#include "core/newton_root.h"
#include "core/t_squared.h"

namespace varnel::methods {

namespace {

// t′ = cosh r · t + σ sinh r · (u·w);  w′ = w + ((cosh r − 1)(u·w) + σ sinh r · t) u, σ = ±1.
ShapePoint Boosted(const LorentzBoost& b, ShapePoint p, double sign) {
    const double uw = b.u1 * p.w1 + b.u2 * p.w2;
    const double s = sign * b.sinh;
    const double along = b.coshMinusOne * uw + s * p.t;
    return {p.t + b.coshMinusOne * p.t + s * uw, p.w1 + along * b.u1, p.w2 + along * b.u2};
}

// Sums of one pass over the pre vectors p = d·u at a trial strain, divided by N: their mean,
// the Hessian of ½ mean d² (u uᵀ + d coth d (I − u uᵀ) per point, curvature −1) and the mean
// squared distance. Double sums, as the objective's own.
struct Pass {
    StrainVector mean;
    double h11 = 0, h12 = 0, h22 = 0, f = 0;
};

// The pre points of the data at x, by the Cartesian boost or, where it cancels, by the polar form.
class PrePoints {
public:
    PrePoints(const std::vector<ShapePoint>& points, StrainVector x)
        : x_(x), boost_(LorentzBoostOf(x)) {
        double largest = 1.0;
        for (const ShapePoint& p : points) largest = std::max(largest, p.t);
        polar_ = (1.0 + boost_.coshMinusOne) * largest > kCancellingBoost;
    }
    ShapePoint Of(ShapePoint p) const {
        return polar_ ? RemoveStrainFromPolarForm(x_, p).point : Boosted(boost_, p, -1.0);
    }

private:
    StrainVector x_;
    LorentzBoost boost_;
    bool polar_ = false;
};

Pass PassAt(const std::vector<ShapePoint>& points, StrainVector x) {
    const PrePoints removed(points, x);
    Pass sum;
    for (const ShapePoint& point : points) {
        const ShapePoint pre = removed.Of(point);
        const double n = std::hypot(pre.w1, pre.w2);
        const double d = std::asinh(n);
        const double u1 = n > 0.0 ? pre.w1 / n : 1.0, u2 = n > 0.0 ? pre.w2 / n : 0.0;
        // d coth d = d cosh d / sinh d = d t / n, by its series 1 + d²/3 where that loses digits.
        const double g = d < 1e-4 ? 1.0 + d * d / 3.0 : d * pre.t / n;
        const double p1 = d * u1, p2 = d * u2;
        sum.mean.x1 += p1;
        sum.mean.x2 += p2;
        sum.h11 += g + (1.0 - g) * u1 * u1;
        sum.h12 += (1.0 - g) * u1 * u2;
        sum.h22 += g + (1.0 - g) * u2 * u2;
        sum.f += d * d;
    }
    const double n = double(points.size());
    for (double* v : {&sum.mean.x1, &sum.mean.x2, &sum.h11, &sum.h12, &sum.h22, &sum.f}) *v /= n;
    return sum;
}

bool IsFinite(const Pass& p) {
    return std::isfinite(p.mean.x1) && std::isfinite(p.mean.x2) && std::isfinite(p.f) &&
           std::isfinite(p.h11) && std::isfinite(p.h12) && std::isfinite(p.h22);
}

// The data determine an estimate at x where T² = N mᵀ S⁻¹ m of the pre vectors exists and
// varies: S regular and the covariance about their mean regular, judged as the objective and
// the Open command judge them (MomentMatrixIsSingular, CovarianceIsSingular).
bool EstimateIsDeterminedAt(const std::vector<ShapePoint>& points, StrainVector x) {
    const PrePoints removed(points, x);
    std::vector<StrainVector> pre(points.size() + 1);  // pre[1 … N], as the objective's
    for (std::size_t k = 0; k < points.size(); ++k) {
        pre[k + 1] = VectorOfShapePoint(removed.Of(points[k]));
    }
    const int count = int(points.size());
    return !MomentMatrixIsSingular(pre.data(), count) && !CovarianceIsSingular(pre.data(), count);
}

// The point reached from x by the step v taken in the frame where x is the circle.
StrainVector Step(StrainVector x, StrainVector v, double scale) {
    return VectorOfShapePoint(ApplyStrain(x, ShapePointOfVector({v.x1 * scale, v.x2 * scale})));
}

constexpr int kMaxIterations = 100;
constexpr int kMaxHalvings = 60;
// Newton converges quadratically: a step this short leaves an error far below the rounding of
// the pre vectors themselves.
constexpr double kStepTolerance = 1e-12;
// Longest step, in units of ln R: keeps a far start from jumping across the data.
constexpr double kMaxStep = 1.0;
// A trial may rise above the last value by rounding alone once the mean is reached.
constexpr double kRoundingRise = 1e-12;

}  // namespace

ShapePoint ShapePointOf(double R, double phiRadians) {
    const double inverse = 1.0 / R;
    const double sinhRho = 0.5 * (R - inverse);
    return {0.5 * (R + inverse), sinhRho * std::cos(2.0 * phiRadians),
            sinhRho * std::sin(2.0 * phiRadians)};
}

ShapePoint ShapePointOfVector(StrainVector x) {
    const double r = std::hypot(x.x1, x.x2);
    if (r == 0.0) return {};
    const double s = std::sinh(r) / r;
    return {std::cosh(r), s * x.x1, s * x.x2};
}

StrainVector VectorOfShapePoint(ShapePoint p) {
    const double n = std::hypot(p.w1, p.w2);
    if (n == 0.0) return {};
    const double rho = std::asinh(n);
    return {rho * p.w1 / n, rho * p.w2 / n};
}

ShapePoint ApplyStrain(StrainVector x, ShapePoint p) { return Boosted(LorentzBoostOf(x), p, 1.0); }

ShapePoint RemoveStrain(StrainVector x, ShapePoint p) {
    return Boosted(LorentzBoostOf(x), p, -1.0);
}

RemovedPoint RemoveStrainFromPolarForm(StrainVector x, ShapePoint p) {
    const long double r = std::hypot(x.x1, x.x2), beta = std::atan2(x.x2, x.x1);
    const long double sinhRho = std::hypot(p.w1, p.w2), rho = std::asinh(sinhRho);
    const long double delta = std::atan2(p.w2, p.w1) - beta;
    const long double halfSin = std::sin(delta / 2), halfDiff = std::sinh((rho - r) / 2);
    const long double turned = 2 * sinhRho * halfSin * halfSin;  // 2 sinh ρ sin²(δ/2)
    const long double along = std::sinh(rho - r) - turned * std::cosh(r);
    const long double across = sinhRho * std::sin(delta);
    RemovedPoint removed;
    removed.coshMinusOne = 2 * halfDiff * halfDiff + turned * std::sinh(r);
    const long double c = std::cos(beta), s = std::sin(beta);
    removed.point = {double(1 + removed.coshMinusOne), double(along * c - across * s),
                     double(along * s + across * c)};
    return removed;
}

namespace {

// The orientations of the data are doubles: 2φ is known to about a unit of rounding, which
// moves a datum by sinh ρ times that across its axis. Far data carry that much noise into every
// pre vector, and neither the step nor the values can settle below it.
double DataNoise(const std::vector<ShapePoint>& points) {
    double largest = 0.0;
    for (const ShapePoint& p : points) largest = std::max(largest, std::hypot(p.w1, p.w2));
    return 16.0 * 0x1p-53 * largest;
}

// The data's Riemannian mean as a NewtonProblem: the mean pre vector m and the Hessian H of
// ½ mean d² from one pass, steps taken in the frame where the trial strain is the circle. There
// m is the negative gradient, so ∂m/∂v = −H; a trial is accepted where ½ mean d² does not rise
// beyond rounding, and only the length of a step tells that the mean is reached.
class KarcherMean {
public:
    using Value = Pass;

    KarcherMean(const std::vector<ShapePoint>& points, double roundingRise)
        : points_(points), roundingRise_(roundingRise) {}

    Pass At(StrainVector x) const { return PassAt(points_, x); }
    bool Valid(const Pass& pass) const { return IsFinite(pass); }
    bool IsRoot(const Pass&) const { return false; }
    std::optional<Matrix2> Jacobian(StrainVector, const Pass& pass) const {
        return Matrix2{-pass.h11, -pass.h12, -pass.h12, -pass.h22};
    }
    StrainVector Move(StrainVector x, StrainVector v, double scale) const {
        return Step(x, v, scale);
    }
    bool Improves(const Pass& there, const Pass& here) const {
        return there.f <= here.f * (1.0 + roundingRise_);
    }

private:
    const std::vector<ShapePoint>& points_;
    double roundingRise_;
};

}  // namespace

std::optional<StrainVector> T2EstimateOf(const std::vector<ShapePoint>& points,
                                         StrainVector start) {
    if (points.empty()) return std::nullopt;
    const double noise = DataNoise(points);
    KarcherMean problem(points, std::max(kRoundingRise, noise));
    const NewtonSearch search = FindNewtonRoot(problem, start,
                                               {.stepLimit = kMaxIterations,
                                                .halvingLimit = kMaxHalvings,
                                                .longestStep = kMaxStep,
                                                .lastStepLength = std::max(kStepTolerance, noise)});
    if (search.ending != NewtonEnding::LastStep) return std::nullopt;
    if (!EstimateIsDeterminedAt(points, search.x)) return std::nullopt;
    return search.x;
}

}  // namespace varnel::methods
