#include "input/outline_winding.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace varnel {

namespace {

constexpr std::uint32_t kNil = std::numeric_limits<std::uint32_t>::max();

// How often a face is wound round by the outer ring and by the holes together.
struct Winding {
    int outer = 0, holes = 0;

    Winding& operator+=(const Winding& other) {
        outer += other.outer;
        holes += other.holes;
        return *this;
    }
};

// +1 when edge a runs above edge b over the x they share (both met by the sweep line), −1
// below, 0 along it. Edges that do not cross keep one order there: the later-starting edge's
// left end lies over or under the other, or on it, and then the earlier-ending edge's right
// end does.
int Above(const OutlineEdge& a, const OutlineEdge& b) {
    if (a.p.x >= b.p.x) {
        if (const int side = Turn(b.p, b.q, a.p)) return side;
    } else if (const int side = Turn(a.p, a.q, b.p)) {
        return -side;
    }
    if (a.q.x <= b.q.x) return Turn(b.p, b.q, a.q);
    return -Turn(a.p, a.q, b.q);
}

// The edges met by a vertical line, bottom to top, as a treap whose nodes keep the windings
// of their subtrees: the winding just above an edge is the sum of the edges below and along it.
class SweepLine {
public:
    explicit SweepLine(const std::vector<OutlineEdge>& edges)
        : edges_(edges), weights_(edges.size()), nodes_(edges.size()) {}

    std::vector<Winding>& Weights() { return weights_; }
    void Clear() { root_ = kNil; }
    void Insert(std::uint32_t e);
    void Erase(std::uint32_t e);
    // The winding of the face just above edge e and the edges along it.
    Winding Above(std::uint32_t e) const;
    // An edge met before x = v.x that runs on through v, or kNil.
    std::uint32_t Through(const OutlineVertex& v) const;

private:
    struct Node {
        std::uint32_t left = kNil, right = kNil, parent = kNil, priority = 0;
        Winding sum;
    };
    bool Less(std::uint32_t a, std::uint32_t b) const {
        const int side = varnel::Above(edges_[a], edges_[b]);
        return side < 0 || (side == 0 && a < b);
    }
    Winding SumOf(std::uint32_t n) const { return n == kNil ? Winding{} : nodes_[n].sum; }
    void Update(std::uint32_t n) {
        Node& node = nodes_[n];
        node.sum = SumOf(node.left);
        node.sum += weights_[n];
        node.sum += SumOf(node.right);
    }
    void RotateUp(std::uint32_t n);
    std::uint32_t Next(std::uint32_t n) const;

