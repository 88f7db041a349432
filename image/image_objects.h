#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "image/image_options.h"

namespace varnel::image {

/// Why an object does not enter the analysis.
enum class Exclusion { None, Edge, Small, Elongated, Hand };

/// The words for an exclusion in the exports and the overlay: "", "edge", "small", "R > 100",
/// "by hand".
const char* ExclusionName(Exclusion exclusion);

/// One object and its second-moment ellipse. Positions in pixels: x from the image's left
/// edge, y up from its bottom edge; φ in degrees, (−90°, 90°], counter-clockwise from x.
struct ImageObject {
    int number = 0;       ///< from 1, in the order of each object's first pixel, row by row
    double x = 0, y = 0;  ///< centroid
    long long area = 0;   ///< pixels
    double ratio = 1, degrees = 0;
    double major = 0, minor = 0;  ///< semi-axes of the ellipse of the same second moments
    Exclusion exclusion = Exclusion::None;
    int left = 0, top = 0, right = 0, bottom = 0;  ///< bounding box, columns and rows, inclusive
};

/// The objects of one image.
struct ImageObjects {
    int width = 0, height = 0;
    cv::Mat labels;  ///< CV_32S, 0 background, object k has value k; may be empty (FindObjects)
    std::vector<ImageObject> objects;
    int kept = 0;
};

/// A decoded image and its objects, kept for the exports that draw or list them.
struct ImageReading {
    cv::Mat image;
    ImageObjects found;
};

/// Decodes the image file at `path` as it stands (bit depth and channels kept). Throws
/// VarnelError naming the file for an image over kLargestImagePixels (refused from its header),
/// a file that cannot be read or decoded, and a pixel type other than 8 or 16 bit.
cv::Mat ReadImageFile(const std::string& path);

/// The grey levels of a decoded image, 8 bit: colour converted, 16 bit scaled down.
cv::Mat GreyLevels(const cv::Mat& image);

/// The labels of the objects of a decoded image: a label image's values as they stand (8 or
/// 16 bit, one channel), otherwise the 8-connected components of the thresholded grey image,
/// split by the watershed when asked. Throws VarnelError (naming `name`) for a label image
/// of another type.
cv::Mat ObjectLabels(const cv::Mat& image, const ImageOptions& options, const std::string& name);

/// Each label's second-moment ellipse from its pixels, each pixel a unit square (its own
/// moment 1/12 per axis added), and its exclusion: touching the edge, then below the least
/// area, then R above 100, then holding a pixel of the options' excludedByHand.
ImageObjects MeasureObjects(const cv::Mat& labels, const ImageOptions& options);

/// The objects of a decoded image as MeasureObjects(ObjectLabels(...)) finds them, the same in
/// every number; a thresholded image's objects are found from its runs of object pixels, with
/// `labels` filled only when `keepLabels` (the overlays, the exports' rings and the picks need
/// them). A one-channel 8-bit image held by no one else is thresholded in place.
ImageObjects FindObjects(cv::Mat image, const ImageOptions& options, const std::string& name,
                         bool keepLabels);

/// The objects of the 8-connected components of the non-zero pixels of `binary` (8 bit, one
/// channel), as MeasureObjects of its connected components finds them; `labels` filled only
/// when `keepLabels`.
ImageObjects MeasureBinaryObjects(const cv::Mat& binary, const ImageOptions& options,
                                  bool keepLabels);

/// ReadImageFile and FindObjects in one, the labels kept.
ImageObjects ReadImageObjects(const std::string& path, const ImageOptions& options);

/// The outer boundary of an object through its boundary pixels' centres, in image columns
/// and rows (row 0 at the top).
std::vector<cv::Point> ObjectOutline(const ImageObjects& objects, const ImageObject& object);

}  // namespace varnel::image
