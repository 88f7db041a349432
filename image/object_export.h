#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "image/image_objects.h"

namespace varnel::image {

/// A closed ring of pixel corners, x from the image's left edge and y up from its bottom edge,
/// in pixels; the closing edge back to the first corner is implied.
using PixelRing = std::vector<cv::Point>;

/// The boundary of an object along its pixels' edges: the outer ring anticlockwise first, then
/// its holes clockwise, corners only. Its area moments are exactly the object's pixel moments
/// (each pixel a unit square), so its moment ellipse is the object's. An object in several
/// pieces (one value of a label image in separate places) comes as one ring that visits every
/// piece and hole by edges run there and back, which add nothing to the moments.
std::vector<PixelRing> ObjectRings(const ImageObjects& objects, const ImageObject& object);

/// Every object as a CSV line under the header "number,x,y,area,R,phi,excluded": centroid in
/// pixels (y up), area in pixels, φ in degrees anticlockwise from x, the exclusion's name
/// (empty for a kept object); numbers in their shortest exact form, '.' decimals.
std::string ObjectsCsv(const ImageObjects& objects);

/// Every object as a GeoJSON Feature with the CSV's properties and its ObjectRings as a
/// Polygon in pixel coordinates (y up). An object with R above kLargestObjectRatio has a null
/// geometry, so that the file stays readable as outlines.
std::string ObjectsGeoJson(const ImageObjects& objects);

}  // namespace varnel::image
