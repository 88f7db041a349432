#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/strain_vector.h"

namespace varnel {

/// Largest GeoJSON file read: the reader keeps only running sums per ring, but the JSON
/// parser holds each string or number whole, so the file size bounds the memory.
inline constexpr std::uint64_t kLargestGeoJsonFile = std::uint64_t{128} << 20;

/// What a GeoJSON FeatureCollection holds.
struct GeoJsonOutlines {
    /// One per polygon, in file order: its moment-equivalent ellipse, R ≥ 1 and φ in (−90°, 90°],
    /// anticlockwise from the x axis (east), y north.
    std::vector<EllipseInDegrees> ellipses;
    int features = 0;      ///< features in the collection
    int skipped = 0;       ///< features that hold no Polygon or MultiPolygon
    bool tooMany = false;  ///< more than `maxEllipses` polygons; reading stopped
};

/// Reads the polygons of a GeoJSON FeatureCollection: the outer ring of each Polygon and of
/// each part of a MultiPolygon, less its holes, becomes its moment-equivalent ellipse.
/// Throws VarnelError for a file that cannot be read or is over kLargestGeoJsonFile, invalid
/// JSON (with its position), a document that is not a FeatureCollection, malformed
/// coordinates, a polygon without area or whose ellipse has R above kLargestAxialRatio
/// (naming the feature; the ratio written with `decimalSeparator`), and a collection without
/// a polygon.
GeoJsonOutlines ReadGeoJsonOutlines(const std::string& path, int maxEllipses,
                                    char decimalSeparator);

}  // namespace varnel
