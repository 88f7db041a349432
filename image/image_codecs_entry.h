#pragma once

// The entry points of the codecs module (codecs_module.cpp), looked up by name once loaded.
// They catch every OpenCV exception: a failure returns false with OpenCV's own text in `error`.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

extern "C" {

/// cv::imdecode(*bytes, IMREAD_UNCHANGED) into *image; an undecodable file leaves it empty.
bool VarnelDecodeImage(const std::vector<uchar>* bytes, cv::Mat* image, std::string* error);
using VarnelDecodeImageFunction = decltype(&VarnelDecodeImage);

/// cv::imencode(extension, *image, *bytes); extension as ".png".
bool VarnelEncodeImage(const char* extension, const cv::Mat* image, std::vector<uchar>* bytes,
                       std::string* error);
using VarnelEncodeImageFunction = decltype(&VarnelEncodeImage);

}  // extern "C"
