#pragma once

#include "image/image_options.h"

namespace varnel::app {

/// Where an image lies in a view: `scale` view pixels to an image pixel, the image's top-left
/// corner at (left, top) in view pixels (y down).
struct ImageZoom {
    double scale = 1, left = 0, top = 0;

    /// The largest scale (at most kLargestScale) that shows the whole image, centred.
    static ImageZoom Fit(int imageWidth, int imageHeight, int viewWidth, int viewHeight);
    /// Scaled by `factor` about the view point (x, y), which keeps the image point under it;
    /// the scale stays within kSmallestScale and kLargestScale.
    ImageZoom ZoomedAbout(double factor, double x, double y) const;
    /// Moved by (dx, dy) view pixels.
    ImageZoom Panned(double dx, double dy) const { return {scale, left + dx, top + dy}; }
    /// The image pixel under the view point (x, y); it may lie outside the image.
    image::PixelPosition PixelAt(double x, double y) const;

    static constexpr double kSmallestScale = 1.0 / 64, kLargestScale = 64;
};

}  // namespace varnel::app
