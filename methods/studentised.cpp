#include "methods/studentised.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/lorentz_boost.h"
#include "core/orientation.h"

namespace varnel::methods {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The strain x removed from p as RemoveStrain does, its boost of rapidity −|x| along u = x / |x|
// computed once: t′ = t + c1 t − s (u·w), w′ = w + (c1 (u·w) − s t) u with c1 = cosh |x| − 1 =
// 2 sinh²(|x|/2), s = sinh |x|; by the polar form where that would cancel.
class Remover {
public:
    explicit Remover(StrainVector x) : x_(x) {
        const double r = std::hypot(x.x1, x.x2);
        if (r > 0.0) {
            const double half = std::sinh(r / 2.0);
            u1_ = x.x1 / r;
            u2_ = x.x2 / r;
            c1_ = 2.0 * half * half;
            s_ = std::sinh(r);
        }
    }
    ShapePoint operator()(ShapePoint p) const {
        if ((1.0 + c1_) * p.t > kCancellingBoost) return RemoveStrainFromPolarForm(x_, p).point;
        const double uw = u1_ * p.w1 + u2_ * p.w2, along = c1_ * uw - s_ * p.t;
        return {p.t + c1_ * p.t - s_ * uw, p.w1 + along * u1_, p.w2 + along * u2_};
    }

private:
    StrainVector x_;
    double u1_ = 1.0, u2_ = 0.0, c1_ = 0.0, s_ = 0.0;
};

// Points on one line leave a covariance whose determinant is rounding: a squared correlation
// within this of 1 is singular.
constexpr double kSingularCorrelation = 1e-10;

bool IsUsable(const Covariance2& c) {
    const double det = c.c11 * c.c22 - c.c12 * c.c12;
    return std::isfinite(det) && c.c11 > 0.0 && c.c22 > 0.0 &&
           det > kSingularCorrelation * c.c11 * c.c22;
}

// vᵀ C⁻¹ v = (c22 v1² − 2 c12 v1 v2 + c11 v2²) / det C.
double QuadraticForm(const Covariance2& c, StrainVector v) {
    const double det = c.c11 * c.c22 - c.c12 * c.c12;
    return (c.c22 * v.x1 * v.x1 - 2.0 * c.c12 * v.x1 * v.x2 + c.c11 * v.x2 * v.x2) / det;
}

// The symmetric square root of C: (C + √det C · I) / √(tr C + 2 √det C).
Covariance2 SquareRoot(const Covariance2& c) {
    const double root = std::sqrt(c.c11 * c.c22 - c.c12 * c.c12);
    const double scale = std::sqrt(c.c11 + c.c22 + 2.0 * root);
    return {(c.c11 + root) / scale, c.c12 / scale, (c.c22 + root) / scale};
}

Covariance2 InverseSquareRoot(const Covariance2& c) {
    const Covariance2 r = SquareRoot(c);
    const double det = r.c11 * r.c22 - r.c12 * r.c12;
    return {r.c22 / det, -r.c12 / det, r.c11 / det};
}

StrainVector Times(const Covariance2& m, StrainVector v) {
    return {m.c11 * v.x1 + m.c12 * v.x2, m.c12 * v.x1 + m.c22 * v.x2};
}

double Turn(StrainVector from, StrainVector to) {
    const double turn = std::atan2(to.x2, to.x1) - std::atan2(from.x2, from.x1);
    return std::remainder(turn, 2.0 * kPi);
}

// Orientation in degrees relative to `reference`, wrapped into ±90°.
double RelativeDegrees(StrainVector x, double reference) {
    return std::remainder(OrientationDegreesOf(x) - reference, 180.0);
}

std::optional<Covariance2> Usable(const Covariance2& c) {
    if (!IsUsable(c)) return std::nullopt;
    return c;
}

// The ellipse vᵀ C⁻¹ v = q at t = 5°, 10°, … 360° in the frame of the eigenvectors of C, carried
// forward by the centre; the ranges over it, or from zero strain where the region holds it.
void SampleRegion(BootstrapRegion& region) {
    const Covariance2& c = region.scale;
    const double half = 0.5 * (c.c11 + c.c22), gap = std::hypot(0.5 * (c.c11 - c.c22), c.c12);
    const double lambda1 = half + gap, lambda2 = std::max(half - gap, 0.0);
    const double angle = 0.5 * std::atan2(2.0 * c.c12, c.c11 - c.c22);
    const double e1 = std::cos(angle), e2 = std::sin(angle);
    const double a = std::sqrt(lambda1 * region.quantile), b = std::sqrt(lambda2 * region.quantile);
    const double reference = OrientationDegreesOf(region.centre);
    region.R = {std::numeric_limits<double>::infinity(), 0.0};
    region.phiDegrees = {90.0, -90.0};
    for (int i = 0; i < kRegionPoints; ++i) {
        const double t = 5.0 * (i + 1) * kPi / 180.0;
        const double u = std::cos(t) * a, w = std::sin(t) * b;
        const StrainVector v{e1 * u - e2 * w, e2 * u + e1 * w};
        const StrainVector x = PostVectorAt(region.centre, v);
        region.points[std::size_t(i)] = x;
        const double R = std::exp(std::hypot(x.x1, x.x2));
        region.R = {std::min(region.R.lo, R), std::max(region.R.hi, R)};
        const double phi = RelativeDegrees(x, reference);
        region.phiDegrees = {std::min(region.phiDegrees.lo, phi),
                             std::max(region.phiDegrees.hi, phi)};
    }
    region.holdsZeroStrain = RegionHolds(region, {0.0, 0.0});
    if (region.holdsZeroStrain) {
        region.R.lo = 1.0;
        region.phiDegrees = {kNaN, kNaN};
    } else {
        region.phiDegrees = {reference + region.phiDegrees.lo, reference + region.phiDegrees.hi};
    }
}

// The errors v_b = C^(1/2) z_b of the resamples, carried to the data's scale: what the
// estimate of a truth x would be, Exp_x(v_b). For a truth of ln R = r along the estimate the
// estimate's ln R is d with cosh d = cosh r cosh |v| + sinh r sinh |v| cos γ, γ the angle of v
// with the estimate; written in cosh x − 1 = 2 sinh²(x/2) it keeps its precision for strains
// of any size, down to ratios within 1e-12 of 1:
// cosh d − 1 = (cosh r − 1)(cosh |v| − 1) + (cosh r − 1) + (cosh |v| − 1) + sinh r sinh |v| cos γ.
class SimulatedErrors {
public:
    SimulatedErrors(const std::vector<ResamplePivots>& pivots, const BootstrapRegion& region)
        : centre_(region.centre) {
        const Covariance2 root = SquareRoot(region.scale);
        const double r = std::hypot(centre_.x1, centre_.x2);
        const double u1 = r > 0.0 ? centre_.x1 / r : 1.0;
        const double u2 = r > 0.0 ? centre_.x2 / r : 0.0;
        for (const ResamplePivots& p : pivots) {
            const StrainVector v = Times(root, p.z);
            const double length = std::hypot(v.x1, v.x2);
            const double cosine = length > 0.0 ? (v.x1 * u1 + v.x2 * u2) / length : 0.0;
            errors_.push_back(v);
            coshesLessOne_.push_back(CoshLessOne(length));
            alongs_.push_back(std::sinh(length) * cosine);
            longest_ = std::max(longest_, length);
        }
    }
    // The type-7 quantile at q of the simulated ln R for the truth ln R = r.
    double QuantileAt(double r, double q) const {
        const double c = CoshLessOne(r), s = std::sinh(r);
        std::vector<double>& d = buffer_;
        d.resize(coshesLessOne_.size());
        for (std::size_t b = 0; b < d.size(); ++b) {
            const double v = coshesLessOne_[b];
            const double lessOne = std::max(c * v + c + v + s * alongs_[b], 0.0);
            d[b] = 2.0 * std::asinh(std::sqrt(0.5 * lessOne));
        }
        return Quantile(d, q);
    }
    // The turns of 2φ (radians) from a truth of ln R = r along the estimate to its simulated
    // estimates.
    std::vector<double> TurnsAt(double r) const {
        const double s = std::hypot(centre_.x1, centre_.x2);
        const StrainVector truth{centre_.x1 * r / s, centre_.x2 * r / s};
        std::vector<double> turns;
        for (const StrainVector& v : errors_) turns.push_back(Turn(truth, PostVectorAt(truth, v)));
        return turns;
    }
    double Longest() const { return longest_; }

private:
    static double CoshLessOne(double x) {
        const double half = std::sinh(0.5 * x);
        return 2.0 * half * half;
    }

