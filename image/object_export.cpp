#include "image/object_export.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace varnel::image {

namespace {

// Directions of a pixel edge: east, north, west, south (y up); turning right is d + 3.
const std::array<cv::Point, 4> kStep{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

// The directed edges between pixels of an object and pixels of anything else, each with the
// object on its left, on the corners of the object's box (corner (p, q): p columns right of
// its left edge, q rows up from its bottom edge).
class EdgeGrid {
public:
    EdgeGrid(const ImageObjects& objects, const ImageObject& o)
        : width_(o.right - o.left + 2), height_(o.bottom - o.top + 2), out_(width_ * height_, 0) {
        const auto inside = [&](int c, int r) {
            return c >= 0 && r >= 0 && c < objects.width && r < objects.height &&
                   objects.labels.at<int>(r, c) == o.number;
        };
        for (int r = o.top; r <= o.bottom; ++r) {
            for (int c = o.left; c <= o.right; ++c) {
                if (!inside(c, r)) continue;
                const int p = c - o.left, q = o.bottom - r;
                if (!inside(c, r + 1)) Add(p, q, 0);
                if (!inside(c + 1, r)) Add(p + 1, q, 1);
                if (!inside(c, r - 1)) Add(p + 1, q + 1, 2);
                if (!inside(c - 1, r)) Add(p, q + 1, 3);
            }
        }
    }
    int Corners() const { return width_ * height_; }
    cv::Point Corner(int at) const { return {at % width_, at / width_}; }
    int At(cv::Point corner) const { return corner.y * width_ + corner.x; }
    bool Has(int at, int direction) const { return out_[at] >> direction & 1; }

    // The edge after one arriving at `at` in `direction`: the only one leaving that corner,
    // or where two leave (pixels touching there only by their corners) the right turn, which
    // keeps 8-connected pixels on one ring.
    int Next(int at, int direction) const {
        const int right = (direction + 3) % 4;
        if (Has(at, right)) return right;
        for (int d : {direction, (direction + 1) % 4}) {
            if (Has(at, d)) return d;
        }
        return right;
    }

private:
    void Add(int p, int q, int direction) { out_[q * width_ + p] |= 1 << direction; }
    int width_, height_;
    std::vector<unsigned char> out_;
};

long long TwiceArea(const PixelRing& ring) {
    long long sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const cv::Point& a = ring[i];
        const cv::Point& b = ring[(i + 1) % ring.size()];
        sum += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
    }
    return sum;
}

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string Properties(const ImageObject& o) {
    return "\"number\":" + std::to_string(o.number) + ",\"x\":" + Number(o.x) +
           ",\"y\":" + Number(o.y) + ",\"area\":" + std::to_string(o.area) +
           ",\"R\":" + Number(o.ratio) + ",\"phi\":" + Number(o.degrees) + ",\"excluded\":\"" +
           ExclusionName(o.exclusion) + "\"";
}

std::string RingJson(const PixelRing& ring) {
    std::string text = "[";
    for (std::size_t i = 0; i <= ring.size(); ++i) {
        const cv::Point& p = ring[i % ring.size()];
        text += (i ? ",[" : "[") + std::to_string(p.x) + "," + std::to_string(p.y) + "]";
    }
    return text + "]";
}

}  // namespace

std::vector<PixelRing> ObjectRings(const ImageObjects& objects, const ImageObject& object) {
    const EdgeGrid grid(objects, object);
    std::vector<unsigned char> used(grid.Corners(), 0);
    const cv::Point origin(object.left, objects.height - object.bottom - 1);
    std::vector<PixelRing> rings;
    for (int start = 0; start < grid.Corners(); ++start) {
        for (int first = 0; first < 4; ++first) {
            if (!grid.Has(start, first) || used[start] >> first & 1) continue;
            PixelRing ring;
            int at = start, direction = first;
            do {
                used[at] |= 1 << direction;
                const cv::Point next = grid.Corner(at) + kStep[direction];
                at = grid.At(next);
                const int turn = grid.Next(at, direction);
                if (turn != direction) ring.push_back(next + origin);
                direction = turn;
            } while (at != start || direction != first);
            rings.push_back(std::move(ring));
        }
    }
    // The outer ring first; several anticlockwise rings (pieces) are joined with the holes.
    const auto outer = std::stable_partition(rings.begin(), rings.end(),
                                             [](const PixelRing& r) { return TwiceArea(r) > 0; });
    if (outer - rings.begin() <= 1) return rings;
    PixelRing joined;
    for (const PixelRing& ring : rings) {
        joined.insert(joined.end(), ring.begin(), ring.end());
        joined.push_back(ring.front());
        if (&ring != &rings.front()) joined.push_back(rings.front().front());
    }
    return {joined};
}

std::string ObjectsCsv(const ImageObjects& objects) {
    std::string text = "number,x,y,area,R,phi,excluded\n";
    for (const ImageObject& o : objects.objects) {
        text += std::to_string(o.number) + "," + Number(o.x) + "," + Number(o.y) + "," +
                std::to_string(o.area) + "," + Number(o.ratio) + "," + Number(o.degrees) + "," +
                ExclusionName(o.exclusion) + "\n";
    }
    return text;
}

std::string ObjectsGeoJson(const ImageObjects& objects) {
    std::string text = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (const ImageObject& o : objects.objects) {
        text += o.number > 1 ? ",\n" : "\n";
        text += "{\"type\":\"Feature\",\"properties\":{" + Properties(o) + "},\"geometry\":";
        if (o.exclusion == Exclusion::Elongated) {
            text += "null}";
            continue;
        }
        text += "{\"type\":\"Polygon\",\"coordinates\":[";
        const std::vector<PixelRing> rings = ObjectRings(objects, o);
        for (std::size_t i = 0; i < rings.size(); ++i) text += (i ? "," : "") + RingJson(rings[i]);
        text += "]}}";
    }
    return text + "\n]}\n";
}

}  // namespace varnel::image
