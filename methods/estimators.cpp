#include "methods/estimators.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/orientation.h"

namespace varnel::methods {

double ReduceOffset(double degrees) {
    return degrees - 180.0 * std::floor((degrees + 90.0) / 180.0);
}

std::vector<ShapePoint> ShapePointsOf(const std::vector<EllipseInDegrees>& ellipses) {
    std::vector<ShapePoint> points;
    points.reserve(ellipses.size());
    for (const EllipseInDegrees& e : ellipses)
        points.push_back(ShapePointOf(e.R, e.phiDegrees * kDegree));
    return points;
}

namespace {

// S = Σ h_i in some frame, S₀ − N = Σ(cosh ρ − 1) kept apart so that κ, which depends on
// ‖S‖ − N, keeps its digits for concentrated data. Extended precision.
struct ShapeSums {
    long double excess = 0, s1 = 0, s2 = 0;
};

// The mean S / ‖S‖ of the sums, as an ellipse with κ, in their frame.
HyperbolicMean MeanOfSums(const ShapeSums& sums, std::size_t count) {
    const long double n = count, excess = sums.excess, s0 = n + excess;
    const long double w = std::hypot(sums.s1, sums.s2);
    // ‖S‖² = (S₀ − |w|)(S₀ + |w|);  ‖S‖² − N² = (S₀ − N)(S₀ + N) − |w|²
    const long double norm = std::sqrt((s0 - w) * (s0 + w));
    const long double normMinusN = (excess * (s0 + n) - w * w) / (norm + n);
    HyperbolicMean mean;
    // arcosh(S₀ / ‖S‖) = arsinh(|w| / ‖S‖), the second exact near the circle.
    mean.R = double(std::exp(std::asinh(w / norm)));
    mean.phiDegrees = ReduceHalfTurns(double(0.5L * std::atan2(sums.s2, sums.s1)) / kDegree);
    mean.kappa = normMinusN > 0 ? double(n / normMinusN) : std::numeric_limits<double>::infinity();
    return mean;
}

// The sums of the points with the strain `centre` removed, in the axes of the data.
ShapeSums SumsAbout(const std::vector<ShapePoint>& points, StrainVector centre) {
    ShapeSums sums;
    for (const ShapePoint& p : points) {
        const RemovedPoint removed = RemoveStrainFromPolarForm(centre, p);
        sums.excess += removed.coshMinusOne;
        sums.s1 += removed.point.w1;
        sums.s2 += removed.point.w2;
    }
    return sums;
}

// The sums about the circle lose S₀² − |w|² to cancellation as the mean moves out (cosh² of
// its distance units of rounding): beyond this distance the mean is found again about itself.
constexpr double kFarMean = 4.0;
constexpr int kRecentrings = 8;

// The log-strain vector of the mean of `sums` taken about `centre`, in the frame of the data.
StrainVector MeanVectorAbout(StrainVector centre, const ShapeSums& sums, std::size_t count) {
    const long double n = count, s0 = n + sums.excess, w = std::hypot(sums.s1, sums.s2);
    // The distance from the centre, atanh(|w| / S₀), held below where the ratio rounds to 1.
    const long double distance = std::atanh(std::min(w / s0, 1.0L - 0x1p-60L));
    const long double angle = std::atan2(sums.s2, sums.s1);
    const StrainVector step{double(distance * std::cos(angle)), double(distance * std::sin(angle))};
    return VectorOfShapePoint(ApplyStrain(centre, ShapePointOfVector(step)));
}

// The mean of points far from the circle: recentred on its own estimate until it lies at the
// centre, where the sums keep every digit; κ does not depend on the frame.
HyperbolicMean FarMeanOf(const std::vector<ShapePoint>& points, const ShapeSums& aboutCircle) {
    StrainVector centre = MeanVectorAbout({0.0, 0.0}, aboutCircle, points.size());
    ShapeSums sums = SumsAbout(points, centre);
    for (int pass = 1; pass < kRecentrings; ++pass) {
        const StrainVector next = MeanVectorAbout(centre, sums, points.size());
        if (next == centre) break;
        centre = next;
        sums = SumsAbout(points, centre);
    }
    HyperbolicMean mean = MeanOfSums(sums, points.size());
    const StrainVector at = MeanVectorAbout(centre, sums, points.size());
    mean.R = double(std::exp(std::hypot(static_cast<long double>(at.x1), at.x2)));
    mean.phiDegrees = ReduceHalfTurns(double(0.5L * std::atan2(at.x2, at.x1)) / kDegree);
    return mean;
}

}  // namespace

HyperbolicMean HyperbolicMeanOf(const std::vector<ShapePoint>& points) {
    ShapeSums sums;
    for (const ShapePoint& p : points) {
        sums.excess += static_cast<long double>(p.t) - 1.0L;
        sums.s1 += p.w1;
        sums.s2 += p.w2;
    }
    const HyperbolicMean mean = MeanOfSums(sums, points.size());
    // A NaN ratio is a mean so far out that S₀² − |w|² lost every digit.
    if (std::log(mean.R) <= kFarMean) return mean;
    return FarMeanOf(points, sums);
}

HyperbolicMean HyperbolicMeanOf(const std::vector<EllipseInDegrees>& ellipses) {
    return HyperbolicMeanOf(ShapePointsOf(ellipses));
}

StrainVector VectorOf(const HyperbolicMean& mean) {
    const double rho = std::log(mean.R), angle = 2.0 * mean.phiDegrees * kDegree;
    return {rho * std::cos(angle), rho * std::sin(angle)};
}

StrainLocation HarmonicMeanOf(const std::vector<EllipseInDegrees>& ellipses) {
    long double inverseSum = 0, sinSum = 0, cosSum = 0;
    for (const EllipseInDegrees& e : ellipses) {
        inverseSum += 1.0L / e.R;
        sinSum += std::sin(2.0 * e.phiDegrees * kDegree);
        cosSum += std::cos(2.0 * e.phiDegrees * kDegree);
    }
    const double phi = double(0.5L * std::atan2(sinSum, cosSum)) / kDegree;
    return {double(ellipses.size() / inverseSum), ReduceHalfTurns(phi)};
}

RfMaxMin RfMaxMinOf(const std::vector<EllipseInDegrees>& ellipses) {
    RfMaxMin result;
    const auto [least, most] = std::minmax_element(
        ellipses.begin(), ellipses.end(),
        [](const EllipseInDegrees& a, const EllipseInDegrees& b) { return a.R < b.R; });
    result.rfMin = least->R;
    result.rfMax = most->R;
    // Orientations modulo 180° in [0°, 180°), sorted; the gap across 180° closes the circle.
    std::vector<double> axes;
    for (const EllipseInDegrees& e : ellipses) axes.push_back(ReduceOffset(e.phiDegrees) + 90.0);
    std::sort(axes.begin(), axes.end());
    double largestGap = axes.front() + 180.0 - axes.back();
    for (std::size_t i = 1; i < axes.size(); ++i)
        largestGap = std::max(largestGap, axes[i] - axes[i - 1]);
    result.fluctuationDegrees = 180.0 - largestGap;
    const double product = std::sqrt(result.rfMax * result.rfMin);
    const double quotient = std::sqrt(result.rfMax / result.rfMin);
    const bool strainDominates = result.fluctuationDegrees < 90.0;
    result.caseName = strainDominates ? "Ri<Rs" : "Ri>Rs";
    result.Rs = strainDominates ? product : quotient;
    result.Ri = strainDominates ? quotient : product;
    return result;
}

}  // namespace varnel::methods
