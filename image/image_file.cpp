#include <cstdlib>
#include <fstream>
#include <iterator>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp>

#include "core/varnel_error.h"
#include "image/image_objects.h"

namespace varnel::image {

namespace {

std::string NameOf(const std::string& path) {
    return path.substr(std::min(path.size(), path.find_last_of('/') + 1));
}

// OpenCV's decoders read their pixel limit from the environment once, at the first decode,
// and refuse a larger image from its header before allocating it; their own warnings go
// nowhere, since the messages below say what went wrong.
void PrepareDecoders() {
    static const bool prepared = [] {
        setenv("OPENCV_IO_MAX_IMAGE_PIXELS", std::to_string(kLargestImagePixels).c_str(), 1);
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        return true;
    }();
    (void)prepared;
}

}  // namespace

cv::Mat ReadImageFile(const std::string& path) {
    PrepareDecoders();
    const std::string name = "\"" + NameOf(path) + "\"";
    std::ifstream file(path, std::ios::binary);
    if (!file) throw VarnelError("The image " + name + " cannot be opened.");
    const std::vector<uchar> bytes{std::istreambuf_iterator<char>(file), {}};
    if (file.bad()) throw VarnelError("The image " + name + " cannot be read.");
    cv::Mat image;
    try {
        if (!bytes.empty()) image = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception& error) {
        if (error.err.find("OPENCV_IO_MAX_IMAGE") != std::string::npos ||
            error.err.find("pixels") != std::string::npos) {
            throw VarnelError("The image " + name + " has more than 400 megapixels, more than " +
                              "the program reads.");
        }
    }
    if (image.empty()) {
        throw VarnelError("The image " + name + " cannot be decoded: the file is damaged or " +
                          "not a PNG, TIFF, BMP, JPEG or PGM image.");
    }
    if (image.depth() != CV_8U && image.depth() != CV_16U) {
        throw VarnelError("The image " + name + " is not of 8 or 16 bits a channel, which " +
                          "the program reads.");
    }
    return image;
}

}  // namespace varnel::image
