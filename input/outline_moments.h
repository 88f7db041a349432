#pragma once

namespace varnel {

/// The area and the first and second moments of a plane region about the origin of its
/// coordinates: ∫dA, ∫x dA, ∫y dA, ∫x² dA, ∫y² dA, ∫xy dA. Signed for a ring (positive when
/// it runs anticlockwise).
struct AreaMoments {
    long double area = 0, x = 0, y = 0, xx = 0, yy = 0, xy = 0;

    AreaMoments& operator+=(const AreaMoments& other);
    AreaMoments Scaled(long double factor) const;
};

/// The moments of a closed ring, vertex by vertex, by Green's theorem over its edges: with
/// c = x₀y₁ − x₁y₀ per edge, A = Σc/2, ∫x = Σ(x₀+x₁)c/6, ∫x² = Σ(x₀²+x₀x₁+x₁²)c/12,
/// ∫xy = Σ(x₀y₁ + 2x₀y₀ + 2x₁y₁ + x₁y₀)c/24. The edge back to the first vertex is implied
/// (a repeated first vertex adds nothing).
class RingMoments {
public:
    void Add(long double x, long double y);
    /// The moments of the ring closed so far; starts a new ring.
    AreaMoments Close();

private:
    void AddEdge(long double x0, long double y0, long double x1, long double y1);

    AreaMoments sums_;
    long double firstX_ = 0, firstY_ = 0, lastX_ = 0, lastY_ = 0;
    bool empty_ = true;
};

/// The moments of a polygon: its first ring is the outer boundary, every further ring a hole
/// whose moments are subtracted; each ring counts by its absolute area, whichever way it runs.
class PolygonMoments {
public:
    void AddRing(const AreaMoments& ring);
    const AreaMoments& Total() const { return total_; }
    void Clear() { *this = PolygonMoments(); }

private:
    AreaMoments total_;
    bool outerSeen_ = false;
};

/// The moment-equivalent ellipse of a region: its axial ratio R = √(λ₁/λ₂) from the
/// eigenvalues λ₁ ≥ λ₂ of the area-normalised central second moments, and the orientation of
/// its long axis φ = ½·atan2(2μxy, μxx − μyy) in degrees, in (−90°, 90°]. `valid` is false for
/// a region without area or with non-finite moments. Extended precision, rounded once when the
/// reader stores it as an EllipseInDegrees.
struct MomentEllipse {
    bool valid = false;
    long double ratio = 0;
    long double degrees = 0;
};

MomentEllipse EquivalentEllipse(const AreaMoments& region);

}  // namespace varnel