    StrainVector centre_;
    std::vector<StrainVector> errors_;
    std::vector<double> coshesLessOne_, alongs_;  // cosh |v| − 1 and sinh |v| cos γ
    double longest_ = 0.0;
    mutable std::vector<double> buffer_;
};

// The least r ≥ 0 whose quantile at q of the simulated ln R reaches s (it grows with r).
// Bisection to a relative precision, so that strains near zero keep their digits.
double LeastReaching(const SimulatedErrors& simulated, double s, double q) {
    double lo = 0.0, hi = s + simulated.Longest();
    if (!(hi > 0.0) || simulated.QuantileAt(lo, q) >= s) return 0.0;
    for (int step = 0; step < 200 && hi - lo > 1e-12 * hi; ++step) {
        const double middle = 0.5 * (lo + hi);
        (simulated.QuantileAt(middle, q) >= s ? hi : lo) = middle;
    }
    return 0.5 * (lo + hi);
}

// ln R by inverting the simulated estimate: the r whose central `level` of simulated ln R holds
// the estimate's. It starts at zero strain exactly when the region holds zero strain (so that
// with no strain it covers as often as the region): where the region does not hold zero strain
// but the inversion reaches it, it starts at the region's least R. Where no r holds the
// estimate in its central part (an estimate closer to zero strain than zero strain itself would
// give) or the two ends cross, the interval is the region's range.
Interval RatioInterval(const SimulatedErrors& simulated, const BootstrapRegion& region,
                       int levelPercent) {
    const double s = std::hypot(region.centre.x1, region.centre.x2);
    const double tail = (1.0 - levelPercent / 100.0) / 2.0;
    double lo = LeastReaching(simulated, s, 1.0 - tail);
    const double hi = LeastReaching(simulated, s, tail);
    if (region.holdsZeroStrain) {
        lo = 0.0;
    } else if (lo == 0.0) {
        lo = std::log(region.R.lo);
    }
    if (!(hi > lo)) return region.R;
    return {std::exp(lo), std::exp(hi)};
}

// φ̂ − half the central `level` of the turns from a truth to its simulated estimates, the truth
// along the estimate at the median-unbiased ln R (the r whose simulated ln R has the estimate's
// as its median): the estimate's own ln R is biased upwards, and would make the orientation of
// a weakly strained sample look better known than it is. Undefined where that ln R is zero
// strain or the interval would span 180° or more.
Interval OrientationInterval(const SimulatedErrors& simulated, const BootstrapRegion& region,
                             int levelPercent) {
    const double r = LeastReaching(simulated, std::hypot(region.centre.x1, region.centre.x2), 0.5);
    if (!(r > 0.0)) return {kNaN, kNaN};
    const std::vector<double> turns = simulated.TurnsAt(r);
    const double tail = (1.0 - levelPercent / 100.0) / 2.0, half = 90.0 / kPi;  // degrees of φ
    const double reference = OrientationDegreesOf(region.centre);
    const Interval interval{reference - Quantile(turns, 1.0 - tail) * half,
                            reference - Quantile(turns, tail) * half};
    if (!(interval.hi - interval.lo < 180.0)) return {kNaN, kNaN};
    return interval;
}

BootstrapIntervals MarginalIntervals(const std::vector<ResamplePivots>& pivots,
                                     const BootstrapRegion& region, int levelPercent) {
    const SimulatedErrors simulated(pivots, region);
    return {RatioInterval(simulated, region, levelPercent),
            OrientationInterval(simulated, region, levelPercent)};
}
}  // namespace

