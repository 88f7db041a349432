#include "app/image_zoom.h"

#include <algorithm>
#include <cmath>

namespace varnel::app {

ImageZoom ImageZoom::Fit(int imageWidth, int imageHeight, int viewWidth, int viewHeight) {
    const double scale =
        std::clamp(std::min(static_cast<double>(viewWidth) / std::max(imageWidth, 1),
                            static_cast<double>(viewHeight) / std::max(imageHeight, 1)),
                   kSmallestScale, kLargestScale);
    return {scale, (viewWidth - scale * imageWidth) / 2, (viewHeight - scale * imageHeight) / 2};
}

ImageZoom ImageZoom::ZoomedAbout(double factor, double x, double y) const {
    const double s = std::clamp(scale * factor, kSmallestScale, kLargestScale);
    // The image point (x − left) / scale stays at x: left' = x − (x − left) · s / scale.
    return {s, x - (x - left) * s / scale, y - (y - top) * s / scale};
}

image::PixelPosition ImageZoom::PixelAt(double x, double y) const {
    return {static_cast<int>(std::floor((x - left) / scale)),
            static_cast<int>(std::floor((y - top) / scale))};
}

}  // namespace varnel::app
