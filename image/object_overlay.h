#pragma once

#include <opencv2/core.hpp>
#include <string>

#include "image/image_objects.h"

namespace varnel::image {

/// The colours ("#rrggbb") of an object's marks: kept objects outlined in green with a blue
/// ellipse and a black number, those excluded by a rule in red, those excluded by hand in
/// orange.
struct OverlayColours {
    const char *outline, *ellipse, *caption;
};
OverlayColours OverlayColoursOf(Exclusion exclusion);

/// The picture under the marks: the image's grey levels (a label image's objects white on
/// black) brought to 40–190, so that both the dark and the light marks stand out on it. 8 bit.
cv::Mat OverlayUnderlay(const cv::Mat& image, const ImageOptions& options);

/// How many times larger than the image an overlay is drawn: 1600 pixels over the longer
/// side, at least 1 and at most 4.
int OverlayScale(int width, int height);

/// The PNG bytes of the overlay of `objects` on the decoded `image` (read with `options`),
/// OverlayScale times its size: the image in grey, each object's outline along its pixels'
/// edges, its moment ellipse and its number; kept objects outlined in green with a blue
/// ellipse, excluded ones in red with the reason after the number, orange when by hand.
std::string OverlayPng(const cv::Mat& image, const ImageObjects& objects,
                       const ImageOptions& options);

/// The same overlay as SVG: the grey image embedded as a PNG, outlines, ellipses and numbers
/// as vectors in the image's pixel units (y down, as SVG's).
std::string OverlaySvg(const cv::Mat& image, const ImageObjects& objects,
                       const ImageOptions& options);

}  // namespace varnel::image
