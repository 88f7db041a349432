// The image codecs, loaded by image_codecs.cpp on the first image read or written: OpenCV's
// codecs pull in some 140 shared libraries (GDAL, GDCM, the TIFF, WebP and OpenEXR
// libraries…), which every start of the program would otherwise load and relocate.

#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "image/image_codecs_entry.h"

extern "C" {

bool VarnelDecodeImage(const std::vector<uchar>* bytes, cv::Mat* image, std::string* error) {
    try {
        *image = cv::imdecode(*bytes, cv::IMREAD_UNCHANGED);
        return true;
    } catch (const cv::Exception& exception) {
        *error = exception.err;
        return false;
    }
}

bool VarnelEncodeImage(const char* extension, const cv::Mat* image, std::vector<uchar>* bytes,
                       std::string* error) {
    try {
        if (cv::imencode(extension, *image, *bytes)) return true;
        *error = std::string("OpenCV has no ") + extension + " encoder for this image";
    } catch (const cv::Exception& exception) {
        *error = exception.err;
    }
    return false;
}

}  // extern "C"