StrainVector PreVectorAt(StrainVector a, StrainVector b) {
    return VectorOfShapePoint(Remover(a)(ShapePointOfVector(b)));
}

StrainVector PostVectorAt(StrainVector a, StrainVector v) {
    return VectorOfShapePoint(ApplyStrain(a, ShapePointOfVector(v)));
}

std::optional<Covariance2> T2ScaleOf(const std::vector<ShapePoint>& points, StrainVector x) {
    const Remover removed(x);
    Covariance2 sum;
    for (const ShapePoint& point : points) {
        const StrainVector p = VectorOfShapePoint(removed(point));
        sum.c11 += p.x1 * p.x1;
        sum.c12 += p.x1 * p.x2;
        sum.c22 += p.x2 * p.x2;
    }
    const double n = double(points.size()), divisor = (n - 1.0) * n;
    return Usable({sum.c11 / divisor, sum.c12 / divisor, sum.c22 / divisor});
}

std::optional<Covariance2> HyperbolicMeanScaleOf(const std::vector<ShapePoint>& points,
                                                 StrainVector h) {
    // One pass: Σ (w − w̄)(w − w̄)ᵀ = Σ w wᵀ − N w̄ w̄ᵀ, where w̄ is near 0 (h is the points'
    // direction of mean), so nothing cancels.
    const Remover removed(h);
    double t = 0.0, m1 = 0.0, m2 = 0.0;
    Covariance2 sum;
    for (const ShapePoint& point : points) {
        const ShapePoint p = removed(point);
        t += p.t;
        m1 += p.w1;
        m2 += p.w2;
        sum.c11 += p.w1 * p.w1;
        sum.c12 += p.w1 * p.w2;
        sum.c22 += p.w2 * p.w2;
    }
    const double n = double(points.size());
    t /= n;
    m1 /= n;
    m2 /= n;
    const double divisor = (n - 1.0) * n * t * t;
    return Usable({(sum.c11 - n * m1 * m1) / divisor, (sum.c12 - n * m1 * m2) / divisor,
                   (sum.c22 - n * m2 * m2) / divisor});
}

