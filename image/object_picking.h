#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "image/image_objects.h"
#include "image/object_export.h"

namespace varnel::image {

/// The objects of an image for one setting of the options, with each object's outline along
/// its pixels' edges (ObjectRings, pixels with y up), in the objects' order: what a view of
/// the image draws.
struct ObjectMap {
    ImageOptions options;
    ImageObjects found;
    std::vector<std::vector<PixelRing>> rings;
};

/// ObjectLabels, MeasureObjects and the rings of every object of the decoded `image`. Throws
/// what ObjectLabels throws (naming `name`). When `stop` turns true the work ends at the next
/// object's rings, the map left without them.
ObjectMap MapObjects(const cv::Mat& image, const ImageOptions& options, const std::string& name,
                     const std::atomic<bool>* stop = nullptr);

/// The number of the object that holds pixel `at`; 0 for the background or outside the image.
int ObjectNumberAt(const ImageObjects& found, PixelPosition at);

/// The hand exclusions after a click on pixel `at`: an object excluded by hand comes back
/// (every pixel picked in it dropped), a kept object is excluded (`at` added); a click on the
/// background or on an object excluded by a rule changes nothing.
std::vector<PixelPosition> ToggleExcludedByHand(const ImageObjects& found,
                                                std::vector<PixelPosition> picked,
                                                PixelPosition at);

/// The counts of the objects in one line: "250 objects: 180 kept; excluded: 52 edge, 16 small,
/// 0 R > 100, 2 by hand".
std::string ObjectCountsLine(const ImageObjects& found);

}  // namespace varnel::image
