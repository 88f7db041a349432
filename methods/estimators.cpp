#include "methods/estimators.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace varnel::methods {

namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

}  // namespace

double ReduceOrientation(double degrees) {
    return degrees - 180.0 * std::ceil((degrees - 90.0) / 180.0);
}

double ReduceOffset(double degrees) {
    return degrees - 180.0 * std::floor((degrees + 90.0) / 180.0);
}

std::vector<ShapePoint> ShapePointsOf(const std::vector<Ellipse>& ellipses) {
    std::vector<ShapePoint> points;
    points.reserve(ellipses.size());
    for (const Ellipse& e : ellipses) points.push_back(ShapePointOf(e.R, e.phiDegrees * kRadian));
    return points;
}

HyperbolicMean HyperbolicMeanOf(const std::vector<ShapePoint>& points) {
    // Sums in extended precision; S₀ − N = Σ(cosh ρ − 1) is kept apart so that κ, which depends
    // on ‖S‖ − N, keeps its digits for concentrated data.
    long double excess = 0, s1 = 0, s2 = 0;
    for (const ShapePoint& p : points) {
        excess += static_cast<long double>(p.t) - 1.0L;
        s1 += p.w1;
        s2 += p.w2;
    }
    const long double n = points.size(), s0 = n + excess, w = std::hypot(s1, s2);
    // ‖S‖² = (S₀ − |w|)(S₀ + |w|);  ‖S‖² − N² = (S₀ − N)(S₀ + N) − |w|²
    const long double norm = std::sqrt((s0 - w) * (s0 + w));
    const long double normMinusN = (excess * (s0 + n) - w * w) / (norm + n);
    HyperbolicMean mean;
    // arcosh(S₀ / ‖S‖) = arsinh(|w| / ‖S‖), the second exact near the circle.
    mean.R = double(std::exp(std::asinh(w / norm)));
    mean.phiDegrees = ReduceOrientation(double(0.5L * std::atan2(s2, s1)) / kRadian);
    mean.kappa = normMinusN > 0 ? double(n / normMinusN) : std::numeric_limits<double>::infinity();
    return mean;
}

HyperbolicMean HyperbolicMeanOf(const std::vector<Ellipse>& ellipses) {
    return HyperbolicMeanOf(ShapePointsOf(ellipses));
}

StrainVector VectorOf(const HyperbolicMean& mean) {
    const double rho = std::log(mean.R), angle = 2.0 * mean.phiDegrees * kRadian;
    return {rho * std::cos(angle), rho * std::sin(angle)};
}

StrainLocation HarmonicMeanOf(const std::vector<Ellipse>& ellipses) {
    long double inverseSum = 0, sinSum = 0, cosSum = 0;
    for (const Ellipse& e : ellipses) {
        inverseSum += 1.0L / e.R;
        sinSum += std::sin(2.0 * e.phiDegrees * kRadian);
        cosSum += std::cos(2.0 * e.phiDegrees * kRadian);
    }
    const double phi = double(0.5L * std::atan2(sinSum, cosSum)) / kRadian;
    return {double(ellipses.size() / inverseSum), ReduceOrientation(phi)};
}

RfMaxMin RfMaxMinOf(const std::vector<Ellipse>& ellipses) {
    RfMaxMin result;
    const auto [least, most] =
        std::minmax_element(ellipses.begin(), ellipses.end(),
                            [](const Ellipse& a, const Ellipse& b) { return a.R < b.R; });
    result.rfMin = least->R;
    result.rfMax = most->R;
    // Orientations modulo 180° in [0°, 180°), sorted; the gap across 180° closes the circle.
    std::vector<double> axes;
    for (const Ellipse& e : ellipses) axes.push_back(ReduceOffset(e.phiDegrees) + 90.0);
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
