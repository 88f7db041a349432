#include "input/outline_shape.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

namespace varnel {

namespace {

constexpr std::size_t kMostHoleSteps = std::size_t{1} << 27;

struct Edge {
    OutlineVertex p, q;  // p before q in (x, y) order
    std::size_t ring;
};

bool Before(const OutlineVertex& a, const OutlineVertex& b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
}

// The sign of the turn a → b → c: the cross product (b − a) × (c − a), in extended precision.
int Turn(const OutlineVertex& a, const OutlineVertex& b, const OutlineVertex& c) {
    using Long = long double;
    const Long cross =
        (Long{b.x} - a.x) * (Long{c.y} - a.y) - (Long{b.y} - a.y) * (Long{c.x} - a.x);
    return (cross > 0) - (cross < 0);
}

// True when the edges cross at a point inside both.
bool Cross(const Edge& a, const Edge& b) {
    return Turn(a.p, a.q, b.p) * Turn(a.p, a.q, b.q) < 0 &&
           Turn(b.p, b.q, a.p) * Turn(b.p, b.q, a.q) < 0;
}

// The edges of every ring, without repeated vertices; rings of fewer than three vertices add
// no area and no edge.
std::vector<Edge> EdgesOf(const std::vector<OutlineVertex>& vertices,
                          const std::vector<std::size_t>& ringEnds) {
    std::vector<Edge> edges;
    edges.reserve(vertices.size());
    std::vector<OutlineVertex> ring;
    for (std::size_t r = 0, start = 0; r < ringEnds.size(); start = ringEnds[r++]) {
        ring.clear();
        for (std::size_t i = start; i < ringEnds[r]; ++i) {
            const OutlineVertex& v = vertices[i];
            if (ring.empty() || v.x != ring.back().x || v.y != ring.back().y) ring.push_back(v);
        }
        while (ring.size() > 1 && ring.back().x == ring[0].x && ring.back().y == ring[0].y)
            ring.pop_back();
        if (ring.size() < 3) continue;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const OutlineVertex& a = ring[i];
            const OutlineVertex& b = ring[(i + 1) % ring.size()];
            edges.push_back(Before(a, b) ? Edge{a, b, r} : Edge{b, a, r});
        }
    }
    return edges;
}

// Orders the edges met by the sweep line by their height at the sweep's x, then by slope (the
// order just right of a shared point), then by index.
struct SweepOrder {
    const std::vector<Edge>* edges;
    const long double* sweepX;

