#include "input/outline_shape.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

#include "input/outline_winding.h"

namespace varnel {

namespace {

using Edge = OutlineEdge;

bool Before(const OutlineVertex& a, const OutlineVertex& b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
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
            edges.push_back(Before(a, b) ? Edge{a, b, r, 1} : Edge{b, a, r, -1});
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

}  // namespace

OutlineFault CheckOutline(const std::vector<OutlineVertex>& vertices,
                          const std::vector<std::size_t>& ringEnds) {
    if (ringEnds.empty() || vertices.size() > kMostCheckedOutlineVertices) {
        return OutlineFault::None;
    }
    const std::vector<Edge> edges = EdgesOf(vertices, ringEnds);
    const OutlineFault crossing = FirstCrossing(edges);
    return crossing != OutlineFault::None ? crossing : WindingFault(edges);
}

}  // namespace varnel
