#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnel::image {

/// Largest image read: a header that claims more pixels is refused before anything is decoded.
inline constexpr long long kLargestImagePixels = 400'000'000;
/// The most memory an image may take decoded, all its channels at their depth.
inline constexpr long long kLargestImageBytes = 1LL << 30;

/// Largest R of a kept object: the largest the data reader accepts.
inline constexpr double kLargestObjectRatio = 100.0;

/// Default least area of a kept object, in pixels. Rasterised ellipses of 100 pixels and more
/// (a disc of radius 5.6) keep their mean R within 0.5 % of the truth from R = 1.5 on and 95 %
/// of them within 5 % (at any offset and orientation); below that the scatter grows fast
/// (15 % at 40 pixels), and near-circles read more elongated than they are.
inline constexpr int kDefaultMinimumArea = 100;

/// One pixel of an image: its column from the left and its row from the top.
struct PixelPosition {
    int column = 0, row = 0;
    friend bool operator==(const PixelPosition&, const PixelPosition&) = default;
};

/// How an image is turned into objects.
struct ImageOptions {
    std::optional<int> threshold;  ///< grey level 0–255, pixels above it are objects; none: Otsu
    bool invert = false;           ///< objects dark on light
    bool labels = false;           ///< each non-zero value (8 or 16 bit) is one object
    int minimumArea = kDefaultMinimumArea;  ///< pixels; smaller objects are excluded
    bool keepEdge = false;                  ///< keep objects that touch the image's edge
    bool split = false;  ///< split touching objects (distance transform and watershed)
    /// Pixels picked by hand: an object that holds one and is otherwise kept is excluded.
    std::vector<PixelPosition> excludedByHand;

    friend bool operator==(const ImageOptions&, const ImageOptions&) = default;
};

/// True when the name ends in an image extension: .png .tif .tiff .bmp .jpg .jpeg .pgm (any
/// case).
bool HasImageName(const std::string& path);

}  // namespace varnel::image