    long double HeightAt(const Edge& e) const {
        if (e.p.x == e.q.x) return e.p.y;
        return e.p.y + (*sweepX - e.p.x) * (static_cast<long double>(e.q.y) - e.p.y) /
                           (static_cast<long double>(e.q.x) - e.p.x);
    }
    bool operator()(std::size_t a, std::size_t b) const {
        const Edge &ea = (*edges)[a], &eb = (*edges)[b];
        const long double ya = HeightAt(ea), yb = HeightAt(eb);
        if (ya != yb) return ya < yb;
        // Slopes compared without division: dy_a/dx_a < dy_b/dx_b, with dx ≥ 0.
        using Long = long double;
        const Long lhs = (Long{ea.q.y} - ea.p.y) * (Long{eb.q.x} - eb.p.x);
        const Long rhs = (Long{eb.q.y} - eb.p.y) * (Long{ea.q.x} - ea.p.x);
        if (lhs != rhs) return lhs < rhs;
        return a < b;
    }
};

// The Shamos–Hoey sweep: any two crossing edges are neighbours on the sweep line at some event
// before their first crossing, so checking each new pair of neighbours finds a crossing if
// there is one. Ends at the first crossing found.
OutlineFault FirstCrossing(const std::vector<Edge>& edges) {
    // An event is an edge's index and one bit: its start (1, entering the line) or end (0).
    std::vector<std::uint32_t> events;
    events.reserve(2 * edges.size());
    for (std::uint32_t i = 0; i < edges.size(); ++i) {
        events.push_back(i << 1 | 1);
        events.push_back(i << 1);
    }
    const auto key = [&edges](std::uint32_t event) {
        const Edge& edge = edges[event >> 1];
        const OutlineVertex& at = (event & 1) ? edge.p : edge.q;
        return std::tuple(at.x, at.y, event & 1, event >> 1);
    };
    // At one point, edges that end there leave the line before those that start there enter.
    std::sort(events.begin(), events.end(),
              [&key](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    long double sweepX = 0;
    std::set<std::size_t, SweepOrder> line(SweepOrder{&edges, &sweepX});
    std::vector<std::set<std::size_t, SweepOrder>::iterator> where(edges.size(), line.end());
    const auto crossing = [&](std::size_t a, std::size_t b) {
        if (!Cross(edges[a], edges[b])) return OutlineFault::None;
        return edges[a].ring == edges[b].ring ? OutlineFault::CrossesItself
                                              : OutlineFault::RingsCross;
    };
    for (const std::uint32_t event : events) {
        const std::size_t edge = event >> 1;
        sweepX = std::get<0>(key(event));
        OutlineFault fault = OutlineFault::None;
        if (event & 1) {
            const auto at = where[edge] = line.insert(edge).first;
            if (std::next(at) != line.end()) fault = crossing(*at, *std::next(at));
            if (fault == OutlineFault::None && at != line.begin())
                fault = crossing(*at, *std::prev(at));
        } else {
            const auto at = where[edge];
            if (at != line.begin() && std::next(at) != line.end())
                fault = crossing(*std::prev(at), *std::next(at));
            line.erase(at);
        }
        if (fault != OutlineFault::None) return fault;
    }
    return OutlineFault::None;
}

// +1 inside the ring [start, end), −1 outside, 0 on its boundary (crossing-number rule).
int Side(const OutlineVertex& point, const std::vector<OutlineVertex>& vertices, std::size_t start,
         std::size_t end) {
    bool inside = false;
    for (std::size_t i = start, j = end - 1; i < end; j = i++) {
        const OutlineVertex &a = vertices[i], &b = vertices[j];
        if (Turn(a, b, point) == 0 && std::min(a.x, b.x) <= point.x &&
            point.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= point.y &&
            point.y <= std::max(a.y, b.y)) {
            return 0;
        }
        if ((a.y > point.y) != (b.y > point.y)) {
            // The edge's x at the point's height, compared without division.
            using Long = long double;
            const Long dx = (Long{b.x} - a.x) * (Long{point.y} - a.y);
            const Long run = (Long{point.x} - a.x) * (Long{b.y} - a.y);
            if ((b.y > a.y) ? run < dx : run > dx) inside = !inside;
        }
    }
    return inside ? 1 : -1;
}

bool AHoleIsOutside(const std::vector<OutlineVertex>& vertices,
                    const std::vector<std::size_t>& ringEnds) {
    const std::size_t outerEnd = ringEnds[0];
    if (outerEnd < 3 || (ringEnds.size() - 1) * outerEnd > kMostHoleSteps) return false;
    for (std::size_t r = 1; r < ringEnds.size(); ++r) {
        for (std::size_t i = ringEnds[r - 1]; i < ringEnds[r]; ++i) {
            const int side = Side(vertices[i], vertices, 0, outerEnd);
            if (side < 0) return true;
            if (side > 0) break;
        }
    }
    return false;
}

}  // namespace

OutlineFault CheckOutline(const std::vector<OutlineVertex>& vertices,
                          const std::vector<std::size_t>& ringEnds) {
    if (ringEnds.empty() || vertices.size() > kMostCheckedOutlineVertices) {
        return OutlineFault::None;
    }
    const OutlineFault crossing = FirstCrossing(EdgesOf(vertices, ringEnds));
    if (crossing != OutlineFault::None) return crossing;
    return AHoleIsOutside(vertices, ringEnds) ? OutlineFault::HoleOutside : OutlineFault::None;
}

}  // namespace varnel
