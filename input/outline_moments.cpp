#include "input/outline_moments.h"

#include <cmath>
#include <numbers>

namespace varnel {

AreaMoments& AreaMoments::operator+=(const AreaMoments& other) {
    area += other.area;
    x += other.x;
    y += other.y;
    xx += other.xx;
    yy += other.yy;
    xy += other.xy;
    return *this;
}

AreaMoments AreaMoments::Scaled(long double factor) const {
    return {area * factor, x * factor, y * factor, xx * factor, yy * factor, xy * factor};
}

void RingMoments::Add(long double x, long double y) {
    if (empty_) {
        firstX_ = x;
        firstY_ = y;
        empty_ = false;
    } else {
        AddEdge(lastX_, lastY_, x, y);
    }
    lastX_ = x;
    lastY_ = y;
}

void RingMoments::AddEdge(long double x0, long double y0, long double x1, long double y1) {
    const long double c = x0 * y1 - x1 * y0;
    sums_.area += c;
    sums_.x += (x0 + x1) * c;
    sums_.y += (y0 + y1) * c;
    sums_.xx += (x0 * x0 + x0 * x1 + x1 * x1) * c;
    sums_.yy += (y0 * y0 + y0 * y1 + y1 * y1) * c;
    sums_.xy += (x0 * y1 + 2 * x0 * y0 + 2 * x1 * y1 + x1 * y0) * c;
}

AreaMoments RingMoments::Close() {
    if (!empty_) AddEdge(lastX_, lastY_, firstX_, firstY_);
    const AreaMoments& s = sums_;
    const AreaMoments ring{s.area / 2, s.x / 6, s.y / 6, s.xx / 12, s.yy / 12, s.xy / 24};
    *this = RingMoments();
    return ring;
}

void PolygonMoments::AddRing(const AreaMoments& ring) {
    const long double sign = ring.area < 0 ? -1.0L : 1.0L;
    total_ += ring.Scaled(outerSeen_ ? -sign : sign);
    outerSeen_ = true;
}

MomentEllipse EquivalentEllipse(const AreaMoments& region) {
    const long double A = region.area;
    if (!(A > 0) || !std::isfinite(A)) return {};
    // Central moments per unit area: μxx = ∫x²/A − x̄², μyy = ∫y²/A − ȳ², μxy = ∫xy/A − x̄ȳ.
    const long double cx = region.x / A, cy = region.y / A;
    const long double muxx = region.xx / A - cx * cx;
    const long double muyy = region.yy / A - cy * cy;
    const long double muxy = region.xy / A - cx * cy;
    // λ₁,₂ = (μxx + μyy)/2 ± √(((μxx − μyy)/2)² + μxy²)
    const long double mean = (muxx + muyy) / 2;
    const long double radius = std::hypot((muxx - muyy) / 2, muxy);
    const long double lambda1 = mean + radius, lambda2 = mean - radius;
    if (!(lambda2 > 0) || !std::isfinite(lambda1)) return {};
    long double degrees =
        std::atan2(2 * muxy, muxx - muyy) / 2 * 180 / std::numbers::pi_v<long double>;
    if (degrees <= -90) degrees += 180;  // atan2 of −0 and a negative difference gives −π
    degrees += 0.0L;                     // and −0 of a zero μxy reads as 0
    return {true, std::sqrt(lambda1 / lambda2), degrees};
}

}  // namespace varnel