ResamplePivots PivotsOf(StrainVector resample, const Covariance2& scale, StrainVector data) {
    const StrainVector d = PreVectorAt(resample, data);
    const StrainVector z = Times(InverseSquareRoot(scale), {-d.x1, -d.x2});
    return {z, z.x1 * z.x1 + z.x2 * z.x2};
}

BootstrapStatements StatementsOf(const std::vector<ResamplePivots>& pivots, StrainVector centre,
                                 const Covariance2& scale, int levelPercent) {
    std::vector<double> distances;
    for (const ResamplePivots& p : pivots) distances.push_back(p.region);
    BootstrapStatements statements;
    BootstrapRegion& region = statements.region;
    region.centre = centre;
    region.scale = scale;
    region.quantile = Quantile(distances, levelPercent / 100.0);
    SampleRegion(region);
    statements.intervals = MarginalIntervals(pivots, region, levelPercent);
    return statements;
}

bool RegionHolds(const BootstrapRegion& region, StrainVector x) {
    return QuadraticForm(region.scale, PreVectorAt(region.centre, x)) <= region.quantile;
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return kNaN;
    // The order statistics at ⌊h⌋ and ⌊h⌋ + 1, h = (n − 1) q, without sorting the rest.
    const double h = double(values.size() - 1) * q;
    const std::size_t below = std::min(std::size_t(std::floor(h)), values.size() - 1);
    const auto at = values.begin() + std::ptrdiff_t(below);
    std::nth_element(values.begin(), at, values.end());
    if (below + 1 >= values.size()) return *at;
    const double next = *std::min_element(at + 1, values.end());
    return *at + (h - double(below)) * (next - *at);
}

}  // namespace varnel::methods
