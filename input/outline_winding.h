#pragma once

#include <cstddef>
#include <vector>

#include "input/outline_shape.h"

namespace varnel {

/// An edge of a ring, its end points in (x, y) order: `sense` is +1 when the ring runs from p
/// to q, −1 when it runs from q to p.
struct OutlineEdge {
    OutlineVertex p, q;
    std::size_t ring;
    int sense;
};

/// The sign of the turn a → b → c: the cross product (b − a) × (c − a), in extended precision.
inline int Turn(const OutlineVertex& a, const OutlineVertex& b, const OutlineVertex& c) {
    using Long = long double;
    const Long cross =
        (Long{b.x} - a.x) * (Long{c.y} - a.y) - (Long{b.y} - a.y) * (Long{c.x} - a.x);
    return (cross > 0) - (cross < 0);
}

/// Whether rings that cross nowhere at a point inside two edges bound one region, by the
/// winding numbers of the faces between their edges (edges grouped by ring, ring 0 the outer
/// one). Each ring alone must wind once round every face it encloses, all the same way
/// (CrossesItself otherwise: a ring through one of its vertices twice with the passes
/// interleaved, or around a face twice); counted so, the holes must together cover no face
/// twice (HolesOverlap) and none outside the outer ring (HoleOutside). Rings that only touch
/// themselves or each other, and zero-width spikes, leave every winding number right. One sweep
/// per ring and one of all, each in O(n log n).
OutlineFault WindingFault(const std::vector<OutlineEdge>& edges);

}  // namespace varnel
