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
/// first use (again after a failed load); when they cannot be loaded, throws VarnelError
/// "`what`: the image codecs cannot be loaded." with the module and the loader's reason below.
DecodedImage DecodeImage(const std::vector<uchar>& bytes,
                         const std::string& what = "The image cannot be decoded");

/// Encodes `image` in the format of `extension` (".png", ".tif", …). Throws VarnelError
/// "`what`." with OpenCV's reason when it cannot write the image so, and as DecodeImage when
/// the codecs cannot be loaded.
std::vector<uchar> EncodeImage(const std::string& extension, const cv::Mat& image,
                               const std::string& what = "The image cannot be encoded");

}  // namespace varnel::image
