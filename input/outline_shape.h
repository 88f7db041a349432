#pragma once

#include <cstddef>
#include <vector>

namespace varnel {

/// A vertex of an outline, relative to the polygon's first vertex.
struct OutlineVertex {
    double x = 0, y = 0;
};

/// Whether the rings of a polygon bound the region whose moments Green's theorem gives.
enum class OutlineFault {
    None,
    CrossesItself,  ///< two edges of one ring cross, or it winds round a face twice or both ways
    RingsCross,     ///< edges of two rings cross
    HoleOutside,    ///< a hole lies outside the outer ring, or partly
    HolesOverlap,   ///< two holes share a face, one inside the other or over it
};

/// Vertices beyond which a polygon's shape is not checked (memory and time stay bounded).
inline constexpr std::size_t kMostCheckedOutlineVertices = std::size_t{1} << 20;

/// Checks the rings of one polygon: ring r is vertices[ringEnds[r − 1] … ringEnds[r]) (from 0
/// for r = 0), the outer ring first, each closed by its last edge back to its first vertex. Two
/// edges that cross at a point inside both (a bow-tie, a star) are a fault, found by a sweep in
/// O(n log n); edges that only touch are not. Then the winding numbers of the faces between the
/// edges (WindingFault) find a ring through one of its vertices twice with the passes crossing
/// (their edges interleaved in angle order round it), a hole outside the outer ring and holes
/// that overlap, also in O(n log n).
OutlineFault CheckOutline(const std::vector<OutlineVertex>& vertices,
                          const std::vector<std::size_t>& ringEnds);

}  // namespace varnel
