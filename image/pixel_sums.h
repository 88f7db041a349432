#pragma once

#include <vector>

#include "image/image_objects.h"

namespace varnel::image {

/// The pixel sums of one object about its first pixel (c0, r0), which keeps the sums of
/// squares small enough to stay exact in long double for any object an image can hold: each
/// sum is an integer, the same whatever order its pixels are added in.
struct PixelSums {
    int c0 = 0, r0 = 0;
    long long n = 0;
    long double c = 0, r = 0, cc = 0, rr = 0, cr = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

/// Appends to `result` the object of each of `sums` in their order, numbered from 1: its
/// second-moment ellipse and its exclusion (`picked[k]`: object k + 1 holds a pixel picked by
/// hand), counting the kept ones.
void AddMeasuredObjects(ImageObjects& result, const std::vector<PixelSums>& sums,
                        const std::vector<bool>& picked, const ImageOptions& options);

}  // namespace varnel::image