    const std::vector<OutlineEdge>& edges_;
    std::vector<Winding> weights_;
    std::vector<Node> nodes_;
    std::uint32_t root_ = kNil;
};

// Moves node n above its parent, keeping the order.
void SweepLine::RotateUp(std::uint32_t n) {
    const std::uint32_t parent = nodes_[n].parent, grand = nodes_[parent].parent;
    const bool fromLeft = nodes_[parent].left == n;
    std::uint32_t& inner = fromLeft ? nodes_[n].right : nodes_[n].left;
    (fromLeft ? nodes_[parent].left : nodes_[parent].right) = inner;
    if (inner != kNil) nodes_[inner].parent = parent;
    inner = parent;
    nodes_[parent].parent = n;
    nodes_[n].parent = grand;
    if (grand == kNil) {
        root_ = n;
    } else {
        (nodes_[grand].left == parent ? nodes_[grand].left : nodes_[grand].right) = n;
    }
    Update(parent);
    Update(n);
}

void SweepLine::Insert(std::uint32_t e) {
    std::uint32_t hash = e * 0x9E3779B1u;  // a fixed pseudo-random priority
    hash ^= hash >> 15;
    nodes_[e] = Node{kNil, kNil, kNil, hash * 0x85EBCA6Bu ^ (hash >> 13), weights_[e]};
    if (root_ == kNil) {
        root_ = e;
        return;
    }
    for (std::uint32_t at = root_;;) {
        std::uint32_t& child = Less(e, at) ? nodes_[at].left : nodes_[at].right;
        if (child == kNil) {
            child = e;
            nodes_[e].parent = at;
            break;
        }
        at = child;
    }
    while (nodes_[e].parent != kNil && nodes_[nodes_[e].parent].priority < nodes_[e].priority)
        RotateUp(e);
    for (std::uint32_t n = nodes_[e].parent; n != kNil; n = nodes_[n].parent) Update(n);
}

void SweepLine::Erase(std::uint32_t e) {
    // Down to a leaf below the child of higher priority, then cut off.
    for (;;) {
        const Node& node = nodes_[e];
        if (node.left == kNil && node.right == kNil) break;
        const bool left =
            node.right == kNil ||
            (node.left != kNil && nodes_[node.left].priority > nodes_[node.right].priority);
        RotateUp(left ? node.left : node.right);
    }
    const std::uint32_t parent = nodes_[e].parent;
    if (parent == kNil) {
        root_ = kNil;
        return;
    }
    (nodes_[parent].left == e ? nodes_[parent].left : nodes_[parent].right) = kNil;
    for (std::uint32_t n = parent; n != kNil; n = nodes_[n].parent) Update(n);
}

Winding SweepLine::Above(std::uint32_t e) const {
    Winding sum;
    for (std::uint32_t n = root_; n != kNil;) {
        if (varnel::Above(edges_[n], edges_[e]) <= 0) {
            sum += SumOf(nodes_[n].left);
            sum += weights_[n];
            n = nodes_[n].right;
        } else {
            n = nodes_[n].left;
        }
    }
    return sum;
}

std::uint32_t SweepLine::Next(std::uint32_t n) const {
    if (nodes_[n].right != kNil) {
        for (n = nodes_[n].right; nodes_[n].left != kNil;) n = nodes_[n].left;
        return n;
    }
    while (nodes_[n].parent != kNil && nodes_[nodes_[n].parent].right == n) n = nodes_[n].parent;
    return nodes_[n].parent;
}

std::uint32_t SweepLine::Through(const OutlineVertex& v) const {
    // The edges met before v.x lie in the order of their heights at v.x: those through v, ending
    // there or running on, follow the last edge below it. At most one of each way on is needed
    // (they run along one line: two that did not would cross at v), and each edge ends once.
    std::uint32_t first = kNil;
    for (std::uint32_t n = root_; n != kNil;) {
        if (Turn(edges_[n].p, edges_[n].q, v) > 0) {
            n = nodes_[n].right;
        } else {
            first = n;
            n = nodes_[n].left;
        }
    }
    for (std::uint32_t n = first; n != kNil && Turn(edges_[n].p, edges_[n].q, v) == 0;
         n = Next(n)) {
        if (edges_[n].q.x > v.x) return n;
    }
    return kNil;
}

// Sweeps the edges [begin, end) left to right and hands `visit` the winding of every face.
// Just right of its lowest leftmost point u, a bounded face lies directly above an edge that
// starts at u or runs on through it: so the faces above the edges that start at each x, once
// all have started, and above those that run through a vertex at x, are all of them. Vertical
// edges bound no face from below and are not on the line. Stops when `visit` returns false.
template <typename Visit>
void SweepFaces(SweepLine& line, const std::vector<OutlineEdge>& edges, std::uint32_t begin,
                std::uint32_t end, Visit visit) {
    std::vector<std::uint32_t> starts, ends, above;
    std::vector<OutlineVertex> vertices;
    for (std::uint32_t e = begin; e < end; ++e) {
        vertices.push_back(edges[e].p);
        vertices.push_back(edges[e].q);
        if (edges[e].p.x < edges[e].q.x) starts.push_back(e);
    }
    ends = starts;
    std::sort(starts.begin(), starts.end(),
              [&edges](std::uint32_t a, std::uint32_t b) { return edges[a].p.x < edges[b].p.x; });
    std::sort(ends.begin(), ends.end(),
              [&edges](std::uint32_t a, std::uint32_t b) { return edges[a].q.x < edges[b].q.x; });
    std::sort(vertices.begin(), vertices.end(), [](const OutlineVertex& a, const OutlineVertex& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    line.Clear();
    for (std::size_t s = 0, t = 0, v = 0; v < vertices.size();) {
        const double x = vertices[v].x;
        above.clear();
        for (; v < vertices.size() && vertices[v].x == x; ++v) {
            if (v > 0 && vertices[v].x == vertices[v - 1].x && vertices[v].y == vertices[v - 1].y)
                continue;
            if (const std::uint32_t through = line.Through(vertices[v]); through != kNil)
                above.push_back(through);
        }
        for (; t < ends.size() && edges[ends[t]].q.x == x; ++t) line.Erase(ends[t]);
        for (; s < starts.size() && edges[starts[s]].p.x == x; ++s) {
            line.Insert(starts[s]);
            above.push_back(starts[s]);
        }
        for (const std::uint32_t e : above) {
            if (!visit(line.Above(e))) return;
        }
    }
}

}  // namespace

OutlineFault WindingFault(const std::vector<OutlineEdge>& edges) {
    SweepLine line(edges);
    std::vector<Winding>& weights = line.Weights();
    // Each ring alone: the way it winds round the faces it encloses, +1 or −1 (0 for none).
    std::vector<std::pair<std::uint32_t, int>> ringSenses;  // the ring's first edge, its sense
    for (std::uint32_t begin = 0, end = 0; begin < edges.size(); begin = end) {
        while (end < edges.size() && edges[end].ring == edges[begin].ring) ++end;
        for (std::uint32_t e = begin; e < end; ++e) weights[e] = {edges[e].sense, 0};
        int lowest = 0, highest = 0;
        SweepFaces(line, edges, begin, end, [&](const Winding& w) {
            lowest = std::min(lowest, w.outer);
            highest = std::max(highest, w.outer);
            return highest - lowest <= 1;
        });
        if (highest - lowest > 1) return OutlineFault::CrossesItself;
        ringSenses.emplace_back(begin, highest - (lowest < 0));
    }
    if (edges.empty() || edges.back().ring == 0) return OutlineFault::None;  // no hole
    // All rings, each counted +1 round what it encloses.
    for (std::size_t r = 0; r < ringSenses.size(); ++r) {
        const std::uint32_t end = r + 1 < ringSenses.size()
                                      ? ringSenses[r + 1].first
                                      : static_cast<std::uint32_t>(edges.size());
        const bool outer = edges[ringSenses[r].first].ring == 0;
        for (std::uint32_t e = ringSenses[r].first; e < end; ++e) {
            const int w = edges[e].sense * ringSenses[r].second;
            weights[e] = outer ? Winding{w, 0} : Winding{0, w};
        }
    }
    OutlineFault fault = OutlineFault::None;
    SweepFaces(line, edges, 0, static_cast<std::uint32_t>(edges.size()), [&](const Winding& w) {
        if (w.holes > w.outer)
            fault = w.outer > 0 ? OutlineFault::HolesOverlap : OutlineFault::HoleOutside;
        return fault == OutlineFault::None;
    });
    return fault;
}

}  // namespace varnel
