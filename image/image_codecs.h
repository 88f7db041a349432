#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace varnel::image {

/// The name of the codecs module, found beside the running executable.
inline constexpr const char* kCodecsModuleName = "libvarnel_image_codecs.so";

/// What decoding gave: the image (empty when the bytes are no image OpenCV reads) or, where
/// OpenCV refused the file, its own reason.
struct DecodedImage {
    cv::Mat image;
    std::string refusal;
};

/// Decodes the bytes of an image file, its channels and depth unchanged. Loads the codecs on
/// first use; throws VarnelError when they cannot be loaded.
DecodedImage DecodeImage(const std::vector<uchar>& bytes);

/// Encodes `image` in the format of `extension` (".png", ".tif", …). Throws VarnelError when
/// the codecs cannot be loaded or OpenCV cannot write the image so.
std::vector<uchar> EncodeImage(const std::string& extension, const cv::Mat& image);

}  // namespace varnel::image
